// The GTFS import dialog on small feeds written here: from the menu through the feed, the stop,
// the lines and the day to a timetable in the list; cancelled and broken reads; the day kinds.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QThread>
#include <map>
#include <set>

#include "EditorFixture.h"
#include "FileOpenDialog.h"
#include "frmGtfsImport.h"

// Readable failures: gtest would print a QString as its UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace v42::test {
namespace {

using Files = std::vector<std::pair<QString, QByteArray>>;

// Weekdays at 駅前 (S1): 7:05 and 7:40 on route 1, 7:20 on route 2 and, the other way,
// 24:30 on route 2. Saturdays: 9:00 on route 1. No service on Sundays or holidays.
const Files kFeed = {
    {"agency.txt",
     "agency_id,agency_name,agency_url,agency_timezone\n"
     "A,テストバス,https://example.jp/,Asia/Tokyo\n"},
    {"stops.txt",
     "stop_id,stop_name\n"
     "S1,駅前\n"
     "S2,市役所\n"
     "S3,駅前北口\n"},
    {"routes.txt",
     "route_id,agency_id,route_short_name,route_long_name,route_type,route_color,"
     "route_text_color\n"
     "R1,A,1系統,,3,FF0000,FFFFFF\n"
     "R2,A,2系統,,3,0000FF,FFFF00\n"},
    {"trips.txt",
     "route_id,service_id,trip_id,trip_headsign,direction_id\n"
     "R1,WD,T1,市役所,0\n"
     "R1,WD,T2,市役所,0\n"
     "R2,WD,T3,市役所,0\n"
     "R2,WD,T4,北口,1\n"
     "R1,SA,T5,市役所,0\n"},
    {"calendar.txt",
     "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
     "WD,1,1,1,1,1,0,0,20261201,20261231\n"
     "SA,0,0,0,0,0,1,0,20261201,20261231\n"},
    {"stop_times.txt",
     "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
     "T1,07:05:00,07:05:00,S1,1\n"
     "T1,07:15:00,07:15:00,S2,2\n"
     "T2,07:40:00,07:40:00,S1,1\n"
     "T2,07:50:00,07:50:00,S2,2\n"
     "T3,07:20:00,07:20:00,S1,1\n"
     "T3,07:30:00,07:30:00,S2,2\n"
     "T4,24:30:00,24:30:00,S1,1\n"
     "T4,24:35:00,24:35:00,S3,2\n"
     "T5,09:00:00,09:00:00,S1,1\n"
     "T5,09:10:00,09:10:00,S2,2\n"},
};

TimetableRecord OneTimetable() { return Timetable("平日", 6, {{{10, 0}}}); }

constexpr Color kRed = 0x0000FF, kBlue = 0xFF0000, kYellow = 0x00FFFF;

class GtfsImport : public EditorFixture {
 protected:
  void TearDown() override {
    FileOpenDialogSeam::Reset();
    EditorFixture::TearDown();
  }

  // Writes a feed folder; returns the path of its stops.txt, the file a user picks.
  QString WriteFeed(const QString& name, const Files& files) {
    const QString folder = dir_.filePath(name);
    QDir().mkpath(folder);
    for (const auto& [file, text] : files) {
      QFile out(folder + '/' + file);
      EXPECT_TRUE(out.open(QIODevice::WriteOnly));
      out.write(text);
    }
    return folder + "/stops.txt";
  }

  // The import dialog through the editor's menu.
  frmGtfsImport* OpenFromMenu() {
    auto* action = window_->menuBar()->findChild<QAction*>("menuFileImport");
    EXPECT_NE(action, nullptr);
    action->trigger();
    return dialog_ = OpenWindow<frmGtfsImport>(window_.get());
  }

  template <class T>
  T* Control(const char* name) {
    T* control = dialog_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QProgressDialog* Progress() { return dialog_->findChild<QProgressDialog*>("prgLoad"); }
  bool Reading() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return Progress() != nullptr;
  }

