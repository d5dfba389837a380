#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>

#include "EtchedFrame.h"
#include "FileOpenDialog.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "IniFile.h"
#include "MessageBox.h"
#include "OleColor.h"
#include "SoundDevice.h"
#include "Twips.h"
#include "frmColor.h"
#include "frmOption.h"

namespace v42 {
namespace {

const SoundDevices kBoth{true, true};
const std::string kAppearError = "警告時間が不正です。\r1～99の範囲内にしてください。";
const std::string kMoveError = "移動時間が不正です。";
const std::string kEmptyError = "未入力ﾃﾞｰﾀが存在します。";
const std::string kFileError = "SOUND FILEを入力してください。";

class frmOptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path().toStdString();
    SetIniDefaults(settings);
    settings.Comments[0] = {"運用終了", 0x0000FF};
    settings.Comments[1] = {"通過", 0x00FF00};
    settings.Comments[2] = {"もうすぐ来ます。", 0xFF0000};
    settings.MessageTimes_Min = 12;
    settings.MoveTimes_Min = 3;
    MessageBoxSeam::StartRecording();
    ColorPickerSeam::Reset();
    FileOpenDialogSeam::Reset();
  }
  void TearDown() override {
    dialog.reset();
    MessageBoxSeam::StopRecording();
    ColorPickerSeam::Reset();
    FileOpenDialogSeam::Reset();
  }

  frmOption& Open(SoundDevices devices = kBoth) {
    dialog = std::make_unique<frmOption>(settings, folder, devices);
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    return *dialog;
  }
  template <typename T = QWidget>
  T* Find(const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  void ClickOK() { QTest::mouseClick(Find<QPushButton>("comOK"), Qt::LeftButton); }
  IniSettings Saved() {
    IniSettings read;
    ReadIniFile(read, folder);
    return read;
  }
  bool Saved_exists() const { return std::filesystem::exists(folder / kIniFileName); }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const MessageCall& call : MessageBoxSeam::Calls()) {
      EXPECT_EQ(call.Caption, "入力エラー");
      EXPECT_EQ(call.Icon, MsgIcon::Critical);
      texts.push_back(call.Text);
    }
    return texts;
  }

  QTemporaryDir dir;
  std::filesystem::path folder;
  IniSettings settings;
  std::unique_ptr<frmOption> dialog;
};

TEST_F(frmOptionTest, LoadsEveryControlFromTheSettings) {
  settings.MessageBlinkFlag = 0;
  settings.MessageSoundFlag = 2;
  settings.MessageSoundFile = "/snd/ring tone.mid";
  Open({true, false});
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("設定"));
  EXPECT_EQ(Edit("txtComment_1")->text(), QString::fromUtf8("通過"));
  EXPECT_EQ(Edit("txtComment_2")->palette().color(QPalette::Text), QColor(0, 0, 255));
  EXPECT_EQ(Find<FlexGrid>("CommentColor_0")->CellBackColorAt(0, 0), 0x0000FF);
  EXPECT_EQ(Find<FlexGrid>("FGridBgColor")->CellBackColorAt(0, 0), settings.ApplicationBackColor);
  EXPECT_EQ(Edit("txtCommentAppearTime")->text(), "12");
  EXPECT_EQ(Edit("txtMoveTime")->text(), "3");
  EXPECT_TRUE(Find<QRadioButton>("optBlink_1")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("optSound_2")->isChecked());
  EXPECT_TRUE(Edit("txtSoundFile")->isEnabled());
  EXPECT_EQ(Edit("txtSoundFile")->text(), "/snd/ring tone.mid");
  EXPECT_TRUE(Find<QCheckBox>("chkDev_0")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("chkDev_1")->isChecked());
  EXPECT_EQ(Find<QGroupBox>("frmMsgOption_3")->title(), QString(13, QLatin1Char(' ')));
  // The comment frame and its labels are proportional; the boxes in it are not.
  const QString gothic = QFontInfo(GothicFont(9)).family();
  EXPECT_EQ(QFontInfo(Edit("txtComment_1")->font()).family(), gothic);
  EXPECT_EQ(QFontInfo(Edit("txtCommentAppearTime")->font()).family(), gothic);
  EXPECT_EQ(QFontInfo(Find("Label_3")->font()).family(), QFontInfo(PGothicFont(9)).family());

  // Only what this machine has: a click does not change the device boxes.
  QTest::mouseClick(Find<QCheckBox>("chkDev_1"), Qt::LeftButton);
  EXPECT_FALSE(Find<QCheckBox>("chkDev_1")->isChecked());

  QTest::mouseClick(Find<QRadioButton>("optSound_1"), Qt::LeftButton);
  EXPECT_FALSE(Edit("txtSoundFile")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("comOpen")->isEnabled());
}

