// The clock's settings dialog. Modal; OK checks the entries, stores them into the settings and
// writes velkan42.ini, then closes with Accepted; Cancel closes with Rejected and stores nothing.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <string>

#include "Model.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace v42 {

class FlexGrid;

struct SoundDevices {
  bool Wave = false;
  bool Midi = false;
  std::string Problem = {};  // why the sound library could not be opened; "" = it could
};
SoundDevices DetectSoundDevices();

class frmOption : public QDialog {
  Q_OBJECT

 public:
  frmOption(IniSettings& settings, std::filesystem::path appFolder, QWidget* parent = nullptr);
  frmOption(IniSettings& settings, std::filesystem::path appFolder, SoundDevices devices,
            QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  void Form_Load();
  void SetFormColor();
  void comOK_Click();
  void comCancel_Click();
  void comOpen_Click();
  void FGridFontColor_DblClick();
  void FGridBgColor_DblClick();
  void CommentColor_DblClick(int index);
  void optSound_Click(int index);
  void PaintSample(FlexGrid* sample, Color color);
  void PaintComment(int index);
  bool Validate();

  IniSettings& settings_;
  std::filesystem::path appFolder_;
  SoundDevices devices_;
  bool closing_ = false;

  Color WorkFontColor = 0;
  Color WorkBackColor = 0;
  std::array<Color, kCommentCount> WorkCommentColor{};

  std::array<QLabel*, 9> Label{};
  FlexGrid* FGridFontColor = nullptr;
  FlexGrid* FGridBgColor = nullptr;
  QLineEdit* txtMoveTime = nullptr;
  QGroupBox* FrmCom = nullptr;
  std::array<QLineEdit*, kCommentCount> txtComment{};
  std::array<FlexGrid*, kCommentCount> CommentColor{};
  QLineEdit* txtCommentAppearTime = nullptr;
  std::array<QGroupBox*, 5> frmMsgOption{};
  std::array<QRadioButton*, 2> optBlink{};
  std::array<QRadioButton*, 3> optSound{};
  std::array<QCheckBox*, 2> chkDev{};
  QLineEdit* txtSoundFile = nullptr;
  QPushButton* comOpen = nullptr;
  QPushButton* comOK = nullptr;
  QPushButton* comCancel = nullptr;
};

}  // namespace v42