  // Picks a feed through the open-file dialog; the read runs on.
  void ChooseFeed(const QString& stopsFile) {
    FileOpenDialogSeam::QueueFileName(stopsFile.toStdString());
    Click(Control<QPushButton>("cmdFeed"));
  }
  void LoadFeed(const QString& stopsFile) {
    ChooseFeed(stopsFile);
    QTRY_VERIFY(!Reading());
  }
  void Search(const QString& text) {
    Control<QLineEdit>("txtStop")->clear();
    TypeText(Control<QLineEdit>("txtStop"), text);
  }
  QStringList Items(const char* list) {
    QStringList texts;
    auto* widget = Control<QListWidget>(list);
    for (int i = 0; i < widget->count(); ++i) texts << widget->item(i)->text();
    return texts;
  }
  // Which of the found stops the lines and the preview belong to: the one in bold.
  std::vector<bool> ReadStops() {
    std::vector<bool> bold;
    auto* stops = Control<QListWidget>("lstStops");
    for (int i = 0; i < stops->count(); ++i) bold.push_back(stops->item(i)->font().bold());
    return bold;
  }
  void PickStop(int row) {
    auto* stops = Control<QListWidget>("lstStops");
    QTest::mouseClick(stops->viewport(), Qt::LeftButton, {},
                      stops->visualItemRect(stops->item(row)).center());
  }
  // A radio button or check box is clicked on its indicator: the widget may be wider than it.
  void Choose(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }
  void PickDate(QDate date) {
    Choose(Control<QRadioButton>("optDay_3"));
    Control<QDateEdit>("dtpDate")->setDate(date);
  }
  void Untick(const char* list, int row) {
    Control<QListWidget>(list)->item(row)->setCheckState(Qt::Unchecked);
  }
  // The preview's rows as "hour: minute minute ...".
  QStringList GridRows() {
    FlexGrid* grid = dialog_->Grid();
    QStringList rows;
    for (int r = 0; r < grid->Rows(); ++r) {
      QStringList cells;
      for (int c = 0; c < grid->Cols(); ++c)
        if (!grid->TextMatrix(r, c).isEmpty()) cells << grid->TextMatrix(r, c);
      if (cells.isEmpty()) continue;
      const QString hour = cells.takeFirst();
      rows << hour + ": " + cells.join(' ');
    }
    return rows;
  }

  // The feed loaded and 駅前 read, on Monday 2026-12-07, over one timetable or the given ones.
  void ReadyAtStation(const std::vector<TimetableRecord>& records = {OneTimetable()}) {
    Open(records);
    ASSERT_NE(OpenFromMenu(), nullptr);
    LoadFeed(WriteFeed("feed", kFeed));
    Search("駅前");
    ASSERT_EQ(Items("lstStops"),
              (QStringList{"駅前\u3000[1系統, 2系統]", "駅前北口\u3000[2系統]"}));
    PickStop(0);
    QTRY_VERIFY(!Reading());
    PickDate(QDate(2026, 12, 7));
  }

  QPointer<frmGtfsImport> dialog_;
};

TEST_F(GtfsImport, TheChosenLinesAndDayPreviewInTheirColoursAndOkAddsTheTimetable) {
  ReadyAtStation();
  EXPECT_EQ(Items("lstRoutes"), (QStringList{"1系統", "2系統"}));
  EXPECT_EQ(Items("lstHeadsigns"), (QStringList{"北口", "市役所"}));
  EXPECT_TRUE(Control<QCheckBox>("chkDirection_1")->isChecked());

  // Everything: the night bus ends the grid as hour 0 after the empty hours between.
  QStringList rows = GridRows();
  ASSERT_EQ(rows.size(), 18);
  EXPECT_EQ(rows.front(), "7: 5 20 40");
  EXPECT_EQ(rows.back(), "0: 30");

  Choose(Control<QCheckBox>("chkDirection_1"));
  EXPECT_EQ(GridRows(), (QStringList{"7: 5 20 40"}));
  FlexGrid* grid = dialog_->Grid();
  EXPECT_EQ(grid->CellBackColorAt(0, 1), kRed);
  EXPECT_EQ(grid->CellForeColorAt(0, 1), kWhite);
  EXPECT_EQ(grid->CellBackColorAt(0, 2), kBlue);
  EXPECT_EQ(grid->CellForeColorAt(0, 2), kYellow);
  EXPECT_EQ(Items("lstKinds"), (QStringList{"a  1系統", "b  2系統"}));

  // Per headsign one kind in the default colours.
  Choose(Control<QRadioButton>("optTypes_1"));
  EXPECT_EQ(Items("lstKinds"), (QStringList{"a  市役所"}));
  EXPECT_EQ(grid->CellBackColorAt(0, 2), kWhite);
  Choose(Control<QRadioButton>("optTypes_0"));

  Untick("lstRoutes", 1);
  EXPECT_EQ(GridRows(), (QStringList{"7: 5 40"}));
  EXPECT_EQ(grid->CellBackColorAt(0, 2), kRed);
  EXPECT_EQ(Control<QLineEdit>("txtTitle")->placeholderText(), "駅前 平日");
  EXPECT_TRUE(Control<QPlainTextEdit>("txtReport")->toPlainText().startsWith("発車 2 本"));

  TypeText(Control<QLineEdit>("txtTitle"), "駅前 1系統");
  const TimetableRecord added = dialog_->Preview()->Record;
  Click(Control<QPushButton>("cmdAct_0"));
  EXPECT_TRUE(Gone(dialog_));
  ASSERT_EQ(Store().Count, 2);
  EXPECT_EQ(Store().Records[1], added);
  EXPECT_EQ(Store().Records[1].Title, "駅前 1系統");
  EXPECT_EQ(Store().Records[1].Departures[0][2], (DepartureCell{40, 'a'}));
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"平日", "駅前 1系統"}));
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_TRUE(Messages().empty());
}

