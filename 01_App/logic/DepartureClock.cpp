#include "DepartureClock.h"

#include <algorithm>
#include <chrono>
#include <string_view>

namespace v42 {
namespace {

constexpr std::int16_t kNone = -1;
constexpr int kDayMinutes = 24 * 60;
constexpr int kMinColumns = 7;  // the hour and six minutes, the grid's designed width

// Panel 0's minutes label in its two designed forms (twips).
constexpr MinuteLayout kMinutesLayout{180, 255, 435, 375, 1680};
constexpr MinuteLayout kHoursLayout{240, 195, 555, 195, 1860};

// The rows a timetable uses: row 0 always, then every row up to the first empty hour.
int RowsInUse(const TimetableRecord& record) {
  int n = 1;
  while (n < kRowCount && record.Departures[n][0].Value != kEmptyValue) ++n;
  return n;
}

// The leading decimal number of a short text, as a label's text is read back.
std::int16_t LeadingValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::int16_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = static_cast<std::int16_t>(value * 10 + (text[i] - '0'));
  return value;
}

// A panel's hour and minute, read from its time text ("8:05" gives 8 and 5, "" gives 0 and 0).
std::int16_t HourOf(const std::string& text) {
  return LeadingValue(std::string_view(text).substr(0, 2));
}
std::int16_t MinuteOf(const std::string& text) {
  return text.size() < 2 ? LeadingValue(text)
                         : LeadingValue(std::string_view(text).substr(text.size() - 2));
}

std::int16_t Minutes(int hours, int minutes) {
  return static_cast<std::int16_t>(hours * 60 + minutes);
}

}  // namespace

std::string ClockLabel(const ClockTime& now) {
  char text[20];
  auto put = [&text](int at, int value, int digits) {
    value = value < 0 ? -value : value;
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[at + i] = char('0' + value % 10);
  };
  put(0, now.Year, 4);
  text[4] = '.';
  put(5, now.Month, 2);
  text[7] = '.';
  put(8, now.Day, 2);
  text[10] = ' ';
  text[11] = ' ';
  put(12, now.Hour, 2);
  text[14] = ':';
  put(15, now.Minute, 2);
  text[17] = ':';
  put(18, now.Second, 2);
  return std::string(text, sizeof text);
}

DepartureClock::DepartureClock(const TimetableStore& store, const IniSettings& settings)
    : store_(store), settings_(settings) {
  store_.Count = std::min<std::uint8_t>(store_.Count, kTimetableCount);
  // The search takes the first minute above now in a row: a row written out of order elsewhere
  // would show a later departure as the next one.
  for (auto& record : store_.Records)
    for (auto& row : record.Departures) SortDepartures(row);
  cols_ = ColumnCount(store_);
}

int DepartureClock::ColumnCount(const TimetableStore& store) {
  int highest = 0;
  const int count = std::min<int>(store.Count, kTimetableCount);
  for (int t = 0; t < count; ++t) {
    const auto& record = store.Records[t];
    const int rows = RowsInUse(record);
    for (int r = 0; r < rows; ++r)
      for (int s = kSlotCount - 1; s > highest; --s)
        if (record.Departures[r][s].Value != kEmptyValue) {
          highest = s;
          break;
        }
  }
  return std::max(kMinColumns, highest + 1);
}

// ---- loading and the timetable choice ----

void DepartureClock::Load(const ClockTime& now) {
  LoadFlag_ = 1;
  LastMinute_ = ClockLabel(now).substr(0, 17);
  NowTimeWrite(now);  // the label only, while loading
  TableNo_ = 0;       // with an empty store there is no timetable behind entry 0
  SelectTimetable(0);
  FGridWrite();
  FGridTypeColor();
  SeekNextTime();
  TimeCalcAll();
  LoadFlag_ = 0;
}

void DepartureClock::SelectTimetable(int tableNo) {
  // The list only offers the timetables in use; anything else (no entry selected) is ignored,
  // except during loading, where an empty store still needs its empty grid and panels.
  if (tableNo >= 0 && tableNo < store_.Count)
    TableNo_ = static_cast<std::uint8_t>(tableNo);
  else if (LoadFlag_ == 0)
    return;
  CellX_.fill(0);
  CellY_.fill(0);
  panels_[0].Time.clear();
  panels_[0].Minutes.clear();
  panels_[0].Comment.clear();
  FGridWrite();
  FGridTypeColor();
  SeekNextTime();
  TimeCalcAll();
}

