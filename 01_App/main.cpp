#include <QApplication>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "QtJapanese.h"
#include "basVelkan42.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(v42::kProgramName);
  const std::filesystem::path folder =
      v42::ResolveAppFolder(QApplication::applicationDirPath().toStdString());
  return v42::basVelkan42_Main(app, folder);
}
