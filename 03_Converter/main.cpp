#include <QApplication>
#include <iostream>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "ProgramHelp.h"
#include "QtJapanese.h"
#include "basV42Converter.h"

namespace {
constexpr const char* kUsage =
    "使い方: V42Converter\n"
    "\n"
    "旧版 (バージョン1) の時刻表と設定のファイルを、いまの velkan42.dat と velkan42.ini に\n"
    "変換します (またはその逆)。ウィンドウで変換元を選びます。\n"
    "  --help     この説明\n"
    "  --version  版数\n";
}  // namespace

int main(int argc, char** argv) {
  // Answered before the application exists: no display is needed for them.
  if (const auto code =
          v42::AnswerHelpOrVersion({argv + 1, argv + argc}, "V42Converter", kUsage, std::cout))
    return *code;
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(v42::kConverterProgramName);
  const std::filesystem::path folder =
      v42::ResolveAppFolder(QApplication::applicationDirPath().toStdString());
  // The converter is started to write there.
  v42::MakeAppFolder(folder);
  return v42::basV42Converter_Main(app, folder);
}