// The rows of `area` in which `widget`'s own drawing (children left out) differs from its
// top-left pixel, as a rectangle as wide as `area`.
QRect Ink(QWidget* widget, const QRect& area) {
  QImage image(widget->size(), QImage::Format_RGB32);
  widget->render(&image, {}, {}, QWidget::DrawWindowBackground);
  const QRect box = area & image.rect();
  int top = -1, bottom = -1;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (image.pixel(x, y) != image.pixel(0, 0)) {
        if (top < 0) top = y;
        bottom = y;
      }
    }
  }
  return top < 0 ? QRect() : QRect(box.left(), top, box.width(), bottom - top + 1);
}

TEST_F(frmOptionTest, CaptionsAndControlsStayClearOfEachOther) {
  Open();
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    const QRect ink = Ink(label, label->rect()).translated(label->pos());
    ASSERT_FALSE(ink.isEmpty()) << label->objectName().toStdString();
    for (QWidget* other :
         label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      EXPECT_TRUE(other == label || !other->geometry().intersects(ink))
          << label->objectName().toStdString() << " under " << other->objectName().toStdString();
    }
  }
  // Frames draw their border through the caption, as designed: FrmCom and the five others.
  ASSERT_EQ(dialog->findChildren<EtchedFrame*>().size(), 6);
  for (EtchedFrame* frame : dialog->findChildren<EtchedFrame*>()) {
    const QRect inside = frame->rect().adjusted(2, frame->BorderTop() + 2, -2, -2);
    const QFontMetrics metrics = frame->fontMetrics();
    const QRect caption = Ink(
        frame,
        QRect(TwipsToPixelsX(90), 0, metrics.horizontalAdvance(frame->title()), metrics.height()));
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const std::string name = child->objectName().toStdString();
      EXPECT_TRUE(inside.contains(child->geometry())) << name << " on the border";
      EXPECT_FALSE(child->geometry().intersects(caption)) << name << " on the caption";
    }
  }
}

TEST_F(frmOptionTest, WithoutSoundDeviceSoundFileIsUnavailableAndStoredAsOff) {
  settings.MessageSoundFlag = 2;
  settings.MessageSoundFile = "/snd/a.wav";
  Open({false, false});
  EXPECT_FALSE(Find<QRadioButton>("optSound_2")->isEnabled());
  EXPECT_TRUE(Find<QRadioButton>("optSound_0")->isChecked());
  EXPECT_FALSE(Edit("txtSoundFile")->isEnabled());
  EXPECT_FALSE(Find<QGroupBox>("frmMsgOption_3")->isEnabled());
  ClickOK();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Saved().MessageSoundFlag, 0);
  EXPECT_EQ(Saved().MessageSoundFile, "/snd/a.wav");
  EXPECT_EQ(settings.MessageSoundFlag, 0);
}

