// The alert window's blinking and closing, and the version box.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "OleColor.h"
#include "SoundDevice.h"
#include "SoundFiles.h"
#include "frmMsg.h"
#include "frmVersion.h"

namespace v42 {
namespace {

IniSettings Blinking(bool blink) {
  IniSettings s;
  s.MessageBlinkFlag = blink ? 1 : 0;
  s.MessageSoundFlag = 0;
  return s;
}

struct Phase {
  bool msg, main;
};

// What each blink tick leaves inverted: with the clock window normal the two alternate; with
// it minimised both invert on the first tick, both return on the second, then they alternate.
TEST(AlertWindow, BlinkPhasesFollowTheMainWindowsState) {
  struct Case {
    bool minimised;
    std::vector<Phase> phases;
  };
  for (const Case& c : {Case{false, {{true, false}, {false, true}, {true, false}, {false, true}}},
                        Case{true, {{true, true}, {false, false}, {true, false}, {false, true}}}}) {
    QWidget main;
    main.show();
    if (c.minimised) main.showMinimized();
    frmMsg alert(Blinking(true), &main);
    EXPECT_EQ(alert.BlinkInterval(), 500);
    for (std::size_t i = 0; i < c.phases.size(); ++i) {
      alert.Timer1_Timer();
      EXPECT_EQ(alert.MsgInverted(), c.phases[i].msg) << "tick " << i << " min " << c.minimised;
      EXPECT_EQ(alert.MainInverted(), c.phases[i].main) << "tick " << i << " min " << c.minimised;
      EXPECT_EQ(alert.windowTitle(), c.phases[i].msg ? "◆ 通知 ◆" : "通知");
    }
  }
}

TEST(AlertWindow, ClosingLeavesTheMainWindowInItsNormalLook) {
  QWidget main;
  main.show();
  frmMsg alert(Blinking(true), &main);
  alert.open();
  alert.Timer1_Timer();
  alert.Timer1_Timer();  // the main window is inverted now
  ASSERT_TRUE(alert.MainInverted());
  QTest::mouseClick(alert.findChild<QPushButton*>("comOK"), Qt::LeftButton);
  EXPECT_FALSE(alert.isVisible());
  EXPECT_FALSE(alert.MainInverted());
  EXPECT_EQ(alert.BlinkInterval(), 0);
}

TEST(AlertWindow, WithoutBlinkingNothingAlternates) {
  QWidget main;
  frmMsg alert(Blinking(false), &main);
  alert.open();
  EXPECT_EQ(alert.BlinkInterval(), 0);  // its timer is the only thing that blinks
  EXPECT_EQ(alert.windowTitle(), "通知");
  EXPECT_FALSE(alert.MsgInverted());
  auto* label = alert.findChild<QLabel*>("Label1");
  EXPECT_EQ(label->text(), "もうすぐ設定時刻です。");
  EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
  QTest::keyClick(&alert, Qt::Key_Escape);
  EXPECT_FALSE(alert.isVisible());
}

// However the alert goes, its sound is stopped and the device released.
TEST(AlertWindow, EveryWayOfClosingStopsTheSound) {
  // ctest sets the silent dummy driver; run by hand, the binary needs it too.
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  if (!HasWaveDevice()) GTEST_SKIP() << "no audio output";
  QTemporaryDir dir;
  const std::string wav = (dir.path() + "/alert tone.wav").toStdString();
  test::WriteToneWav(wav, 3000);
  IniSettings s = Blinking(true);
  s.MessageSoundFlag = 2;
  s.MessageSoundFile = wav;
  const std::vector<std::function<void(frmMsg&)>> ways = {
      [](frmMsg& a) { QTest::mouseClick(a.findChild<QPushButton*>("comOK"), Qt::LeftButton); },
      [](frmMsg& a) { QTest::keyClick(&a, Qt::Key_Escape); },
      [](frmMsg& a) { a.close(); },
  };
  for (std::size_t i = 0; i < ways.size(); ++i) {
    frmMsg alert(s, nullptr);
    alert.open();
    ASSERT_EQ(alert.Playing(), PlayKind::Wave) << i;
    ASSERT_TRUE(alert.SoundOpen()) << i;
    ways[i](alert);
    EXPECT_FALSE(alert.SoundOpen()) << i;
  }
  auto owned = std::make_unique<frmMsg>(s, nullptr);  // the clock window closing takes it along
  ASSERT_TRUE(owned->SoundOpen());
  owned.reset();
}

TEST(VersionBox, PaintedInTheClocksColoursAndClosedOnlyByItsButton) {
  IniSettings s;
  s.ApplicationBackColor = 0x102030;
  s.ApplicationFontColor = 0x00FF80;
  frmVersion box(s, "/srv/時刻表");
  box.open();
  EXPECT_EQ(box.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(box.toolTip(), "保存先: /srv/時刻表");
  EXPECT_EQ(box.palette().color(QPalette::Window), ToQColor(0x102030));
  EXPECT_EQ(box.findChild<QWidget*>("frmVer")->palette().color(QPalette::Window),
            ToQColor(0x102030));
  for (const char* name : {"Label_0", "Label_1", "Label_2", "Label_3"})
    EXPECT_EQ(box.findChild<QLabel*>(name)->palette().color(QPalette::WindowText),
              ToQColor(0x00FF80))
        << name;
  for (QLabel* label : box.findChildren<QLabel*>()) {
    const QFontMetrics fm(label->font());
    EXPECT_LE(fm.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
    EXPECT_LE(fm.height(), label->height()) << label->text().toStdString();
  }
  EXPECT_EQ(box.findChild<QLabel*>("Label_0")->text(), "ベルカン 42");
  EXPECT_EQ(box.findChild<QLabel*>("Label_1")->text(), "ver2.10");
  QTest::keyClick(&box, Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());
  QTest::mouseClick(box.findChild<QPushButton*>("Command1"), Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace v42
