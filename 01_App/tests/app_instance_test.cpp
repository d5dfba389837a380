// Two copies of the clock: the second brings the first one's window forward, or, where the
// first cannot be asked, is refused with the message; the first runs on either way.
// The test starts this binary again as each copy ("--copy <folder>"), so both run the real
// start-up in processes of their own, with the message box recorded instead of shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "DataFile.h"
#include "MessageBox.h"
#include "SingleInstance.h"
#include "basVelkan42.h"

namespace {

QString self;

int RunCopy(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  v42::MessageBoxSeam::StartRecording();
  if (argc == 4) v42::MessageBoxSeam::QueueChoice(std::atoi(argv[3]));
  // Printed once the window is up and the event loop runs.
  QTimer::singleShot(0, [] { std::printf("running\n"), std::fflush(stdout); });
  // Answers every line it is sent while its event loop runs: proof that it runs on. "minimise"
  // minimises the window, and its coming back is reported.
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  const auto window = [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "frmVelkan42") return w;
    return static_cast<QWidget*>(nullptr);
  };
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char line[64] = {};
    if (::read(STDIN_FILENO, line, sizeof line - 1) <= 0) return;
    if (std::string(line).starts_with("minimise") && window()) window()->showMinimized();
    std::printf("alive\n"), std::fflush(stdout);
  });
  QTimer watch;
  bool wasMinimised = false;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QWidget* w = window();
    if (!w) return;
    if (wasMinimised && !w->isMinimized() && w->isVisible())
      std::printf("forward\n"), std::fflush(stdout);
    wasMinimised = w->isMinimized();
  });
  watch.start(20);
  const int code = v42::basVelkan42_Main(app, argv[2]);
  for (const auto& call : v42::MessageBoxSeam::Calls())
    std::printf("%s|%s|%d\n", call.Text.c_str(), call.Caption.c_str(), int(call.Icon));
  return code;
}

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    ASSERT_TRUE(folder_.isValid());
    v42::TimetableStore store;
    store.Count = 1;
    store.Records[0].Title = "平日";
    store.Records[0].Departures[0][0].Value = 6;
    store.Records[0].Departures[0][1].Value = 30;
    v42::WriteDataFile(store, folder_.path().toStdString());
  }

  // Starts a copy with the user's runtime folder (where the lock lives) set to ours; choice:
  // the answer to a first-start offer.
  std::unique_ptr<QProcess> Start(const QString& folder = {}, const QString& choice = {},
                                  const QString& program = self) {
    auto copy = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    copy->setProcessEnvironment(env);
    QStringList args{"--copy", folder.isEmpty() ? folder_.path() : folder};
    if (!choice.isEmpty()) args << choice;
    copy->start(program, args);
    EXPECT_TRUE(copy->waitForStarted(10000));
    return copy;
  }
  static bool WaitForLine(QProcess& copy, const QByteArray& line) {
    QByteArray seen;
    while (copy.waitForReadyRead(15000)) {
      seen += copy.readAllStandardOutput();
      if (seen.contains(line)) return true;
    }
    return false;
  }

  QTemporaryDir runtime_, folder_;
};

TEST_F(InstanceTest, TheSecondCopyBringsTheFirstForwardAndTheFirstRunsOn) {
  auto first = Start();
  ASSERT_TRUE(WaitForLine(*first, "running"));
  first->write("minimise\n");
  ASSERT_TRUE(WaitForLine(*first, "alive"));
  auto second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(second->readAllStandardOutput().trimmed(), "");  // no message
  EXPECT_TRUE(WaitForLine(*first, "forward"));
  first->write("still there?\n");
  EXPECT_TRUE(WaitForLine(*first, "alive"));
  EXPECT_EQ(first->state(), QProcess::Running);

  // A copy that dies without cleaning up leaves its lock behind; it must not block the next.
  first->kill();
  first->waitForFinished(5000);
  auto third = Start();
  EXPECT_TRUE(WaitForLine(*third, "running"));
  third->kill();
  third->waitForFinished(5000);
}

// A running copy that cannot be asked (one still at its first-start offer holds the lock
// without a window): the second says so, as it always did, and ends with 1.
TEST_F(InstanceTest, WhereTheRunningCopyCannotComeForwardTheMessageStays) {
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
  v42::SingleInstance running("Velkan42");
  ASSERT_TRUE(running.TryLock());
  auto second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(second->readAllStandardOutput()).trimmed(),
            QString("既に起動されています|2重起動ｴﾗｰ|%1").arg(int(v42::MsgIcon::Critical)));
}

// Without a timetable the clock offers how to begin; the sample opens the clock on it, and
// quitting ends it with nothing written.
TEST_F(InstanceTest, AFirstStartBeginsFromTheSampleOrQuitsWithNothingMade) {
  QTemporaryDir empty;
  auto quit = Start(empty.path(), "3");  // after the sample, empty and GTFS: 終了
  ASSERT_TRUE(quit->waitForFinished(15000));
  EXPECT_EQ(quit->exitCode(), 0);
  EXPECT_TRUE(
      QString::fromUtf8(quit->readAllStandardOutput()).contains("velkan42.dat がまだありません"));
  EXPECT_TRUE(QDir(empty.path()).isEmpty());

  auto sample = Start(empty.path(), "0");
  ASSERT_TRUE(WaitForLine(*sample, "running"));
  v42::TimetableStore store;
  v42::ReadDataFile(store, empty.path().toStdString());
  EXPECT_EQ(store.Count, 3);
  sample->kill();
  sample->waitForFinished(5000);
}

// An empty timetable or an import hands over to the editor beside the clock, which here is a
// stand-in that notes how it was started.
TEST_F(InstanceTest, AnEmptyStartOrAnImportStartsTheEditorInsteadOfTheClock) {
  QTemporaryDir bin;
  const QString clock = bin.filePath("Velkan42");
  ASSERT_TRUE(QFile::copy(self, clock));
  QFile editor(bin.filePath("V42Editor"));
  ASSERT_TRUE(editor.open(QIODevice::WriteOnly));
  editor.write("#!/bin/sh\necho \"started $*\" > \"$(dirname \"$0\")/editor.log\"\n");
  editor.close();
  editor.setPermissions(editor.permissions() | QFile::ExeOwner);
  const auto editorLog = [&] {
    QFile log(bin.filePath("editor.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll().trimmed() : QByteArray();
  };

  // No sample beside this copy: the choices are empty, GTFS and 終了.
  QTemporaryDir emptyStart, importStart;
  auto empty = Start(emptyStart.path(), "0", clock);
  ASSERT_TRUE(empty->waitForFinished(15000));
  EXPECT_EQ(empty->exitCode(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !editorLog().isEmpty(); }, 10000));
  EXPECT_EQ(editorLog(), "started --then-clock");
  v42::TimetableStore store;
  v42::ReadDataFile(store, emptyStart.path().toStdString());
  EXPECT_EQ(store.Count, 1);

  QFile::remove(bin.filePath("editor.log"));
  auto import = Start(importStart.path(), "1", clock);
  ASSERT_TRUE(import->waitForFinished(15000));
  EXPECT_EQ(import->exitCode(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !editorLog().isEmpty(); }, 10000));
  EXPECT_EQ(editorLog(), "started --import --then-clock");
  EXPECT_TRUE(QDir(importStart.path()).isEmpty());  // the editor's first save makes the file
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--copy") return RunCopy(argc, argv);
  QCoreApplication app(argc, argv);
  self = QCoreApplication::applicationFilePath();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
