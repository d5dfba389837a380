#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <fstream>
#include <future>

#include "FileOpenDialog.h"
#include "Fonts.h"
#include "MessageBox.h"
#include "SingleInstance.h"
#include "Twips.h"

namespace v42 {
namespace {

template <typename Widget, typename Fn>
void WhenModalShows(Fn fn) {
  QTimer::singleShot(0, [fn] {
    auto* w = qobject_cast<Widget*>(QApplication::activeModalWidget());
    ASSERT_NE(w, nullptr);
    fn(*w);
  });
}

TEST(MessageBoxTest, ShowsTextCaptionAndIcon) {
  QString text, caption;
  QMessageBox::Icon icon{};
  WhenModalShows<QMessageBox>([&](QMessageBox& box) {
    text = box.text();
    caption = box.windowTitle();
    icon = box.icon();
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(ShowMessage(nullptr, "既に起動されています", "2重起動ｴﾗｰ", MsgIcon::Critical),
            QMessageBox::Ok);
  EXPECT_EQ(text, QString::fromUtf8("既に起動されています"));
  EXPECT_EQ(caption, QString::fromUtf8("2重起動ｴﾗｰ"));
  EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(MessageBoxTest, AChoiceBoxOffersItsChoicesInOrderAndEscapeTakesTheLast) {
  QStringList shown;
  WhenModalShows<QMessageBox>([&](QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) shown << button->text();
    EXPECT_EQ(box.defaultButton()->text(), "一");
    box.buttons()[shown.indexOf("二")]->click();
  });
  EXPECT_EQ(ShowChoice(nullptr, "t", "c", MsgIcon::Question, {"一", "二", "三"}), 1);
  shown.sort();
  EXPECT_EQ(shown, QStringList({"一", "三", "二"}));
  WhenModalShows<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_EQ(ShowChoice(nullptr, "t", "c", MsgIcon::Question, {"一", "二", "三"}), 2);
}

TEST(MessageBoxTest, RecordingShowsNothingAndAnswers) {
  MessageBoxSeam::StartRecording();
  MessageBoxSeam::QueueAnswer(QMessageBox::No);
  EXPECT_EQ(ShowMessage(nullptr, "a", "b", MsgIcon::Question, QMessageBox::Yes | QMessageBox::No),
            QMessageBox::No);
  EXPECT_EQ(ShowMessage(nullptr, "c", "d", MsgIcon::Information), QMessageBox::Ok);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 2u);
  EXPECT_EQ(MessageBoxSeam::Calls()[1].Caption, "d");
  EXPECT_EQ(MessageBoxSeam::Calls()[1].Icon, MsgIcon::Information);
  MessageBoxSeam::StopRecording();
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
}

TEST(FileOpenDialogTest, OffersFiltersFolderAndExistingFilesOnly) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  std::ofstream(folder + "/ALARM.WAV") << "x";
  const std::vector<FileFilter> filter{{"Waveﾌｧｲﾙ(*.WAV)", "*.wav"}, {"全てのﾌｧｲﾙ(*.*)", "*.*"}};
  QStringList filters;
  QString selected, shownFolder;
  QFileDialog::FileMode mode{};
  WhenModalShows<QFileDialog>([&](QFileDialog& d) {
    filters = d.nameFilters();
    selected = d.selectedNameFilter();
    shownFolder = d.directory().absolutePath();
    mode = d.fileMode();
    d.selectFile(dir.filePath("ALARM.WAV"));
    static_cast<QDialog&>(d).accept();  // the dialog's own check that the file exists runs
  });
  const std::string chosen = FileOpenDialog(nullptr, filter, folder);
  EXPECT_EQ(chosen, folder + "/ALARM.WAV");
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_EQ(shownFolder, QDir(dir.path()).absolutePath());
  ASSERT_EQ(filters.size(), 2);
  EXPECT_TRUE(filters[0].startsWith(selected));  // shown without the case-blind pattern
  EXPECT_EQ(filters[0], QString::fromUtf8("Waveﾌｧｲﾙ(*.WAV) (*.[wW][aA][vV])"));
  // "All files" lists a name without a dot too, as it did where "*.*" meant every file.
  EXPECT_EQ(filters[1], QString::fromUtf8("全てのﾌｧｲﾙ(*.*) (*)"));

  // What the dialog lists: a wildcard pattern finds a Windows-named file whatever its letter
  // case; a plain file name finds only that exact name, the one the programs then open.
  for (const char* name : {"memo.txt", "bell.Wav", "DATA00.DAT", "Data00.dat"}) {
    std::ofstream(folder + "/" + name) << "x";
  }
  // The folder is read in the background: the listing is waited for until it shows what it
  // should, and what it shows then is returned.
  const auto listed = [&](const std::string& pattern, const QStringList& expected) {
    QStringList names;
    WhenModalShows<QFileDialog>([&](QFileDialog& d) {
      d.reject();  // closes once this returns, also when a check below fails
      auto* view = d.findChild<QListView*>("listView");
      ASSERT_NE(view, nullptr);
      EXPECT_TRUE(QTest::qWaitFor([&] {
        names.clear();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
          names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        }
        names.sort();
        return names == expected;
      }));
    });
    FileOpenDialog(nullptr, {{"d", pattern}}, folder);
    return names;
  };
  const QStringList wav{"ALARM.WAV", "bell.Wav"}, data00{"Data00.dat"};
  EXPECT_EQ(listed("*.wav", wav), wav);
  EXPECT_EQ(listed("Data00.dat", data00), data00);
  EXPECT_EQ(QtNameFilter({"ﾃﾞｰﾀﾌｧｲﾙ", "Data00.dat"}), "ﾃﾞｰﾀﾌｧｲﾙ (Data00.dat)");

