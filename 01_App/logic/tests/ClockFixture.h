// Timetables built in code and a fake wall clock for the departure logic's tests.
#pragma once

#include <chrono>
#include <initializer_list>
#include <utility>
#include <vector>

#include "DepartureClock.h"

namespace v42::test {

struct Row {
  int Hour;
  std::vector<int> Minutes;
};

inline TimetableRecord Record(std::initializer_list<Row> rows) {
  TimetableRecord record;
  int r = 0;
  for (const Row& row : rows) {
    record.Departures[r][0].Value = static_cast<std::uint8_t>(row.Hour);
    int s = 1;
    for (int m : row.Minutes) record.Departures[r][s++].Value = static_cast<std::uint8_t>(m);
    ++r;
  }
  return record;
}

inline TimetableStore Store(std::initializer_list<TimetableRecord> records) {
  TimetableStore store;
  for (const auto& record : records) store.Records[store.Count++] = record;
  store.MaxSlot = 7;  // the clock's preset lower bound
  return store;
}

// A day service 5..10 with an hour (9) without departures.
inline TimetableRecord DayService() {
  return Record(
      {{5, {10, 40}}, {6, {0, 15, 30, 45}}, {7, {5}}, {8, {15, 20, 50}}, {9, {}}, {10, {5, 30}}});
}

// A night service whose rows pass midnight.
inline TimetableRecord NightService() {
  return Record({{22, {10, 40}}, {23, {30}}, {0, {5, 20}}, {1, {0}}});
}

inline const char* const kOver = "運行は終了しました。";
inline const char* const kPassed = "通過しました。";
inline const char* const kComing = "もうすぐ来ます。";

inline IniSettings Settings(int moveMinutes = 0, int leadMinutes = 3) {
  IniSettings ini;
  ini.Comments = {{{kOver, 0x004080}, {kPassed, 0x0000FF}, {kComing, 0x80FFFF}}};
  ini.MoveTimes_Min = static_cast<std::int16_t>(moveMinutes);
  ini.MessageTimes_Min = static_cast<std::int16_t>(leadMinutes);
  ini.MessageBlinkFlag = 1;
  return ini;
}

// A wall clock that moves on by whole seconds across days, months and years.
class FakeClock {
 public:
  explicit FakeClock(int hour, int minute, int second = 0, int day = 6) {
    using namespace std::chrono;
    at_ = sys_days{year{2026} / December / day} + hours{hour} + minutes{minute} + seconds{second};
  }
  ClockTime Now() const {
    using namespace std::chrono;
    const auto day = floor<days>(at_);
    const year_month_day ymd{day};
    const hh_mm_ss time{at_ - day};
    return {int(ymd.year()),           int(unsigned(ymd.month())),  int(unsigned(ymd.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count())};
  }
  ClockTime Advance(long long secondsToAdd) {
    at_ += std::chrono::seconds{secondsToAdd};
    return Now();
  }

 private:
  std::chrono::sys_seconds at_;
};

// Ticks once a second up to and including the given number of seconds from now; returns how
// many ticks raised the alert.
inline int RunFor(DepartureClock& clock, FakeClock& wall, long long seconds) {
  int alerts = 0;
  for (long long i = 0; i < seconds; ++i) alerts += clock.NowTimeWrite(wall.Advance(1)).AlertDue;
  return alerts;
}

}  // namespace v42::test
