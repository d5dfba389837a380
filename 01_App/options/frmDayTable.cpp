#include "frmDayTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "DataFile.h"
#include "DayChoice.h"
#include "Fonts.h"
#include "SaveSettings.h"

namespace v42 {

frmDayTable::frmDayTable(IniSettings& settings, const TimetableStore& store,
                         std::filesystem::path appFolder, QWidget* parent)
    : QDialog(parent), settings_(settings), shown_(store), appFolder_(std::move(appFolder)) {
  setObjectName("frmDayTable");
  setWindowTitle(kCaption);
  setFont(GothicFont(9));
  setModal(true);

  const DayTableSettings& current = settings.DayTables;
  const int count = std::min<int>(store.Count, kTimetableCount);
  // Switched off, the dialog starts from what the titles suggest, for the user to confirm.
  const std::array<int, 3> tables = current.IsOn() ? current.Tables : ProposeDayTables(store);

  auto* form = new QFormLayout;
  const char* labels[3] = {"平日(&W)", "土曜(&S)", "休日(&H)"};
  const char* names[3] = {"cmbDayTable_Weekday", "cmbDayTable_Saturday", "cmbDayTable_Holiday"};
  for (int k = 0; k < 3; ++k) {
    QComboBox* combo = cmbDayTable[k] = new QComboBox(this);
    combo->setObjectName(names[k]);
    combo->addItem("切り替えない");
    for (int i = 0; i < count; ++i) combo->addItem(QString::fromStdString(store.Records[i].Title));
    combo->setCurrentIndex(tables[k] >= 0 && tables[k] < count ? tables[k] + 1 : 0);
    form->addRow(labels[k], combo);
  }
  spnDayStartHour = new QSpinBox(this);
  spnDayStartHour->setObjectName("spnDayStartHour");
  spnDayStartHour->setRange(0, 23);
  spnDayStartHour->setSuffix(" 時");
  spnDayStartHour->setValue(current.DayStartHour);
  form->addRow("1日の始まり(&T)", spnDayStartHour);
  chkYearEndHoliday = new QCheckBox("年末年始 (12月29日～1月3日) は休日(&Y)", this);
  chkYearEndHoliday->setObjectName("chkYearEndHoliday");
  chkYearEndHoliday->setChecked(current.YearEndHoliday);
  form->addRow(chkYearEndHoliday);

  auto* buttons = new QDialogButtonBox(this);
  comOK = buttons->addButton("ＯＫ", QDialogButtonBox::AcceptRole);
  comOK->setObjectName("comOK");
  comOK->setDefault(true);
  comCancel = buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
  comCancel->setObjectName("comCancel");
  connect(comOK, &QPushButton::clicked, this, &frmDayTable::comOK_Click);
  connect(comCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmDayTable::comOK_Click() {
  const auto enter = [this](IniSettings& entered) {
    for (int k = 0; k < 3; ++k) entered.DayTables.Tables[k] = cmbDayTable[k]->currentIndex() - 1;
    entered.DayTables.DayStartHour = spnDayStartHour->value();
    entered.DayTables.YearEndHoliday = chkYearEndHoliday->isChecked();
  };
  // The numbers are positions in the list shown; the editor may have saved another order
  // while the dialog was open, and then they would pick other timetables.
  const auto refusal = [this] {
    const bool changed =
        FileExists(appFolder_ / kDataFileName) && !SameTimetableList(shown_, appFolder_);
    return changed ? std::string(kListChanged) : std::string();
  };
  if (SaveSettings(this, enter, settings_, appFolder_, refusal)) accept();
}

}  // namespace v42