TEST_F(frmOptionTest, OkRefusesEntriesInOrderAndStaysOpen) {
  struct Case {
    const char* appear;
    const char* move;
    const char* comment1;
    bool soundFileEmpty;
    std::string message;
  } cases[] = {
      {"0", "", "", true, kAppearError},  // the first failing check wins
      {"00", "5", "x", false, kAppearError},
      {"", "5", "x", false, kAppearError},     // empty is not a number
      {"150", "5", "x", false, kAppearError},  // three digits from a hand-edited file
      {"5", "", "x", false, kMoveError},
      {"5", "-1", "x", false, kMoveError},
      {"5", "0", "", false, kEmptyError},
      {"5", "0", "x", true, kFileError},
  };
  settings.MessageSoundFlag = 2;
  settings.MessageSoundFile = "/snd/a.wav";
  const IniSettings before = settings;
  for (const Case& c : cases) {
    Open();
    Edit("txtCommentAppearTime")->setText(QString::fromUtf8(c.appear));
    Edit("txtMoveTime")->setText(QString::fromUtf8(c.move));
    Edit("txtComment_1")->setText(QString::fromUtf8(c.comment1));
    if (c.soundFileEmpty) Edit("txtSoundFile")->clear();
    MessageBoxSeam::ClearCalls();
    ClickOK();
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message}) << c.appear << "/" << c.move;
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Edit("txtCommentAppearTime")->text(), QString::fromUtf8(c.appear));
    EXPECT_EQ(settings, before);
    EXPECT_FALSE(Saved_exists());
  }
}

TEST_F(frmOptionTest, NumberBoxesTakeTwoDigitsByKey) {
  Open();
  QLineEdit* appear = Edit("txtCommentAppearTime");
  QLineEdit* move = Edit("txtMoveTime");
  Edit("txtComment_2")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // the sample
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), appear);
  EXPECT_EQ(appear->selectedText(), "12");
  QTest::keyClick(appear, Qt::Key_A);
  EXPECT_EQ(appear->text(), "12");
  QTest::keyClick(appear, Qt::Key_Return);  // on to the walking time, selected
  ASSERT_EQ(QApplication::focusWidget(), move);
  EXPECT_EQ(move->selectedText(), "3");
  EXPECT_EQ(appear->text(), "12");
  QTest::keyClicks(move, "456");  // the third digit finds the box full
  EXPECT_EQ(move->text(), "45");

  appear->setFocus(Qt::TabFocusReason);
  QTest::keyClick(appear, Qt::Key_0);
  QTest::keyClick(appear, Qt::Key_5);
  EXPECT_EQ(appear->text(), "05");
  QApplication::clipboard()->setText("123");
  move->selectAll();
  move->paste();
  EXPECT_EQ(move->text(), "45");  // a paste never makes three digits
  QApplication::clipboard()->setText("7");
  move->selectAll();
  move->paste();
  EXPECT_EQ(move->text(), "7");
  QTest::keyClick(move, Qt::Key_Return);  // Enter in the last box confirms
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Saved().MessageTimes_Min, 5);
  EXPECT_EQ(Saved().MoveTimes_Min, 7);
}

TEST_F(frmOptionTest, CommentBoxesTakeTenCharactersTheFileCanHold) {
  Open();
  QLineEdit* box = Edit("txtComment_0");
  box->setFocus(Qt::TabFocusReason);
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, "abcdefghi");
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("😀"), {});
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("ア"), {});
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("イ"), {});
  EXPECT_EQ(box->text(), QString::fromUtf8("abcdefghiア"));
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Z);
  EXPECT_EQ(box->text(), "z");
}

TEST_F(frmOptionTest, SoundFilePathIsKeptWhateverTheSound) {
  settings.MessageSoundFlag = 2;
  Open();
  Edit("txtSoundFile")->setText("/snd/bell.WAV");
  QTest::mouseClick(Find<QRadioButton>("optSound_1"), Qt::LeftButton);
  ClickOK();
  EXPECT_EQ(Saved().MessageSoundFlag, 1);
  EXPECT_EQ(Saved().MessageSoundFile, "/snd/bell.WAV");
  Open();
  EXPECT_EQ(Edit("txtSoundFile")->text(), "/snd/bell.WAV");
  EXPECT_TRUE(Find<QRadioButton>("optSound_1")->isChecked());
}

