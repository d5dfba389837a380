#include "ClockDesktop.h"

#include <chrono>

namespace v42 {
namespace {

constexpr const char* kNoNumber = "–";

std::string MinutesPhrase(int minutes) {
  if (minutes < 60) return std::to_string(minutes) + "分";
  const int mm = minutes % 60;
  return std::to_string(minutes / 60) + "時間" + (mm == 0 ? "" : std::to_string(mm) + "分");
}

// "1st  8:15  5分前  comment", leaving out what the panel does not show.
std::string PanelLine(const DepartureClock& clock, int i, const char* name) {
  const PanelText& panel = clock.Panel(i);
  std::string line = name;
  if (panel.Time.empty() && panel.Comment.empty()) return line + "  なし";
  for (const std::string& part :
       {panel.Time,
        clock.MinutesLeft(i) < 0 ? std::string() : MinutesPhrase(clock.MinutesLeft(i)) + "前",
        panel.Comment})
    if (!part.empty()) line += "  " + part;
  return line;
}

// Each channel 60 % of the way from the text colour to the background.
Color Faded(Color fore, Color back) {
  Color out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int f = (fore >> shift) & 0xFF, b = (back >> shift) & 0xFF;
    out |= (f + (b - f) * 3 / 5) << shift;
  }
  return out == 0 ? kBlack : out;  // 0 would mean the grid's own colour
}

// Seconds on one continuous count of local wall time, so moments across midnight compare.
long long SecondsOf(const ClockTime& t) {
  namespace c = std::chrono;
  const c::sys_days date{c::year{t.Year} / c::month{unsigned(t.Month)} / c::day{unsigned(t.Day)}};
  return date.time_since_epoch().count() * 86400LL + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

}  // namespace

void NoticeKeeper::Sent(const DepartureClock& clock, const ClockTime& now) {
  time_ = clock.Panel(0).Time;
  const auto colon = time_.find(':');
  if (colon == std::string::npos) {
    leavesAt_ = SecondsOf(now);  // nothing to count down to: it goes with the next tick
    return;
  }
  // Gone once its minute is over: the next end of that minute, today or after midnight.
  const int gone =
      std::stoi(time_.substr(0, colon)) * 3600 + std::stoi(time_.substr(colon + 1)) * 60 + 60;
  const int sinceMidnight = now.Hour * 3600 + now.Minute * 60 + now.Second;
  leavesAt_ = SecondsOf(now) + ((gone - sinceMidnight) % 86400 + 86400) % 86400;
}

bool NoticeKeeper::Stale(const DepartureClock& clock, const ClockTime& now) const {
  if (time_.empty()) return false;
  return clock.Panel(0).Time != time_ || SecondsOf(now) >= leavesAt_;
}

std::string TrayNumber(const DepartureClock& clock) {
  const int minutes = clock.MinutesLeft(0) >= 0 ? clock.MinutesLeft(0) : clock.MinutesLeft(1);
  if (minutes < 0) return kNoNumber;
  return minutes < 100 ? std::to_string(minutes) : std::to_string(minutes / 60) + "h";
}

std::string TrayToolTip(const DepartureClock& clock, std::string_view title) {
  return std::string(title) + "\n" + PanelLine(clock, 1, "1st") + "\n" +
         PanelLine(clock, 2, "2nd") + "\n" + PanelLine(clock, 0, "Set");
}

AlertNotice NoticeOf(const DepartureClock& clock) {
  AlertNotice notice{"まもなく発車", clock.Panel(0).Time + " 発車"};
  if (clock.MinutesLeft(0) > 0) notice.Body += "まで あと" + MinutesPhrase(clock.MinutesLeft(0));
  return notice;
}

bool Passed(const DepartureClock& clock, int row, int col) {
  if (col < 1 || col >= clock.GridCols() || row < 0 || row >= clock.GridRows()) return false;
  if (clock.CellText(row, col).empty()) return false;
  if (row == clock.CellY(0) && col == clock.CellX(0) && !clock.Panel(0).Time.empty()) return false;
  const int firstX = clock.CellX(1), firstY = clock.CellY(1);
  if (firstX < 0 || firstY < 0) return true;
  return row < firstY || (row == firstY && col < firstX);
}

CellLook ShownLook(const DepartureClock& clock, int row, int col, bool dimPassed) {
  const CellLook look = clock.Look(row, col);
  if (!dimPassed || !Passed(clock, row, col)) return look;
  const GridColorSet& grid = clock.GridColors();
  const Color fore = look.Fore != 0 ? look.Fore : grid.BaseForeColor;
  const Color back = look.Back != 0 ? look.Back : grid.BaseBackColor;
  return {Faded(fore, back), look.Back};
}

}  // namespace v42
