#include "frmTime.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Fonts.h"
#include "HourRange.h"
#include "TextBoxRules.h"
#include "Twips.h"

namespace v42 {

namespace {

// The labels place their words with runs of blanks around the boxes; the design font's blank
// is 60 twips wide, so the blanks are widened or narrowed to that whatever font stands in.
QLabel* SentenceLabel(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  QFont font = label->font();
  const double blank = QFontMetricsF(font).horizontalAdvance(QChar(' '));
  font.setWordSpacing(TwipsToPixelsX(60) - blank);
  label->setFont(font);
  return label;
}

}  // namespace

frmTime::frmTime(EditorContext& context, QWidget* parent) : EditorDialog(parent), ctx_(context) {
  setObjectName("frmTime");
  setWindowTitle(QStringLiteral("設定範囲"));
  setFont(PGothicFont(9));
  FixClientSizeTwips(this, 2775, 855);

  auto* label2 = SentenceLabel(this, "Label2", "開始時間         時 から        時間");
  PlaceTwips(label2, 60, 60, 2715, 195);
  auto* label1 = SentenceLabel(this, "Label1", "             (0-23)         (1-24)");
  PlaceTwips(label1, 60, 360, 2715, 195);

  for (int i = 0; i < 2; ++i) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("txtHour_%1").arg(i));
    box->setAlignment(Qt::AlignRight);
    PlaceTwips(box, i == 0 ? 900 : 1920, 0, 375, 300);
    MakeTwoDigitBox(box);
    box->installEventFilter(this);
    txtHour_[i] = box;
  }
  for (int i = 0; i < 2; ++i) {
    auto* button = new QPushButton(i == 0 ? QStringLiteral("OK") : QStringLiteral("Cancel"), this);
    button->setObjectName(QStringLiteral("cmdAct_%1").arg(i));
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
    PlaceTwips(button, i == 0 ? 0 : 1380, 600, 1395, 255);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
  }
  NoDefaultButtons(this);
  Form_Load();
}

void frmTime::Form_Load() {
  // A timetable without hours yet opens with empty boxes rather than a made-up range.
  if (const auto range = ReadHourRange(ctx_.WorkRecord)) {
    txtHour_[0]->setText(QString::number(range->Start));
    txtHour_[1]->setText(QString::number(range->Count));
  }
  CentreOnScreen(this);
}

bool frmTime::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn)
    for (auto* box : txtHour_)
      if (watched == box) box->setSelection(0, 2);
  return EditorDialog::eventFilter(watched, event);
}

void frmTime::cmdAct_Click(int index) {
  if (index == 1) {
    CloseWithCancel();
    return;
  }
  const auto range =
      ParseHourRange(txtHour_[0]->text().toStdString(), txtHour_[1]->text().toStdString());
  if (!range) return;  // out of range: the dialog stays as it is
  WriteHourRange(ctx_.WorkRecord, *range);
  CloseWithOk();
}

}  // namespace v42
