// Finds text that its box cuts off, measured in the font each control is drawn in: what a
// user with another Japanese font or another scale would see as "19:0(".
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <string>
#include <vector>

#include "Fonts.h"

namespace v42::test {

inline int TextWidth(const QWidget* w, QString text) {
  text.replace("&&", "\x01").remove('&').replace("\x01", "&");  // mnemonics take no room
  int width = 0;
  for (const QString& line : text.split('\n'))
    width = std::max(width, QFontMetrics(w->font()).horizontalAdvance(line));
  return width;
}

// "name "text": needs N, has M" for each visible label, button and check box under root.
inline std::vector<std::string> CutTexts(const QWidget* root) {
  std::vector<std::string> cut;
  const auto check = [&](const QWidget* w, const QString& text, int room) {
    const int need = TextWidth(w, text);
    if (!text.isEmpty() && need > room)
      cut.push_back(QString("%1 \"%2\": needs %3, has %4")
                        .arg(w->objectName(), text)
                        .arg(need)
                        .arg(room)
                        .toStdString());
  };
  for (const QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root)) continue;
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
      if (!label->wordWrap() && label->textFormat() != Qt::RichText)
        check(label, label->text(), label->contentsRect().width() - 2 * label->margin());
      continue;
    }
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    if (button == nullptr) continue;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(w)) contents = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(w)) contents = QStyle::SE_RadioButtonContents;
    if (contents == QStyle::SE_PushButtonContents && !qobject_cast<const QPushButton*>(w)) continue;
    check(button, button->text(), w->style()->subElementRect(contents, &option, w).width());
  }
  return cut;
}

// For a run meant for one font (V42_EXPECT_FONT): false when that font is not installed here,
// so the run has nothing to show; a failure when it is installed but the windows draw in
// another, as a run in the wrong font proves nothing.
inline bool InTheExpectedFont() {
  const QString expected = qEnvironmentVariable("V42_EXPECT_FONT");
  if (expected.isEmpty()) return true;
  if (!QFontDatabase::families().contains(expected)) return false;
  EXPECT_EQ(QFontInfo(GothicFont(12)).family().toStdString(), expected.toStdString());
  return true;
}

// Every text under root whole, or one failure per cut one.
inline void ExpectWhole(const QWidget* root) {
  ASSERT_NE(root, nullptr);
  for (const std::string& cut : CutTexts(root)) ADD_FAILURE() << cut;
}

}  // namespace v42::test
