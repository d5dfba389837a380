// Writes a deterministic feed with a million stop_times rows (a zip and the same files in a
// folder), imports one busy stop from each, and prints the time as a ratio to `wc -l` over
// the same stop_times.txt, with the peak memory of the import.
//
//   import_bench [--rows N] [--keep DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GtfsImport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStops = 3000, kRoutes = 240, kStopsPerTrip = 25;
constexpr const char* kBusyStop = "S00007";

// A fixed generator, so every run writes the same bytes.
struct Lcg {
  std::uint64_t state = 42;
  std::uint32_t Next(std::uint32_t bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33) % bound;
  }
};

std::string Time(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return text;
}

void WriteFeed(const fs::path& folder, long rows) {
  fs::create_directories(folder);
  Lcg rng;
  std::ofstream(folder / "agency.txt")
      << "agency_id,agency_name,agency_url,agency_timezone,agency_lang\n"
         "B,ベンチ交通,https://example.jp,Asia/Tokyo,ja\n";
  {
    std::ofstream out(folder / "stops.txt");
    out << "stop_id,stop_code,stop_name,stop_lat,stop_lon,zone_id,location_type,parent_station\n";
    for (int s = 0; s < kStops; ++s)
      out << "S" << std::string(5 - std::to_string(s).size(), '0') << s << ",,"
          << "停留所" << s << ",35." << rng.Next(100000) << ",139." << rng.Next(100000) << ",Z"
          << s % 9 << ",0,\n";
  }
  {
    std::ofstream out(folder / "routes.txt");
    out << "route_id,agency_id,route_short_name,route_long_name,route_type,route_color,"
           "route_text_color\n";
    for (int r = 0; r < kRoutes; ++r)
      out << "R" << r << ",B," << r + 1 << "系統,\"駅前, 循環 " << r << "\",3,"
          << "00" << (r % 2 ? "80" : "C0") << "FF,FFFFFF\n";
  }
  std::ofstream(folder / "calendar.txt")
      << "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
         "end_date\nWK,1,1,1,1,1,0,0,20260401,20270331\nSA,0,0,0,0,0,1,0,20260401,20270331\n"
         "SU,0,0,0,0,0,0,1,20260401,20270331\n";
  std::ofstream(folder / "calendar_dates.txt")
      << "service_id,date,exception_type\nWK,20261123,2\nSU,20261123,1\n";
  const long trips = (rows + kStopsPerTrip - 1) / kStopsPerTrip;
  std::ofstream tripsOut(folder / "trips.txt");
  tripsOut << "route_id,service_id,trip_id,trip_headsign,direction_id,shape_id\n";
  std::ofstream times(folder / "stop_times.txt");
  times << "trip_id,arrival_time,departure_time,stop_id,stop_sequence,stop_headsign,"
           "pickup_type,drop_off_type,shape_dist_traveled,timepoint\n";
  long written = 0;
  char line[160];
  for (long t = 0; t < trips; ++t) {
    const int route = static_cast<int>(t % kRoutes);
    const char* service = t % 10 < 6 ? "WK" : t % 10 < 8 ? "SA" : "SU";
    char tripId[32];
    std::snprintf(tripId, sizeof tripId, "%s_R%03d_%06ld", service, route, t);
    tripsOut << "R" << route << "," << service << "," << tripId << ",終点" << route % 17 << ","
             << t % 2 << ",SH" << route << "\n";
    // Every 40th route passes the measured stop, which so sees some 400 weekday departures.
    int time = 5 * 3600 + static_cast<int>(rng.Next(19 * 3600));
    const int busyAt = route % 40 == 0 ? route % kStopsPerTrip : -1;
    for (int k = 0; k < kStopsPerTrip && written < rows; ++k, ++written) {
      const int stop = k == busyAt ? 7 : (route * 37 + k * 101 + 11) % kStops;
      const int dwell = k == 0 ? 0 : 30;
      std::snprintf(line, sizeof line, "%s,%s,%s,S%05d,%d,,%d,0,%d.%d,1\n", tripId,
                    Time(time).c_str(), Time(time + dwell).c_str(), stop, k + 1,
                    k == kStopsPerTrip - 1 ? 1 : 0, k * 450, static_cast<int>(rng.Next(10)));
      times << line;
      time += dwell + 60 + static_cast<int>(rng.Next(180));
    }
  }
}

