// The clock's version box, painted in the clock's colours.
#pragma once

#include <QDialog>
#include <filesystem>

#include "Model.h"

class QFrame;
class QLabel;
class QPushButton;

namespace v42 {

class frmVersion : public QDialog {
  Q_OBJECT

 public:
  // appFolder: named in the box's tool tip, so the user can find the files.
  frmVersion(const IniSettings& settings, const std::filesystem::path& appFolder,
             QWidget* parent = nullptr);

 public slots:
  // Closes only through its own button, as a box without a control box does.
  void reject() override {}

 private:
  void Form_Load(const IniSettings& settings);

  QFrame* frmVer;
  QLabel* Label[4];
  QPushButton* Command1;
};

}  // namespace v42
