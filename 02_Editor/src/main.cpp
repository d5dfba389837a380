#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <iostream>

#include "AppFolder.h"
#include "EndOnSignals.h"
#include "ProgramHelp.h"
#include "QtJapanese.h"
#include "basV42Editor.h"
#include "frmV42Editor.h"

namespace {
constexpr const char* kUsage =
    "使い方: V42Editor [--import] [--then-clock]\n"
    "\n"
    "ベルカン42の時刻表を編集します。\n"
    "  --import      GTFSフィードからの取り込みを開いて始めます (時刻表がまだなければ空の一覧で)\n"
    "  --then-clock  時刻表を保存して閉じたとき、時計 (Velkan42) を起動します\n"
    "  --help        この説明\n"
    "  --version     版数\n";
}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the application exists: no display is needed for them.
  if (const auto code =
          v42::AnswerHelpOrVersion({argv + 1, argv + argc}, "V42Editor", kUsage, std::cout))
    return *code;
  QApplication app(argc, argv);
  v42::EndOnSignals();
  v42::InstallQtJapanese();
  QApplication::setApplicationName(QStringLiteral("V42Editor"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/V42Editor.svg")));
  QCommandLineParser parser;
  const QCommandLineOption import(QStringLiteral("import"));
  const QCommandLineOption thenClock(QStringLiteral("then-clock"));
  parser.addOptions({import, thenClock});
  parser.process(app);
  const std::filesystem::path appFolder =
      v42::ResolveAppFolder(QCoreApplication::applicationDirPath().toStdString());
  const auto program = v42::basV42Editor(appFolder, {}, parser.isSet(import));
  if (!program.Window) return program.ExitCode;
  const int code = QApplication::exec();
  // Ended by a signal (a logout, a closed terminal): unsaved edits go to the recovery file.
  if (code > 128) program.Window->KeepUnsavedEdits();
  v42::ReturnToClock(program, parser.isSet(thenClock),
                     QCoreApplication::applicationDirPath().toStdString());
  return code;
}