void ZipFolder(const fs::path& folder, const fs::path& zipFile) {
  int error = 0;
  zip_t* zip = zip_open(zipFile.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (zip == nullptr) throw std::runtime_error("cannot create " + zipFile.string());
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    zip_source_t* source = zip_source_file(zip, file.c_str(), 0, -1);
    if (source == nullptr ||
        zip_file_add(zip, file.filename().c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      throw std::runtime_error("cannot add " + file.string());
    }
  }
  if (zip_close(zip) != 0) throw std::runtime_error("cannot write " + zipFile.string());
}

struct Measure {
  double Seconds = 0;
  double CpuSeconds = 0;  // user and system, all threads: what the load of others leaves alone
  long PeakKb = 0;
  int Departures = 0;
};

// Runs work in a child process, so its peak memory is its own and not the generator's.
template <class Work>
Measure InChild(const Work& work) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeFds[0]);
    const auto start = std::chrono::steady_clock::now();
    const int departures = work();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Measure m{seconds, 0, 0, departures};
    if (write(pipeFds[1], &m, sizeof m) != sizeof m) _exit(2);
    _exit(0);
  }
  close(pipeFds[1]);
  Measure m;
  const bool got = read(pipeFds[0], &m, sizeof m) == sizeof m;
  close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the measured run failed");
  }
  m.PeakKb = usage.ru_maxrss;
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  m.CpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  return m;
}

Measure Best(const std::function<Measure()>& run, int times) {
  Measure best = run();
  for (int i = 1; i < times; ++i) {
    const Measure m = run();
    best.Seconds = std::min(best.Seconds, m.Seconds);
    best.CpuSeconds = std::min(best.CpuSeconds, m.CpuSeconds);
    best.PeakKb = std::max(best.PeakKb, m.PeakKb);
  }
  return best;
}

Measure ImportOne(const fs::path& feed) {
  return InChild([&] {
    try {
      const auto f = v42::gtfs::Feed::Open(feed);
      const auto departures = f.ReadStop(kBusyStop);
      return departures.Build({.Date = {2026, 12, 7}}).Report.Departures;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      _exit(3);
    }
  });
}

Measure LineCount(const fs::path& file) {
  return InChild([&] {
    const std::string command = "wc -l < '" + file.string() + "' > /dev/null";
    return std::system(command.c_str());
  });
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::printf(
          "使い方: import_bench [--rows N] [--keep DIR]\n"
          "N 行 (既定 1000000) の stop_times.txt を持つフィードを作り、停留所一つの取り込みに"
          "かかる時間と\nメモリを wc -l との比で表示します。--keep DIR はフィードを DIR に"
          "残します。\n");
      return 0;
    }
  }
  long rows = 1000000;
  fs::path keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--rows") rows = std::atol(argv[i + 1]);
    if (arg == "--keep") keep = argv[i + 1];
  }
  std::string pattern = (fs::temp_directory_path() / "v42bench.XXXXXX").string();
  const fs::path dir = keep.empty() ? fs::path(mkdtemp(pattern.data())) : keep;
  try {
    std::printf("writing a feed of %ld stop_times rows into %s\n", rows, dir.c_str());
    WriteFeed(dir / "feed", rows);
    ZipFolder(dir / "feed", dir / "feed.zip");
    const auto csvBytes = fs::file_size(dir / "feed" / "stop_times.txt");
    const auto zipBytes = fs::file_size(dir / "feed.zip");
    std::printf("stop_times.txt %.1f MB, feed.zip %.1f MB\n", csvBytes / 1e6, zipBytes / 1e6);

    const Measure wc = Best([&] { return LineCount(dir / "feed" / "stop_times.txt"); }, 3);
    const Measure zip = Best([&] { return ImportOne(dir / "feed.zip"); }, 3);
    const Measure folder = Best([&] { return ImportOne(dir / "feed"); }, 3);
    std::printf("wc -l:              %.3f s (CPU %.3f s)\n", wc.Seconds, wc.CpuSeconds);
    std::printf("import from zip:    %.3f s (CPU %.3f s), peak %.0f MB, ratio %.1f\n", zip.Seconds,
                zip.CpuSeconds, zip.PeakKb / 1024.0, zip.Seconds / wc.Seconds);
    std::printf("import from folder: %.3f s (CPU %.3f s), peak %.0f MB, ratio %.1f\n",
                folder.Seconds, folder.CpuSeconds, folder.PeakKb / 1024.0,
                folder.Seconds / wc.Seconds);
    std::printf("%d departures on the grid of %s\n", zip.Departures, kBusyStop);
    const bool met = zip.Seconds <= 3.0 && zip.PeakKb <= 300 * 1024 && zip.Departures > 0;
    std::printf("%s: at most 3 s and 300 MB for one stop\n", met ? "met" : "NOT MET");
    if (keep.empty()) fs::remove_all(dir);
    return met ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "import_bench: %s\n", e.what());
    if (keep.empty()) fs::remove_all(dir);
    return 1;
  }
}