  WhenModalShows<QFileDialog>([](QFileDialog& d) { d.reject(); });
  EXPECT_EQ(FileOpenDialog(nullptr, filter, folder), "");
}

TEST(FileOpenDialogTest, SeamGivesTheNextNameWithoutShowing) {
  FileOpenDialogSeam::Reset();
  FileOpenDialogSeam::QueueFileName("/a folder/with blanks/" + std::string(300, 'x') + ".mid");
  FileOpenDialogSeam::QueueFileName("");
  EXPECT_EQ(FileOpenDialog(nullptr, {{"d", "*.mid"}}, "/tmp").size(), 326u);
  EXPECT_EQ(FileOpenDialog(nullptr, {}, "/tmp"), "");
  ASSERT_EQ(FileOpenDialogSeam::Calls().size(), 2u);
  EXPECT_EQ(FileOpenDialogSeam::Calls()[0].Filter[0].Pattern, "*.mid");
  FileOpenDialogSeam::Reset();
}

TEST(SingleInstanceTest, SecondCopyIsRefusedUntilTheFirstEnds) {
  QTemporaryDir dir;
  auto first = std::make_unique<SingleInstance>("Velkan42", dir.path());
  ASSERT_TRUE(first->TryLock());
  SingleInstance second("Velkan42", dir.path());
  EXPECT_FALSE(second.TryLock());
  SingleInstance other("V42Editor", dir.path());
  EXPECT_TRUE(other.TryLock());  // the programs may run side by side
  first.reset();
  EXPECT_TRUE(second.TryLock());
}

TEST(SingleInstanceTest, LockOfACrashedCopyDoesNotBlock) {
  QTemporaryDir dir;
  const pid_t child = fork();
  if (child == 0) {
    SingleInstance crashed("Velkan42", dir.path());
    _exit(crashed.TryLock() ? 0 : 1);  // dies holding the lock, as a crash would
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(QFile::exists(dir.filePath("Velkan42.lock")));
  SingleInstance next("Velkan42", dir.path());
  EXPECT_TRUE(next.TryLock());
}

// A socket that a killed copy left behind, nobody listening: the next copy neither waits on it
// nor fails to listen there, and a connection that never speaks holds up no later request.
TEST(SingleInstanceTest, ASocketLeftByAKilledCopyNeitherBlocksNorHangs) {
  QTemporaryDir dir;
  auto running = std::make_unique<SingleInstance>("Velkan42", dir.path());
  ASSERT_TRUE(running->TryLock());
  const QByteArray path = QFile::encodeName(running->SocketPath());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
  const auto* at = reinterpret_cast<const sockaddr*>(&address);
  const int left = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(left, at, sizeof address), 0);
  close(left);  // the file stays, as after a kill

  SingleInstance second("Velkan42", dir.path());
  EXPECT_FALSE(second.AskRunningCopyToRaise());
  QWidget window;
  running->RaiseOnRequest(&window);
  const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::connect(silent, at, sizeof address), 0);
  auto asked = std::async(std::launch::async, [&] { return second.AskRunningCopyToRaise(); });
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
  EXPECT_TRUE(asked.get());
  EXPECT_TRUE(window.isVisible());
  close(silent);

