// Timetables built in code and a clock on a fake wall clock for the departure logic's tests.
#pragma once

#include <initializer_list>
#include <vector>

#include "DepartureClock.h"

namespace v42::test {

struct Row {
  int Hour;
  std::vector<int> Minutes;
};

inline TimetableRecord Record(std::initializer_list<Row> rows) {
  TimetableRecord record;
  for (int r = 0; const Row& row : rows) {
    auto& cells = record.Departures[r++];
    cells[0].Value = static_cast<std::uint8_t>(row.Hour);
    for (int s = 1; int m : row.Minutes) cells[s++].Value = static_cast<std::uint8_t>(m);
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

inline IniSettings Settings(int moveMinutes = 0) {
  IniSettings ini;
  ini.Comments = {{{kOver, 0x004080}, {kPassed, 0x0000FF}, {kComing, 0x80FFFF}}};
  ini.MoveTimes_Min = static_cast<std::int16_t>(moveMinutes);
  ini.MessageTimes_Min = 3;  // the alert's lead
  return ini;
}

// A clock loaded at a set time on 2026-12-06 that moves its own wall clock on and ticks.
struct TestClock : DepartureClock {
  TestClock(std::initializer_list<TimetableRecord> records, int hour, int minute, int second = 0,
            const IniSettings& ini = Settings())
      : DepartureClock(Store(records), ini), at(hour * 3600LL + minute * 60 + second) {
    Load(Now());
  }
  ClockTime Now() const {  // runs cross one midnight at most
    return {2026, 12, int(6 + at / 86400), int(at / 3600 % 24), int(at / 60 % 60), int(at % 60)};
  }
  TickResult Jump(long long seconds) {
    at += seconds;
    return NowTimeWrite(Now());
  }
  int Run(long long seconds) {  // a tick a second; returns how many raised the alert
    int alerts = 0;
    while (seconds-- > 0) alerts += Jump(1).AlertDue;
    return alerts;
  }
  long long at;  // seconds from 0:00
};

}  // namespace v42::test
