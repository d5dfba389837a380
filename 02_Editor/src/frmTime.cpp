#include "frmTime.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "DepartureGrid.h"
#include "Fonts.h"
#include "HourRange.h"
#include "MessageBox.h"
#include "TextBoxRules.h"
#include "Twips.h"

namespace v42 {

namespace {

// The labels place their words around the boxes with runs of blanks, each blank 60 twips wide
// in the design font. Whatever font stands in, the blanks are drawn at that width so that the
// words sit beside the boxes, not under them.
class SentenceLabel : public QLabel {
 public:
  SentenceLabel(QWidget* parent, const char* name, const char* text)
      : QLabel(QString::fromUtf8(text), parent) {
    setObjectName(name);
  }

  // The design height is less than a line of the stand-in font; the label grows around the
  // design box's centre so that no glyph is cut.
  void Place(int left, int top, int width, int height) {
    PlaceTwips(this, left, top, width, height);
    const int line = QFontMetrics(font()).height();
    if (line > this->height())
      setGeometry(x(), y() - (line - this->height()) / 2, this->width(), line);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetricsF metrics(font());
    const double blank = TwipsToPixelsX(60);
    const double baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    double x = 0;
    for (const QChar ch : text()) {
      if (ch == QChar(' ')) {
        x += blank;
        continue;
      }
      painter.drawText(QPointF(x, baseline), QString(ch));
      x += metrics.horizontalAdvance(ch);
    }
  }
};

constexpr const char* kRangeMessage = "開始時間は0～23、時間数は1～24の範囲で入力してください。";

}  // namespace

frmTime::frmTime(EditorContext& context, QWidget* parent) : EditorDialog(parent), ctx_(context) {
  setObjectName("frmTime");
  setWindowTitle(QStringLiteral("設定範囲"));
  setFont(PGothicFont(9));
  FixClientSizeTwips(this, 2775, 855);

  auto* label2 = new SentenceLabel(this, "Label2", "開始時間         時 から        時間");
  label2->Place(60, 60, 2715, 195);
  auto* label1 = new SentenceLabel(this, "Label1", "             (0-23)         (1-24)");
  label1->Place(60, 360, 2715, 195);

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
  if (!range) {
    // The dialog stays open for the value to be put right.
    ShowMessage(this, kRangeMessage, kInputErrorCaption, MsgIcon::Warning);
    return;
  }
  const std::vector<int> leaving = HoursLeaving(ctx_.WorkRecord, *range);
  if (!leaving.empty() &&
      ShowMessage(this,
                  HourList(leaving) + "は新しい範囲の外になり、その分データは削除されます。\n"
                                      "よろしいですか？",
                  "設定範囲", MsgIcon::Question,
                  QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return;
  MoveToHourRange(ctx_.WorkRecord, *range);
  CloseWithOk();
}

}  // namespace v42
