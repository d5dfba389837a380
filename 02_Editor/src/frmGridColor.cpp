#include "frmGridColor.h"

#include <QLabel>
#include <QPushButton>

#include "EtchedFrame.h"
#include "FlexGrid.h"
#include "Fonts.h"
#include "OleColor.h"
#include "TextBoxRules.h"
#include "Twips.h"
#include "frmColor.h"

namespace v42 {

namespace {

constexpr int kFrameWidth = 2775, kFrameHeight = 675;
constexpr int kSampleTop = 240, kSampleWidth = 540, kSampleHeight = 315;
constexpr std::array<int, 2> kSampleLeft{720, 2100};
constexpr std::array<int, 2> kLabelLeft{120, 1500};
constexpr std::array<const char*, 3> kFrameCaptions{"時刻表全体基本色", "次回表示色", "設定表示色"};
// The labels of each frame keep their design indexes: text colour first in frame 0 only.
constexpr std::array<std::array<int, 2>, 3> kLabelIndex{{{0, 1}, {3, 2}, {5, 4}}};

}  // namespace

std::array<Color, 6> ColorsOf(const GridColorSet& set) {
  return {set.BaseForeColor, set.BaseBackColor,   set.NextForeColor,
          set.NextBackColor, set.ChosenForeColor, set.ChosenBackColor};
}

void SetColors(GridColorSet& set, const std::array<Color, 6>& colors) {
  set = {colors[0], colors[1], colors[2], colors[3], colors[4], colors[5]};
}

frmGridColor::frmGridColor(EditorContext& context, QWidget* parent)
    : EditorDialog(parent), ctx_(context) {
  setObjectName("frmGridColor");
  setWindowTitle(QStringLiteral("全般設定"));
  setFont(GothicFont(9));
  FixClientSizeTwips(this, 4050, 2475);

  for (int f = 0; f < 3; ++f) {
    auto* frame = new EtchedFrame(QString::fromUtf8(kFrameCaptions[f]), this);
    frame->setObjectName(QStringLiteral("Frame_%1").arg(f));
    PlaceTwips(frame, 0, 720 * f, kFrameWidth, kFrameHeight);
    Frame_[f] = frame;
    for (int k = 0; k < 2; ++k) {
      const int i = 2 * f + k;
      auto* label = new QLabel(k == 0 ? QStringLiteral("文字色") : QStringLiteral("背景色"), frame);
      label->setObjectName(QStringLiteral("Label_%1").arg(kLabelIndex[f][k]));
      MoveTwips(label, kLabelLeft[k], 300);
      label->adjustSize();

      auto* sample = new FlexGrid(frame);
      sample->setObjectName(QStringLiteral("FGridColor_%1").arg(i));
      sample->SetRows(1);
      sample->SetCols(1);
      sample->SetFixedRows(0);
      sample->SetFixedCols(0);
      sample->SetScrollBarsShown(false);
      PlaceTwips(sample, kSampleLeft[k], kSampleTop, kSampleWidth, kSampleHeight);
      // One click opens the colours; the picker is modal, so a double click opens it once.
      connect(sample, &FlexGrid::Click, this, [this, i] { FGridColor_DblClick(i); });
      connect(sample, &FlexGrid::DblClick, this, [this, i] { FGridColor_DblClick(i); });
      connect(sample, &FlexGrid::KeyPress, this, [this, i](int& key) {
        if (key == '\r') FGridColor_DblClick(i);
        key = 0;
      });
      FGridColor_[i] = sample;
    }
  }

  auto* preview = new EtchedFrame(QStringLiteral("プレビュー"), this);
  preview->setObjectName("Frame_3");
  PlaceTwips(preview, 2820, 0, 1215, 2115);
  for (int k = 0; k < 3; ++k) {
    auto* label = new QLabel(QStringLiteral("99"), preview);
    label->setObjectName(QStringLiteral("lblPrev_%1").arg(k));
    label->setAutoFillBackground(true);
    label->setAlignment(Qt::AlignCenter);
    PlaceTwips(label, 420, 270 + 720 * k, 435, 255);
    lblPrev_[k] = label;
  }

  constexpr std::array<const char*, 3> kCaptions{"OK", "Cancel", "Default"};
  std::array<QPushButton*, 3> buttons{};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(QString::fromUtf8(kCaptions[i]), this);
    button->setObjectName(QStringLiteral("cmdAct_%1").arg(i));
    PlaceTwips(button, 1320 * i + (i == 2 ? 60 : 0), 2160, 1335, 315);
    connect(button, &QPushButton::clicked, this, [this, i] { cmdAct_Click(i); });
    buttons[i] = button;
  }
  // Tab order: the six samples, then OK, Cancel, Default.
  QWidget* previous = FGridColor_[0];
  for (QWidget* next :
       {static_cast<QWidget*>(FGridColor_[1]), static_cast<QWidget*>(FGridColor_[2]),
        static_cast<QWidget*>(FGridColor_[3]), static_cast<QWidget*>(FGridColor_[4]),
        static_cast<QWidget*>(FGridColor_[5]), static_cast<QWidget*>(buttons[0]),
        static_cast<QWidget*>(buttons[1]), static_cast<QWidget*>(buttons[2])}) {
    setTabOrder(previous, next);
    previous = next;
  }
  NoDefaultButtons(this);
  Form_Load();
}

void frmGridColor::Form_Load() {
  CentreOnScreen(this);
  const auto colors = ColorsOf(ctx_.WorkRecord.GridColors);
  for (int i = 0; i < 6; ++i) {
    FGridColor_[i]->SetColWidth(0, 450);
    SetSample(i, colors[i]);
  }
}

void frmGridColor::SetSample(int index, Color color) {
  FGridColor_[index]->SetCellBackColorAt(0, 0, color);
  SetPaletteColor(lblPrev_[index / 2], index % 2 == 0 ? QPalette::WindowText : QPalette::Window,
                  color);
}

void frmGridColor::FGridColor_DblClick(int index) {
  FlexGrid* sample = FGridColor_[index];
  const QWidget* frame = Frame_[index / 2];
  // Just below the sample.
  const ColorFormPos pos{
      PixelsToTwipsX(sample->x()) + PixelsToTwipsX(frame->x()) + WindowLeftTwips(this),
      PixelsToTwipsY(sample->y()) + PixelsToTwipsY(frame->y()) + WindowTopTwips(this) +
          PixelsToTwipsY(sample->height()) + 300};
  SetSample(index, PickColor(this, sample->CellBackColorAt(0, 0), pos));
}

void frmGridColor::cmdAct_Click(int index) {
  switch (index) {
    case 0: {
      std::array<Color, 6> colors{};
      for (int i = 0; i < 6; ++i) colors[i] = FGridColor_[i]->CellBackColorAt(0, 0);
      SetColors(ctx_.WorkRecord.GridColors, colors);
      CloseWithOk();
      break;
    }
    case 1:
      CloseWithCancel();
      break;
    case 2: {
      const auto defaults = ColorsOf(GridColorSet{});
      for (int i = 0; i < 6; ++i) SetSample(i, defaults[i]);
      break;
    }
    default:
      break;
  }
}

}  // namespace v42
