// The alert that the chosen departure is near: blinks and plays the alert sound until closed.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>

#include "AlertSound.h"
#include "Model.h"

class QLabel;
class QPushButton;

namespace v42 {

class frmMsg : public QDialog {
  Q_OBJECT

 public:
  // mainWindow: the clock's window, which is asked for attention in turn with this one.
  frmMsg(const IniSettings& settings, QWidget* mainWindow, QWidget* parent = nullptr);
  ~frmMsg() override;

  // The attention state each window was last put in (true = inverted).
  bool MsgInverted() const { return msgInverted_; }
  bool MainInverted() const { return mainInverted_; }
  int BlinkInterval() const { return Timer1.isActive() ? Timer1.interval() : 0; }
  PlayKind Playing() const { return static_cast<PlayKind>(SoundKind); }
  bool SoundOpen() const { return sound_.IsOpen(); }

  static constexpr const char* kCaption = "通知";
  static constexpr const char* kInvertedCaption = "◆ 通知 ◆";

 public slots:
  void Timer1_Timer();
  void done(int result) override;

 private:
  void Form_Load(const IniSettings& settings);
  void Form_Unload();
  void FlashWindow(QWidget* window, std::int16_t invert);
  void comOK_Click();

  QWidget* main_;
  QTimer Timer1;
  QLabel* Label1;
  QLabel* Image1;
  QPushButton* comOK;
  AlertSound sound_;

  std::int16_t FlashMsgFlag = 0;
  std::int16_t FlashMainFlag = 0;
  std::int16_t ActivatedFlag = 0;
  std::int16_t SoundKind = 0;
  bool msgInverted_ = false;
  bool mainInverted_ = false;
  bool unloaded_ = false;
};

}  // namespace v42
