#include <QApplication>
#include <QIcon>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "QtJapanese.h"
#include "basV42Editor.h"
#include "frmV42Editor.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(QStringLiteral("V42Editor"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/V42Editor.svg")));
  const std::filesystem::path appFolder =
      v42::ResolveAppFolder(QCoreApplication::applicationDirPath().toStdString());
  const auto program = v42::basV42Editor(appFolder);
  if (!program.Window) return 1;
  return QApplication::exec();
}