bool DepartureClock::NewServiceDay(int tableNo, const ClockTime& now, bool early) {
  WriteLabel(now);
  const int startHour = settings_.DayTables.DayStartHour;
  dayStartMinute_ =
      early ? nowDay_ * kDayMinutes + startHour * 60 + (now.Hour >= startHour ? kDayMinutes : 0)
            : -1;
  const bool picked = !panels_[0].Time.empty();
  // The grid's hours and minutes repeat every day: a pick stays only as the very departure it
  // was, on the same timetable and not yet gone.
  const long long left = pickMinute_ - ReachMinute();
  const bool sameTable = tableNo == TableNo_;
  if (!picked || !sameTable || pickMinute_ < 0 || left < 1) {
    SelectTimetable(tableNo);
    if (picked) ReleasePick(sameTable ? "発車済みで選択解除" : "ダイヤ変更で選択解除");
    return picked;
  }
  SeekNextTime();
  TimeCalcAll();
  if (minutesLeft_[0] == left) return false;
  ReleasePick("発車済みで選択解除");
  return true;
}

long long DepartureClock::ReachMinute() const {
  return nowDay_ * kDayMinutes + nowHour_ * 60 + nowMinute_ + settings_.MoveTimes_Min;
}

void DepartureClock::ReleasePick(const char* reason) {
  PanelText& set = panels_[0];
  if (InGrid(CellY_[0], CellX_[0]) && CellX_[0] != 0) {
    const GridColorSet& colors = GridColors();
    const bool next = CellX_[0] == CellX_[1] && CellY_[0] == CellY_[1];
    Paint(CellY_[0], CellX_[0],
          next ? CellLook{colors.NextForeColor, colors.NextBackColor}
               : OwnLook(CellY_[0], CellX_[0]));
  }
  CellX_[0] = CellY_[0] = 0;
  set.Time.clear();
  pickMinute_ = -1;
  MsgDoneFlag_ = 1;
  ComonTimeCalc(0, 1);
  set.Comment = reason;
  set.CommentColor = settings_.Comments[1].Color;
}

void DepartureClock::FGridWrite() {
  for (auto& row : looks_) row.fill(CellLook{});
  ++looksVersion_;
  MsgDoneFlag_ = 1;
  rows_ = HasTimetable() ? RowsInUse(store_.Records[TableNo_]) : 0;
}

void DepartureClock::FGridTypeColor() {
  for (int r = 0; r < rows_; ++r)
    for (int c = 0; c < cols_; ++c)
      if (Cell(r, c).TypeLetter != 0) Paint(r, c, OwnLook(r, c));
}

void DepartureClock::SetSettings(const IniSettings& settings) {
  settings_ = settings;
  // The types cannot change here, so their colours are not laid over the grid again: doing so
  // would take the chosen colours off a chosen cell that has a type.
  SeekNextTime();
  TimeCalcAll();
}

void DepartureClock::Refresh() {
  SeekNextTime();
  TimeCalcAll();
}

// ---- the tick ----

TickResult DepartureClock::NowTimeWrite(const ClockTime& now) {
  TickResult result;
  TitleRefresh_ = 0;
  WriteLabel(now);
  if (LoadFlag_ == 0) result.AlertDue = CmpTimeSet(CmpTime1st());
  result.CaptionDue = TitleCheck();
  return result;
}

void DepartureClock::AlertClosed(const ClockTime& now) {
  WriteLabel(now);
  SetComment(panels_[0], 2);
  SeekNextTime();
  TimeCalcAll();
  TitleCheck();  // the window is restored by now, so the caption is the plain one
}

bool DepartureClock::TitleCheck() {
  if (panels_[0].Minutes == LastTitleMinute_ && TitleRefresh_ == 0) return false;
  TitleRefresh_ = 0;
  LastTitleMinute_ = panels_[0].Minutes;
  return true;
}

