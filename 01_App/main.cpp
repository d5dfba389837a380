#include <QApplication>

#include "basVelkan42.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(v42::kProgramName);
  // The program keeps its files beside itself, wherever it was started from.
  const std::filesystem::path folder = QApplication::applicationDirPath().toStdString();
  return v42::basVelkan42_Main(app, folder);
}
