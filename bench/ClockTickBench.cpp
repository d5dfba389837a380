// The cost of the clock's one-second tick, next to the cost of writing the clock label alone.
#include <benchmark/benchmark.h>

#include <chrono>

#include "DepartureClock.h"

namespace {

using v42::ClockTime;

// 24 rows of 30 departures each, two minutes apart, starting at 4 o'clock.
v42::TimetableStore FullStore() {
  v42::TimetableStore store;
  store.Count = 1;
  auto& departures = store.Records[0].Departures;
  for (int r = 0; r < v42::kRowCount; ++r) {
    departures[r][0].Value = static_cast<std::uint8_t>((4 + r) % 24);
    for (int s = 1; s < v42::kSlotCount; ++s)
      departures[r][s] = {static_cast<std::uint8_t>(2 * (s - 1) + 1),
                          static_cast<std::uint8_t>(s % 4 ? 0 : 'a' + s % 26)};
  }
  return store;
}

v42::IniSettings Settings() {
  v42::IniSettings ini;
  ini.Comments = {{{"運行は終了しました。", 0x004080},
                   {"通過しました。", 0x0000FF},
                   {"もうすぐ来ます。", 0x80FFFF}}};
  ini.MessageTimes_Min = 3;
  ini.MoveTimes_Min = 7;
  return ini;
}

// Nanoseconds for one clock label, measured once in this run as the yardstick.
double LabelNanoseconds() {
  static const double ns = [] {
    constexpr int kRounds = 2'000'000;
    ClockTime now{2026, 12, 6, 18, 30, 0};
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
      now.Second = i % 60;
      benchmark::DoNotOptimize(v42::ClockLabel(now));
    }
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kRounds;
  }();
  return ns;
}

// Runs tick(i) for every iteration and reports its cost as a multiple of one label.
template <typename Tick>
void Measure(benchmark::State& state, Tick tick) {
  const double label = LabelNanoseconds();
  long long i = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(tick(i++));
  const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
  state.counters["x_label"] = spent.count() / static_cast<double>(i) / label;
  state.counters["label_ns"] = label;
}

void BM_ClockLabel(benchmark::State& state) {
  Measure(state, [now = ClockTime{2026, 12, 6, 18, 30, 0}](long long i) mutable {
    now.Second = int(i % 60);
    return v42::ClockLabel(now);
  });
}

// Seconds within one minute: the label, the minute check and the countdowns, no search.
void BM_OrdinaryTick(benchmark::State& state) {
  v42::DepartureClock clock(FullStore(), Settings());
  clock.Load({2026, 12, 6, 18, 30, 0});
  clock.ChooseDeparture(15, 20);
  Measure(state, [&clock](long long i) {
    return clock.NowTimeWrite({2026, 12, 6, 18, 30, int(i % 60)}).CaptionDue;
  });
}

// Every tick a new minute that does not follow the last one, so each tick searches again.
void BM_MinuteChangeTick(benchmark::State& state) {
  v42::DepartureClock clock(FullStore(), Settings());
  clock.Load({2026, 12, 6, 18, 30, 0});
  clock.ChooseDeparture(15, 20);
  Measure(state, [&clock](long long i) {
    const int minute = (i % 2) ? 29 : 45;
    return clock.NowTimeWrite({2026, 12, 6, 18, minute, 0}).CaptionDue;
  });
}

BENCHMARK(BM_ClockLabel);
BENCHMARK(BM_OrdinaryTick);
BENCHMARK(BM_MinuteChangeTick);

}  // namespace
