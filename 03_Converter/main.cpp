#include <QApplication>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "QtJapanese.h"
#include "basV42Converter.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(v42::kConverterProgramName);
  return v42::basV42Converter_Main(
      app, v42::ResolveAppFolder(QApplication::applicationDirPath().toStdString()));
}