  running.reset();
  EXPECT_FALSE(QFile::exists(QString::fromUtf8(path)));
  EXPECT_FALSE(second.AskRunningCopyToRaise());
}

// Without a runtime folder from the session, each user's copies lock in a folder of the user's
// own: another user's clock neither blocks nor shares it, and a folder of that name someone
// else made, or opened to all, is not trusted as it is.
TEST(SingleInstanceTest, WithoutARuntimeFolderTheLockIsInAPrivateFolderOfTheUser) {
  QTemporaryDir tmp;
  const QByteArray oldTmp = qgetenv("TMPDIR"), oldRuntime = qgetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", QFile::encodeName(tmp.path()));
  qunsetenv("XDG_RUNTIME_DIR");
  const QString mine = tmp.filePath("velkan42-" + QString::number(getuid()));
  const auto mode = [](const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(SingleInstance("Velkan42").LockPath(), mine + "/Velkan42.lock");
  EXPECT_EQ(mode(mine), 0700u);

  ::chmod(QFile::encodeName(mine).constData(), 0777);
  {
    SingleInstance again("Velkan42");
    EXPECT_EQ(again.LockPath(), mine + "/Velkan42.lock");
    EXPECT_EQ(mode(mine), 0700u);
    EXPECT_TRUE(again.TryLock());
  }

  if (getuid() == 0) {  // only root can make a folder that belongs to another user
    QDir(mine).removeRecursively();
    ASSERT_EQ(::mkdir(QFile::encodeName(mine).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(mine).constData(), 4242, 4242), 0);
    EXPECT_FALSE(SingleInstance("Velkan42").LockPath().startsWith(mine));
  }
  qputenv("TMPDIR", oldTmp);
  if (!oldRuntime.isEmpty()) qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

TEST(TwipsTest, FollowTheLogicalDpi) {
  const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
  EXPECT_EQ(TwipsToPixelsX(1440), qRound(dpi));
  EXPECT_EQ(PixelsToTwipsX(TwipsToPixelsX(2880)), 2880);
  if (qFuzzyCompare(dpi, 96.0)) {
    EXPECT_EQ(TwipsToPixelsX(330), 22);
  }
}

TEST(FontsTest, DesignFontsMapToInstalledJapaneseFonts) {
  struct Case {
    const char* design;
    const char* family;
  } cases[] = {{kMsGothic, "Noto Sans Mono CJK JP"}, {kMsPGothic, "Noto Sans CJK JP"}};
  for (const Case& c : cases) {
    const QFont font = DesignFont(QString::fromUtf8(c.design), 9);
    EXPECT_EQ(QFontInfo(font).family(), QString::fromUtf8(c.family));
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 9);
  }
}

}  // namespace
}  // namespace v42