// Every box, list and button is reached by its own Alt key: none shared, none missing.
TEST_F(GtfsImport, EveryControlHasAnAcceleratorOfItsOwn) {
  ReadyAtStation();
  const auto mnemonic = [](const QString& text) {
    const qsizetype at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
  };
  std::map<QChar, QString> taken;
  std::set<QWidget*> reached;
  const auto take = [&](const QString& text, QWidget* target) {
    const QChar key = mnemonic(text);
    ASSERT_FALSE(key.isNull()) << text.toStdString();
    EXPECT_TRUE(taken.emplace(key, text).second)
        << text.toStdString() << " and " << taken[key].toStdString();
    reached.insert(target);
  };
  for (QAbstractButton* button : dialog_->findChildren<QAbstractButton*>())
    if (button->window() == dialog_) take(button->text(), button);
  for (QLabel* label : dialog_->findChildren<QLabel*>())
    if (label->buddy() != nullptr) take(label->text(), label->buddy());
  for (QGroupBox* box : dialog_->findChildren<QGroupBox*>()) {
    if (mnemonic(box->title()).isNull()) continue;
    take(box->title(), box);
    for (QWidget* inside : box->findChildren<QWidget*>()) reached.insert(inside);
  }
  for (QWidget* control : dialog_->findChildren<QWidget*>()) {
    const bool input = qobject_cast<QLineEdit*>(control) || qobject_cast<QListWidget*>(control) ||
                       qobject_cast<QAbstractButton*>(control);
    // The date box's own line edit is the date box's, which its option button leads to.
    if (input && control->window() == dialog_ &&
        !qobject_cast<QAbstractSpinBox*>(control->parentWidget())) {
      EXPECT_TRUE(reached.contains(control)) << control->objectName().toStdString();
    }
  }
}

TEST_F(GtfsImport, NothingTickedOrNoServiceThatDayLeavesNothingToAdd) {
  ReadyAtStation();
  Untick("lstRoutes", 0);
  Untick("lstRoutes", 1);
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_FALSE(Control<QPushButton>("cmdAct_0")->isEnabled());

  Control<QListWidget>("lstRoutes")->item(0)->setCheckState(Qt::Checked);
  EXPECT_TRUE(Control<QPushButton>("cmdAct_0")->isEnabled());
  Control<QDateEdit>("dtpDate")->setDate(QDate(2026, 12, 6));  // a Sunday
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_FALSE(Control<QPushButton>("cmdAct_0")->isEnabled());
}

TEST_F(GtfsImport, CancelledReadsLeaveTheFeedTheStopAndThePreviewAsTheyWere) {
  ReadyAtStation();
  const TimetableRecord before = dialog_->Preview()->Record;
  const QString feedText = Control<QLineEdit>("txtFeed")->text();

  // Cancel is taken even when the read had already finished behind it.
  ChooseFeed(WriteFeed("other", kFeed));
  ASSERT_NE(Progress(), nullptr);
  dialog_->findChild<QThread*>("worker")->wait();
  Click(Progress()->findChild<QPushButton*>());
  QTRY_VERIFY(!Reading());
  EXPECT_EQ(Control<QLineEdit>("txtFeed")->text(), feedText);
  EXPECT_EQ(Items("lstStops"), (QStringList{"駅前\u3000[1系統, 2系統]", "駅前北口\u3000[2系統]"}));

  // And while it runs.
  PickStop(1);
  ASSERT_NE(Progress(), nullptr);
  Click(Progress()->findChild<QPushButton*>());
  QTRY_VERIFY(!Reading());
  EXPECT_EQ(ReadStops(), (std::vector<bool>{true, false}));
  EXPECT_EQ(Items("lstRoutes"), (QStringList{"1系統", "2系統"}));
  ASSERT_TRUE(dialog_->Preview().has_value());
  EXPECT_EQ(dialog_->Preview()->Record, before);
  EXPECT_TRUE(Messages().empty());

  // Picked again, it is read.
  PickStop(1);
  QTRY_VERIFY(!Reading());
  EXPECT_EQ(ReadStops(), (std::vector<bool>{false, true}));
  EXPECT_TRUE(Items("lstRoutes").isEmpty());
  Search("北口");
  EXPECT_EQ(ReadStops(), (std::vector<bool>{true}));
}