// The dialog's own check of the machine, with the sound libraries opened only now: SDL's silent
// driver is an output; without the mixer library there is none, and a box over the dialog
// says which package is missing, once.
TEST_F(frmOptionTest, DeviceCheckFindsTheOutputOrSaysWhichLibraryIsMissing) {
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  const SoundDevices found = DetectSoundDevices();
  EXPECT_TRUE(found.Wave);
  EXPECT_EQ(found.Problem, "");

  SetSoundLibraryFiles(kSdlLibrary, (folder / "libSDL2_mixer-missing.so").string());
  const SoundDevices missing = DetectSoundDevices();
  SetSoundLibraryFiles(kSdlLibrary, kMixerLibrary);
  settings.MessageSoundFlag = 2;
  Open(missing);
  EXPECT_FALSE(Find<QCheckBox>("chkDev_0")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("chkDev_1")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("optSound_2")->isEnabled());
  EXPECT_TRUE(Find<QRadioButton>("optSound_0")->isChecked());
  ASSERT_TRUE(QTest::qWaitFor([] { return !MessageBoxSeam::Calls().empty(); }));
  const MessageCall call = MessageBoxSeam::Calls()[0];
  EXPECT_EQ(call.Caption, "音声ｴﾗｰ");
  EXPECT_EQ(call.Icon, MsgIcon::Warning);
  EXPECT_NE(call.Text.find("libSDL2_mixer-missing.so を読み込めない"), std::string::npos);
  EXPECT_NE(call.Text.find("libsdl2-mixer-2.0-0"), std::string::npos);
  dialog->hide();
  dialog->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(MessageBoxSeam::Calls().size(), 1u);
}

TEST_F(frmOptionTest, FileDialogOffersWhatThisMachinePlays) {
  struct Case {
    SoundDevices devices;
    std::vector<std::string> patterns;
  } cases[] = {{{true, false}, {"*.wav", "*.*"}},
               {{false, true}, {"*.mid", "*.*"}},
               {{true, true}, {"*.wav", "*.mid", "*.*"}}};
  settings.MessageSoundFlag = 2;
  for (const Case& c : cases) {
    FileOpenDialogSeam::Reset();
    FileOpenDialogSeam::QueueFileName("/snd/chosen.mid");
    Open(c.devices);
    QTest::mouseClick(Find<QPushButton>("comOpen"), Qt::LeftButton);
    ASSERT_EQ(FileOpenDialogSeam::Calls().size(), 1u);
    std::vector<std::string> patterns;
    for (const FileFilter& f : FileOpenDialogSeam::Calls()[0].Filter) patterns.push_back(f.Pattern);
    EXPECT_EQ(patterns, c.patterns);
    EXPECT_EQ(Edit("txtSoundFile")->text(), "/snd/chosen.mid");
  }
  // A cancelled file dialog empties the path, and OK then wants one.
  FileOpenDialogSeam::QueueFileName("");
  QTest::mouseClick(Find<QPushButton>("comOpen"), Qt::LeftButton);
  EXPECT_EQ(Edit("txtSoundFile")->text(), "");
  ClickOK();
  EXPECT_EQ(Messages(), std::vector<std::string>{kFileError});
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(frmOptionTest, NewBackgroundRepaintsTheDialogAndCancelKeepsTheSettings) {
  settings.ApplicationBackColor = 0xFFFFFF;
  const IniSettings before = settings;
  Open();
  ColorPickerSeam::QueueAnswer(0x00FFFF);  // yellow
  FlexGrid* sample = Find<FlexGrid>("FGridBgColor");
  QTest::mouseDClick(sample->viewport(), Qt::LeftButton, {}, sample->CellRect(0, 0).center());
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 1u);
  EXPECT_EQ(ColorPickerSeam::Calls()[0].SelectColor, 0xFFFFFF);
  const ColorFormPos below{1020 + WindowLeftTwips(dialog.get()),
                           720 + WindowTopTwips(dialog.get()) + 315 + 300};
  EXPECT_EQ(ColorPickerSeam::Calls()[0].Pos, below);

  const QColor yellow(255, 255, 0);
  for (const char* name : {"frmOption", "FrmCom", "frmMsgOption_0", "frmMsgOption_3", "optBlink_0",
                           "optSound_2", "chkDev_1"}) {
    QWidget* w = name == std::string("frmOption") ? dialog.get() : Find(name);
    EXPECT_EQ(w->palette().color(QPalette::Window), yellow) << name;
  }
  EXPECT_EQ(Edit("txtComment_0")->palette().color(QPalette::Base), yellow);
  const QImage shot = dialog->grab().toImage();
  EXPECT_EQ(shot.pixelColor(TwipsPoint(100, 100)), yellow);
  EXPECT_EQ(sample->CellBackColorAt(0, 0), 0x00FFFF);

  Find<QPushButton>("comCancel")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the focused button, not OK
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(Saved_exists());
  dialog->open();
  QTest::keyClick(dialog.get(), Qt::Key_Escape);  // as Cancel
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(Saved_exists());
}