void DepartureClock::WriteLabel(const ClockTime& now) {
  nowText_ = ClockLabel(now);
  nowHour_ = static_cast<std::int16_t>(now.Hour);
  nowMinute_ = static_cast<std::int16_t>(now.Minute);
  using namespace std::chrono;
  const year_month_day date{year{now.Year}, month{unsigned(now.Month)}, day{unsigned(now.Day)}};
  nowDay_ = date.ok() ? sys_days{date}.time_since_epoch().count() : 0;
}

DepartureClock::Reach DepartureClock::ReachTime() const {
  // Walking time as plain minutes, wrapping at 24 hours either way.
  int total = (nowHour_ * 60 + nowMinute_ + settings_.MoveTimes_Min) % kDayMinutes;
  if (total < 0) total += kDayMinutes;
  return {static_cast<std::int16_t>(total / 60), static_cast<std::int16_t>(total % 60)};
}

std::int16_t DepartureClock::CmpTime1st() {
  std::int16_t result = 0;
  const std::string minute = nowText_.substr(0, 17);
  if (minute != LastMinute_) {
    result = 1;
    const Reach reach = ReachTime();
    const PanelText& first = panels_[1];
    // The minute that would follow the last one, without wrapping: 23:59 gives 24:00, so
    // every midnight also counts as a jump.
    std::int16_t followH = -1, followM = -1;
    if (LastMinute_.size() == 17) {
      followH = LeadingValue(std::string_view(LastMinute_).substr(12, 2));
      followM =
          static_cast<std::int16_t>(LeadingValue(std::string_view(LastMinute_).substr(15)) + 1);
      if (followM == 60) {
        followM = 0;
        ++followH;
      }
    }
    if (HourOf(first.Time) == reach.H && MinuteOf(first.Time) == reach.M)
      SeekNextTime();  // the 1st departure is reached
    else if (nowHour_ != followH || nowMinute_ != followM)
      SeekNextTime();  // the clock jumped
    else if (first.Time.empty())
      SeekNextTime();  // nothing left: a service that starts later in the day may be due
    LastMinute_ = minute;
  }
  TimeCalcAll();
  return result;
}

bool DepartureClock::CmpTimeSet(std::int16_t newMinute) {
  if (newMinute != 1) return false;
  const Reach reach = ReachTime();
  PanelText& set = panels_[0];
  const std::int16_t Hs = HourOf(set.Time), Ms = MinuteOf(set.Time);
  // With nothing chosen there is nothing to leave for (an empty text would read as 0:00).
  if (!set.Time.empty() && reach.H == Hs && reach.M == Ms) SetComment(set, 1);
  if (MsgDoneFlag_ != 0) return false;
  if (LeftToChosen(reach.H, reach.M, Hs, Ms) > settings_.MessageTimes_Min) return false;
  MsgDoneFlag_ = 1;  // once per choice
  return true;
}

// Minutes from H0:M0 to the chosen departure H1:M1. An earlier hour means after midnight when
// the chosen cell is not before the 1st cell in grid order, else the departure has passed.
std::int16_t DepartureClock::LeftToChosen(std::int16_t H0, std::int16_t M0, std::int16_t H1,
                                          std::int16_t M1) const {
  if (H0 <= H1) return static_cast<std::int16_t>(Minutes(H1 - H0, M1) - M0);
  const bool ahead = CellY_[0] > CellY_[1] || (CellY_[0] == CellY_[1] && CellX_[0] >= CellX_[1]);
  return ahead ? static_cast<std::int16_t>(Minutes(H1 + 24 - H0, M1) - M0) : 0;
}

// ---- the search ----

void DepartureClock::SeekTime(std::int16_t No, std::int16_t& Xx, std::int16_t& Yy) const {
  if (rows_ == 0) {
    Xx = Yy = kNone;
    return;
  }
  const Reach reach = ReachTime();
  const std::int16_t H = reach.H;
  std::int16_t M = reach.M;
  std::int16_t found = 0;
  if (ReachMinute() < dayStartMinute_) {
    // The service day shown has not begun: its first departure is the next one.
    Yy = 0;
    M = -1;
    found = 1;
  } else {
    for (int i = 0; i < rows_; ++i)  // the last matching row wins
      if (Cell(i, 0).Value == H) {
        Yy = static_cast<std::int16_t>(i);
        found = 1;
      }
  }
  if (found == 0) {
    if (H < Cell(0, 0).Value) {
      Yy = 0;
      M = -1;
    } else {
      Xx = Yy = kNone;
      return;
    }
  }
  found = 0;
  while (found != 1) {
    for (int s = 1; s < cols_; ++s) {
      const int v = Cell(Yy, s).Value;
      if (v == kEmptyValue || M >= v) continue;
      if (No == 0) {
        if (found == 0) {
          Xx = static_cast<std::int16_t>(s);
          found = 1;
        }
      } else if (found == 0) {
        found = 2;  // the 1st departure, skipped
      } else if (found == 2) {
        Xx = static_cast<std::int16_t>(s);
        found = 1;
      }
    }
    if (found != 1) {
      M = -1;  // a found = 2 carries into the next row
      if (Yy == rows_ - 1) {
        Xx = Yy = kNone;
        return;
      }
      ++Yy;
    }
  }
}

