#include "basVelkan42.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QProcess>

#include "Autostart.h"
#include "DesktopNotifier.h"
#include "FirstStart.h"
#include "FirstStartOffer.h"
#include "SingleInstance.h"
#include "frmVelkan42.h"

// The icon lives in this library; a static library's resources must be registered by hand.
static void InitVelkan42Resources() { Q_INIT_RESOURCE(Velkan42); }

namespace v42 {

QIcon AppIcon() {
  InitVelkan42Resources();
  // Asks the one plugin that reads SVG; listing the supported formats would load every one.
  static const bool svg = QImageReader(QStringLiteral(":/Velkan42.svg")).canRead();
  return QIcon(svg ? ":/Velkan42.svg" : ":/Velkan42.png");
}

int basVelkan42_Main(QApplication& app, const std::filesystem::path& appFolder) {
  app.setWindowIcon(AppIcon());
  // Wayland desktops find the menu entry, and so the icon, of a window by this name.
  QGuiApplication::setDesktopFileName(kClockDesktopId);
  SingleInstance instance(kProgramName);
  // The running copy comes forward; its state is left alone.
  if (!instance.TryLock()) return instance.RefuseSecondStart();
  const QString executableFolder = QCoreApplication::applicationDirPath();
  const FirstStart start = OfferFirstStart(
      nullptr, appFolder, StartOptions(SampleFolder(executableFolder.toStdString())));
  switch (start) {
    case FirstStart::Quit:
      return 0;
    case FirstStart::ReadyEmpty:
    case FirstStart::Import:
      // An empty timetable has nothing to count down to: the editor takes over (with its import
      // open when that was the choice) and starts the clock again once a timetable is saved.
      // Without an editor the clock opens on what there is, or reports the missing file.
      if (QProcess::startDetached(executableFolder + "/V42Editor",
                                  start == FirstStart::Import
                                      ? QStringList{"--import", "--then-clock"}
                                      : QStringList{"--then-clock"})) {
        return 0;
      }
      break;
    case FirstStart::Ready:
      break;
  }
  ClockContext context;
  context.AppFolder = appFolder;
  frmVelkan42 window(context);
  if (!window.Form_Load()) return 1;
  window.show();
  instance.RaiseOnRequest(&window);
  return app.exec();
}

}  // namespace v42