TEST_F(frmOptionTest, CommentColoursAndWindowColoursAreStoredOnOk) {
  Open();
  ColorPickerSeam::QueueAnswer(0x808000);
  ColorPickerSeam::QueueAnswer(std::nullopt);  // a cancelled pick keeps the colour
  ColorPickerSeam::QueueAnswer(0x010101);
  FlexGrid* third = Find<FlexGrid>("CommentColor_2");
  third->setFocus();
  QTest::keyClick(third, Qt::Key_Return);
  FlexGrid* first = Find<FlexGrid>("CommentColor_0");
  QTest::mouseClick(first->viewport(), Qt::LeftButton, {},
                    first->CellRect(0, 0).center());  // one click
  FlexGrid* font = Find<FlexGrid>("FGridFontColor");
  font->setFocus();
  QTest::keyClick(font, Qt::Key_Return);
  ASSERT_EQ(ColorPickerSeam::Calls().size(), 3u);
  // Every comment sample opens the picker below the first one.
  EXPECT_EQ(ColorPickerSeam::Calls()[0].Pos, ColorPickerSeam::Calls()[1].Pos);
  EXPECT_EQ(Edit("txtComment_2")->palette().color(QPalette::Text), ToQColor(0x808000));
  EXPECT_EQ(Find("Label_5")->palette().color(QPalette::WindowText), QColor(1, 1, 1));
  ClickOK();
  const IniSettings saved = Saved();
  EXPECT_EQ(saved.Comments[2].Color, 0x808000);
  EXPECT_EQ(saved.Comments[0].Color, 0x0000FF);
  EXPECT_EQ(saved.ApplicationFontColor, 0x010101);
  EXPECT_EQ(saved, settings);
}

// The editor renumbers the day timetables in the file when it moves timetables, and the clock
// keeps what it read at its start: OK must not write the old numbers back over the new ones.
TEST_F(frmOptionTest, OkKeepsWhatAnotherProgramSavedSinceTheClockReadTheFile) {
  settings.DayTables.Tables = {0, 1, 2};
  IniSettings onDisk = settings;
  onDisk.DayTables.Tables = {2, -1, 0};
  onDisk.Desktop.TrayIcon = false;
  onDisk.MoveTimes_Min = 9;  // the dialog's own: what it shows wins
  WriteIniFile(onDisk, folder);
  Open();
  Edit("txtComment_0")->setText(QString::fromUtf8("終電"));
  ClickOK();
  ASSERT_FALSE(dialog->isVisible());
  IniSettings expected = onDisk;
  expected.MoveTimes_Min = 3;
  expected.Comments[0].Text = "終電";
  EXPECT_EQ(Saved(), expected);
  EXPECT_EQ(settings, expected);
}

TEST_F(frmOptionTest, FailedSaveSaysSoAndStaysOpen) {
  folder = folder / "gone";  // a folder that does not exist cannot take the file
  const IniSettings before = settings;
  Open();
  Edit("txtComment_0")->setText(QString::fromUtf8("終電"));
  ClickOK();
  ASSERT_EQ(MessageBoxSeam::Calls().size(), 1u);
  EXPECT_NE(MessageBoxSeam::Calls()[0].Caption, "");
  EXPECT_NE(MessageBoxSeam::Calls()[0].Caption, "入力エラー");
  EXPECT_EQ(MessageBoxSeam::Calls()[0].Icon, MsgIcon::Critical);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Edit("txtComment_0")->text(), QString::fromUtf8("終電"));
  EXPECT_EQ(settings, before);
}

}  // namespace
}  // namespace v42