void DepartureClock::SeekNextTime() {
  TitleRefresh_ = 1;
  const GridColorSet& colors = GridColors();
  if (!(CellX_[1] == kNone && CellY_[1] == kNone)) {
    if (CellX_[0] == CellX_[1] && CellY_[0] == CellY_[1] && CellX_[1] != 0)
      Paint(CellY_[1], CellX_[1], {colors.ChosenForeColor, colors.ChosenBackColor});
    else
      Paint(CellY_[1], CellX_[1], OwnLook(CellY_[1], CellX_[1]));
  }
  SeekTime(0, CellX_[1], CellY_[1]);
  ComonTimeWrite(CellX_[1], CellY_[1], panels_[1]);
  if (!(CellX_[1] == kNone && CellY_[1] == kNone))
    Paint(CellY_[1], CellX_[1], {colors.NextForeColor, colors.NextBackColor});
  SeekTime(1, CellX_[2], CellY_[2]);
  ComonTimeWrite(CellX_[2], CellY_[2], panels_[2]);
}

// ---- the panels ----

void DepartureClock::ComonTimeWrite(std::int16_t Xx, std::int16_t Yy, PanelText& panel) {
  if (!InGrid(Yy, Xx)) {
    panel.Time.clear();
    SetComment(panel, 0);
    return;
  }
  panel.Time = DepartureText(Yy, Xx);
  panel.Comment.clear();
}

void DepartureClock::TimeCalcAll() {
  ComonTimeCalc(1, 0);
  ComonTimeCalc(2, 0);
  ComonTimeCalc(0, 1);
}

void DepartureClock::ComonTimeCalc(int index, std::int16_t cType) {
  const Reach reach = ReachTime();
  const std::int16_t H0 = reach.H, M0 = reach.M;
  PanelText& panel = panels_[index];
  const std::int16_t H1 = HourOf(panel.Time), M1 = MinuteOf(panel.Time);

  if (cType == 0) {
    if (panel.Time.empty()) {
      panel.Minutes.clear();
      minutesLeft_[index] = -1;
      return;
    }
    const std::int16_t hours = H0 > H1 ? static_cast<std::int16_t>(H1 + 24) : H1;
    const std::int16_t t = static_cast<std::int16_t>(Minutes(hours - H0, M1) - M0);
    minutesLeft_[index] = t;
    panel.Minutes = std::to_string(t);
    panel.MinutesFontSize = t > 999 ? 9 : 12;
    return;
  }

  std::int16_t t = LeftToChosen(H0, M0, H1, M1);
  if (CellX_[0] == 0) t = 0;
  if (!InGrid(CellY_[0], CellX_[0]) || Cell(CellY_[0], CellX_[0]).Value == kEmptyValue) {
    t = 0;
  } else if ((CellY_[0] < CellY_[1] || (CellY_[0] == CellY_[1] && CellX_[0] < CellX_[1])) &&
             CellX_[0] != 0) {
    SetComment(panel, 1);  // chosen before the 1st: it has passed
  }

  minutesLeft_[index] = t < 1 ? -1 : t;
  if (t < 1) {
    // Nothing to count down: the unit goes back to its plain form, not the h:mm one.
    panel.Minutes.clear();
    minuteLayout_ = kMinutesLayout;
    unitText_ = "分前";
  } else if (t <= 59) {
    panel.MinutesFontSize = 12;
    minuteLayout_ = kMinutesLayout;
    panel.Minutes = std::to_string(t);
    unitText_ = "分前";
  } else {
    panel.MinutesFontSize = 9;
    minuteLayout_ = kHoursLayout;
    const int mm = t % 60;
    panel.Minutes = std::to_string(t / 60) + (mm < 10 ? ":0" : ":") + std::to_string(mm);
    unitText_ = "前";
  }
}

