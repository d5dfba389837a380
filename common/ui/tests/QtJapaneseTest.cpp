#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTranslator>

#include "QtJapanese.h"

namespace v42 {
namespace {

// What a user reads on the standard buttons and in the file chooser.
TEST(QtJapanese, StandardButtonsAndTheFileChooserSpeakJapanese) {
  QTranslator* translator = InstallQtJapanese();
  ASSERT_NE(translator, nullptr) << "Qt's Japanese translation (qt6-translations-l10n) is missing";
  QMessageBox box(QMessageBox::Question, "t", "t",
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "はい(&Y)");
  EXPECT_EQ(box.button(QMessageBox::No)->text(), "いいえ(&N)");
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "キャンセル");

  QFileDialog chooser;
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  QStringList labels;
  for (const QLabel* label : chooser.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("ファイル名(&N):")) << labels.join('|').toStdString();
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

}  // namespace
}  // namespace v42
