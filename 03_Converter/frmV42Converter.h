// The converter's one window: a timetable file and a settings file, and the "変換" button.
#pragma once

#include <QMainWindow>
#include <array>
#include <filesystem>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace v42 {

class frmV42Converter : public QMainWindow {
  Q_OBJECT

 public:
  // appFolder: where the suite keeps its files; the choosers start there.
  explicit frmV42Converter(std::filesystem::path appFolder, QWidget* parent = nullptr);

  void Form_Load();
  void cmdAct_Click(int index);
  void cmdChange_Click();
  void menuFileEnd_Click();
  void menuHelpVersion_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateChangeButton();

  std::array<QLabel*, 2> Label1{};
  std::array<QLineEdit*, 2> txtFilePath{};
  std::array<QPushButton*, 2> cmdAct{};
  QPushButton* cmdChange = nullptr;
  QFrame* Line1 = nullptr;
  QFrame* Line2 = nullptr;
  std::filesystem::path appFolder_;
};

}  // namespace v42