TEST_F(GtfsImport, TheEditorClosedMidReadStopsTheReadFirst) {
  Open({OneTimetable()});
  ASSERT_NE(OpenFromMenu(), nullptr);
  ChooseFeed(WriteFeed("feed", kFeed));
  ASSERT_NE(Progress(), nullptr);
  window_.reset();
  EXPECT_TRUE(dialog_.isNull());
}

TEST_F(GtfsImport, ABrokenFeedIsReportedAndTheLoadedOneStays) {
  ReadyAtStation();
  Files broken = kFeed;
  broken[4].second =
      "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
      "WD,1,1,1,1,1,0,0,20261301,20261231\n";
  ChooseFeed(WriteFeed("broken", broken));
  QTRY_VERIFY(!Reading());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Caption, "GTFS取り込みエラー");
  EXPECT_EQ(Messages()[0].Icon, MsgIcon::Critical);
  EXPECT_NE(Messages()[0].Text.find("calendar.txt"), std::string::npos) << Messages()[0].Text;
  EXPECT_NE(Messages()[0].Text.find("20261301"), std::string::npos) << Messages()[0].Text;
  EXPECT_FALSE(Control<QLineEdit>("txtFeed")->text().contains("broken"));
  EXPECT_EQ(GridRows().front(), "7: 5 20 40");
}

TEST_F(GtfsImport, WithNineTimetablesOkShowsTheRefusalAndKeepsTheList) {
  ReadyAtStation(std::vector<TimetableRecord>(9, OneTimetable()));
  Click(Control<QPushButton>("cmdAct_0"));
  ExpectMessage("時刻表はすでに9件あります。取り込むには1件以上削除してください。",
                "GTFS取り込みエラー", MsgIcon::Critical);
  EXPECT_FALSE(dialog_.isNull());
  EXPECT_EQ(Store().Count, 9);
  Click(Control<QPushButton>("cmdAct_1"));
  EXPECT_TRUE(Gone(dialog_));
  EXPECT_EQ(List()->count(), 9);
}

// A day kind runs on its first date from today within the feed.
TEST_F(GtfsImport, ADayKindTakesItsFirstDateFromTodayWithinTheFeed) {
  Open({OneTimetable()});
  dialog_ = new frmGtfsImport(*context_, {2026, 12, 5}, window_.get());  // a Saturday
  dialog_->ShowModal();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_));
  LoadFeed(WriteFeed("feed", kFeed));
  Search("えきまえ");  // no kana reading in this feed
  EXPECT_TRUE(Items("lstStops").isEmpty());
  Search("駅前");
  PickStop(0);
  QTRY_VERIFY(!Reading());

  EXPECT_EQ(Control<QLabel>("lblDate")->text(), "2026-12-07 のダイヤ");
  EXPECT_EQ(GridRows().front(), "7: 5 20 40");
  Choose(Control<QRadioButton>("optDay_1"));
  EXPECT_EQ(Control<QLabel>("lblDate")->text(), "2026-12-05 のダイヤ");
  EXPECT_EQ(Control<QDateEdit>("dtpDate")->date(), QDate(2026, 12, 5));
  EXPECT_EQ(GridRows(), (QStringList{"9: 0"}));
  EXPECT_EQ(Control<QLineEdit>("txtTitle")->placeholderText(), "駅前 土曜");
  Choose(Control<QRadioButton>("optDay_2"));
  EXPECT_EQ(Control<QLabel>("lblDate")->text(), "今日以降の休日がフィードにありません");
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_FALSE(Control<QPushButton>("cmdAct_0")->isEnabled());
  Click(Control<QPushButton>("cmdAct_1"));
  EXPECT_TRUE(Gone(dialog_));
}

}  // namespace
}  // namespace v42::test
