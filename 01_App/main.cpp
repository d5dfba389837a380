#include <QApplication>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "basVelkan42.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  v42::EndOnSignals();
  QApplication::setApplicationName(v42::kProgramName);
  const std::filesystem::path folder =
      v42::ResolveAppFolder(QApplication::applicationDirPath().toStdString());
  return v42::basVelkan42_Main(app, folder);
}