void DepartureClock::SetComment(PanelText& panel, int comment) {
  panel.Comment = settings_.Comments[comment].Text;
  panel.CommentColor = settings_.Comments[comment].Color;
}

// ---- the choice ----

void DepartureClock::ChooseDeparture(int row, int col) {
  if (!InGrid(row, col) || col == 0 || panels_[1].Time.empty()) return;
  const GridColorSet& colors = GridColors();
  PanelText& set = panels_[0];
  if (!set.Time.empty()) {
    if (CellX_[0] == CellX_[1] && CellY_[0] == CellY_[1])
      Paint(CellY_[0], CellX_[0], {colors.NextForeColor, colors.NextBackColor});
    else
      Paint(CellY_[0], CellX_[0], OwnLook(CellY_[0], CellX_[0]));
  }
  CellX_[0] = static_cast<std::int16_t>(col);
  CellY_[0] = static_cast<std::int16_t>(row);
  if (Cell(row, col).Value != kEmptyValue) {
    set.Time = DepartureText(row, col);
    Paint(row, col, {colors.ChosenForeColor, colors.ChosenBackColor});
    MsgDoneFlag_ = 0;
  } else {
    set.Time.clear();
    MsgDoneFlag_ = 1;
  }
  set.Comment.clear();
  ComonTimeCalc(0, 1);
  pickMinute_ = minutesLeft_[0] >= 1 ? ReachMinute() + minutesLeft_[0] : -1;
}

// ---- the grid ----

bool DepartureClock::InGrid(int row, int col) const {
  return row >= 0 && row < rows_ && col >= 0 && col < cols_;
}

const DepartureCell& DepartureClock::Cell(int row, int col) const {
  return store_.Records[TableNo_].Departures[row][col];
}

std::string DepartureClock::DepartureText(int row, int col) const {
  const int minute = Cell(row, col).Value;
  return std::to_string(Cell(row, 0).Value) + (minute < 10 ? ":0" : ":") + std::to_string(minute);
}

void DepartureClock::Paint(int row, int col, CellLook look) {
  if (!InGrid(row, col)) return;
  CellLook& cell = looks_[row][col];
  if (cell.Fore == look.Fore && cell.Back == look.Back) return;
  cell = look;
  ++looksVersion_;
}

CellLook DepartureClock::OwnLook(int row, int col) const {
  if (!InGrid(row, col)) return {};
  const int letter = Cell(row, col).TypeLetter;
  if (letter < 'a' || letter > 'z') return {};
  const TypeEntry& type = store_.Records[TableNo_].Types[letter - 'a'];
  return {type.ForeColor, type.BackColor};
}

CellLook DepartureClock::Look(int row, int col) const {
  return InGrid(row, col) ? looks_[row][col] : CellLook{};
}

std::string DepartureClock::CellText(int row, int col) const {
  if (!InGrid(row, col) || Cell(row, col).Value == kEmptyValue) return {};
  return std::to_string(Cell(row, col).Value);
}

const GridColorSet& DepartureClock::GridColors() const {
  static const GridColorSet defaults{};
  return HasTimetable() ? store_.Records[TableNo_].GridColors : defaults;
}

// ---- what the window reads ----

const std::string& DepartureClock::NowText() const { return nowText_; }
const PanelText& DepartureClock::Panel(int i) const { return panels_.at(i); }
const std::string& DepartureClock::UnitText() const { return unitText_; }
int DepartureClock::GridRows() const { return rows_; }
int DepartureClock::GridCols() const { return cols_; }
int DepartureClock::CellX(int i) const { return CellX_.at(i); }
int DepartureClock::CellY(int i) const { return CellY_.at(i); }
bool DepartureClock::AlertArmed() const { return MsgDoneFlag_ == 0; }

std::string DepartureClock::MinimisedCaption() const {
  const std::string& minutes = panels_[0].Minutes;
  return "ベルカン 42 (" + minutes + (minutes.size() <= 2 ? "分前) " : "前) ") + panels_[1].Time;
}

}  // namespace v42
