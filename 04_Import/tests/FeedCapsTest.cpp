// A feed that would take the importer into gigabytes is refused with a clear message, and a
// row repeated at the chosen stop counts once.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "TestFeed.h"

namespace v42 {
namespace {

using test::TestFeed;
const gtfs::ImportChoice kMonday{.Date = {2026, 12, 7}};

TEST(FeedCaps, ARepeatedCallAtTheStopCountsOnceAndIsReported) {
  TestFeed feed;
  std::string times = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
  for (int i = 0; i < 1000; ++i) times += "T1,08:10:00,08:10:00,S1,1\n";
  times += "T1,08:30:00,08:30:00,S2,2\n";
  feed.Files["stop_times.txt"] = times;
  test::TempFolder dir;
  const auto result = feed.Open(dir).ReadStop("S1").Build(kMonday);
  EXPECT_EQ(result.Report.Departures, 1);
  EXPECT_EQ(result.Report.RepeatedRows, 999);
  const auto lines = gtfs::SummaryLines(result.Report);
  EXPECT_NE(lines.back().find("999 件"), std::string::npos) << lines.back();
}

// Runs `act` in a child process; its message and the child's peak memory in megabytes.
std::pair<std::string, long> InChild(const std::function<void()>& act) {
  int pipeFd[2];
  if (::pipe(pipeFd) != 0) return {"pipe", 0};
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::string message = "no error";
    try {
      act();
    } catch (const FileError& e) {
      message = e.what();
    } catch (const std::exception& e) {
      message = std::string("other: ") + e.what();
    }
    (void)!::write(pipeFd[1], message.data(), message.size());
    ::_exit(0);
  }
  ::close(pipeFd[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFd[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  ::close(pipeFd[0]);
  struct rusage usage {};
  ::wait4(pid, nullptr, 0, &usage);
  return {message, usage.ru_maxrss / 1024};
}

TEST(FeedCaps, StopRowsAndTranslationsPastTheirCapsAreRefusedWithinBoundedMemory) {
  test::TempFolder dir;
  TestFeed manyRows;
  std::string times = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
  for (int i = 1; i <= 300'001; ++i) times += "T1,08:10:00,08:10:00,S1," + std::to_string(i) + "\n";
  manyRows.Files["stop_times.txt"] = std::move(times);
  const auto [rowsMessage, rowsMb] = InChild([&] { manyRows.Open(dir).ReadStop("S1"); });
  EXPECT_NE(rowsMessage.find("stop_times.txt"), std::string::npos) << rowsMessage;
  EXPECT_NE(rowsMessage.find("多すぎます"), std::string::npos) << rowsMessage;
  EXPECT_LT(rowsMb, 300);

  TestFeed manyTranslations;
  std::string translations = "table_name,field_name,language,translation,record_id\n";
  for (int i = 0; i <= 500'000; ++i)
    translations += "stops,stop_name,en,E" + std::to_string(i) + ",S1\n";
  manyTranslations.Files["translations.txt"] = std::move(translations);
  const auto [trMessage, trMb] = InChild([&] { manyTranslations.Open(dir).FindStops("駅"); });
  EXPECT_NE(trMessage.find("translations.txt"), std::string::npos) << trMessage;
  EXPECT_NE(trMessage.find("多すぎます"), std::string::npos) << trMessage;
  EXPECT_LT(trMb, 300);
}

}  // namespace
}  // namespace v42
