#include <QApplication>
#include <QCommandLineParser>
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
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("ベルカン42の時刻表を編集します。"));
  parser.addHelpOption();
  const QCommandLineOption import(
      QStringLiteral("import"),
      QStringLiteral(
          "GTFSフィードからの取り込みを開いて始めます（時刻表がまだなければ空の一覧で）。"));
  parser.addOption(import);
  parser.process(app);
  const std::filesystem::path appFolder =
      v42::ResolveAppFolder(QCoreApplication::applicationDirPath().toStdString());
  const auto program = v42::basV42Editor(appFolder, {}, parser.isSet(import));
  if (!program.Window) return 1;
  const int code = QApplication::exec();
  // Ended by a signal (a logout, a closed terminal): unsaved edits go to the recovery file.
  if (code > 128) program.Window->KeepUnsavedEdits();
  return code;
}
