#include "basV42Converter.h"

#include <QApplication>
#include <QIcon>

#include "SingleInstance.h"
#include "frmV42Converter.h"

// A static library's resources must be registered by hand.
static void InitV42ConverterResources() { Q_INIT_RESOURCE(V42Converter); }

namespace v42 {

int basV42Converter_Main(QApplication& app, const std::filesystem::path& appFolder,
                         const QString& lockFolder) {
  InitV42ConverterResources();
  app.setWindowIcon(QIcon(":/V42Converter.svg"));
  QGuiApplication::setDesktopFileName("io.github.velkan42.V42Converter");
  SingleInstance instance(kConverterProgramName, lockFolder);
  if (!instance.TryLock()) return instance.RefuseSecondStart();
  frmV42Converter window(appFolder);
  window.show();
  instance.RaiseOnRequest(&window);
  return app.exec();
}

}  // namespace v42
