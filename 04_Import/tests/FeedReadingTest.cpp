// Reading feeds: the CSV forms real feeds come in, zips, translations, search, and every
// kind of damage ending in a message that names the file and line.
#include <gtest/gtest.h>

#include <atomic>

#include "FeedArchive.h"
#include "TestFeed.h"

namespace v42 {
namespace {

using gtfs::Feed;
using gtfs::StopMatch;
using test::TestFeed;

TEST(FeedReading, CsvFormsOfRealFeeds) {
  // BOM, CR LF, columns in another order, an unknown column, quoted commas, quotes and a
  // line break, and a missing optional column (no parent_station at all).
  TestFeed feed;
  // One agency needs no agency_id, even where the routes still give one.
  feed.Files["agency.txt"] =
      "agency_name,agency_url,agency_timezone\nバス,https://example.jp,Asia/Tokyo\n";
  feed.Files["stops.txt"] =
      "\xEF\xBB\xBFzone_id,stop_name,stop_id\r\n"
      "Z,\"駅前, \"\"北口\"\"\",S1\r\n"
      "Z,\"終点\r\n(折返場)\",S2\r\n"
      "\r\n";
  test::TempFolder dir;
  const Feed f = feed.Open(dir);
  EXPECT_EQ(f.FindStops("北口"), (std::vector<StopMatch>{{"S1", "駅前, \"北口\""}}));
  EXPECT_EQ(f.FindStops("折返"), (std::vector<StopMatch>{{"S2", "終点\r\n(折返場)"}}));
  // The quoted line break does not shift the line count of what follows.
  feed.Files["stops.txt"] += "Z,壊れ\xFF,S3\r\n";
  EXPECT_EQ(test::ImportError([&] { feed.Open(dir); }),
            "stops.txtの6行目: UTF-8ではない文字があります。");
}

TEST(FeedReading, ZipAtTopOrInOneFolderReadsAsTheFolderDoes) {
  TestFeed feed;
  test::TempFolder dir;
  for (const std::string prefix : {"", "feed/"}) {
    feed.WriteZip(dir / "feed.zip", prefix);
    const Feed f = Feed::Open(dir / "feed.zip");
    EXPECT_EQ(f.FindStops("駅前"), (std::vector<StopMatch>{{"S1", "駅前"}})) << prefix;
    const auto built = f.ReadStop("S1").Build({.Date = {2026, 12, 7}});
    EXPECT_EQ(test::GridText(built.Record), "8: 10a\n") << prefix;
  }
}

TEST(FeedReading, SearchIgnoresWidthCaseAndKanaAndFindsTranslations) {
  TestFeed feed;
  feed.Files["stops.txt"] =
      "stop_id,stop_name,location_type,parent_station\n"
      "S1,ＪＲ駅前,0,\nS2,ｶﾞｰﾃﾞﾝﾊﾟｰｸ,0,\nS3,市役所,0,\nS4,市役所 入口,2,S3\nS5,港,0,\n";
  // The current form, by record and by value, and the GTFS-JP form by the original text.
  feed.Files["translations.txt"] =
      "table_name,field_name,language,translation,record_id,field_value\n"
      "stops,stop_name,ja-Hrkt,しやくしょ,S3,\n"
      "stops,stop_name,en,City Hall,,市役所\n";
  test::TempFolder dir;
  const Feed current = feed.Open(dir);
  EXPECT_EQ(current.FindStops("jr").size(), 1u);
  EXPECT_EQ(current.FindStops("ｊｒ駅").size(), 1u);
  EXPECT_EQ(current.FindStops("ガーデン").size(), 1u);
  EXPECT_EQ(current.FindStops("ぱーく").size(), 1u);
  // The entrance of the city hall is no place to board.
  EXPECT_EQ(current.FindStops("シヤクショ"), (std::vector<StopMatch>{{"S3", "市役所"}}));
  EXPECT_EQ(current.FindStops("city HALL").size(), 1u);
  EXPECT_TRUE(current.FindStops("").empty());
  EXPECT_TRUE(current.FindStops("駅後").empty());

  feed.Files["translations.txt"] = "trans_id,lang,translation\n港,ja-Hrkt,みなと\n港,en,Port\n";
  const Feed jp = feed.Open(dir);
  EXPECT_EQ(jp.FindStops("ミナト"), (std::vector<StopMatch>{{"S5", "港"}}));
  EXPECT_EQ(jp.FindStops("port").size(), 1u);
}

TEST(FeedReading, DamageNamesFileAndLine) {
  struct Case {
    std::string File, Text, Message;
  };
  const std::string stopTimesHead = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
  const std::vector<Case> cases = {
      {"trips.txt", "route_id,service_id,trip_headsign\nR1,WK,x\n",
       "trips.txt: 列「trip_id」がありません。"},
      {"calendar.txt",
       "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
       "WK,1,1,1,1,1,0,0,20260101,20261232\n",
       "calendar.txtの2行目: 日付「20261232」が不正です。"},
      {"trips.txt", "route_id,service_id,trip_id\nR1,WK,T1\nR1,SUN,T2\n",
       "trips.txtの3行目: service_id「SUN」が calendar.txt にも calendar_dates.txt "
       "にもありません。"},
      {"trips.txt", "route_id,service_id,trip_id\nR9,WK,T1\n",
       "trips.txtの2行目: route_id「R9」がありません。"},
      {"stops.txt", "stop_id,stop_name\nS1,\"駅前\nS2,終点\n",
       "stops.txtの2行目: 引用符が閉じられていません。"},
      {"stop_times.txt", stopTimesHead + "T1,08:10:00,25:7x,S1,1\n",
       "stop_times.txtの2行目: 時刻「25:7x」が不正です。"},
      {"stop_times.txt", stopTimesHead + "T1,08:10:00,08:10:00,S1,1\nT1,08:30:00,08:30:00,S9,2\n",
       "stop_times.txtの3行目: stop_id「S9」がありません。"},
      {"stop_times.txt", stopTimesHead + "T1,08:10:00,08:10:00,S1,1\nT7,08:30:00,08:30:00,S2,2\n",
       "stop_times.txtの3行目: trip_id「T7」がありません。"},
      {"stop_times.txt", stopTimesHead + "T1,08:10:00,08:10:00,S1,x\n",
       "stop_times.txtの2行目: 「stop_sequence」の値「x」が不正です。"},
      {"frequencies.txt", "trip_id,start_time,end_time,headway_secs\nT1,00:00:00,500:00:00,1\n",
       "frequencies.txt: 停留所「S1」の発車が多すぎます。"},
  };
  test::TempFolder dir;
  for (const Case& c : cases) {
    TestFeed feed;
    feed.Files[c.File] = c.Text;
    // stop_times.txt is read when a stop is chosen; the rest when the feed opens.
    EXPECT_EQ(test::ImportError([&] { feed.Open(dir).ReadStop("S1"); }), c.Message) << c.Text;
  }
  // A frequency trip's stop timed before the trip's first stop would depart before the service
  // day begins: the grid got a minute of 246 in hour 0.
  TestFeed backwards;
  backwards.Files["frequencies.txt"] =
      "trip_id,start_time,end_time,headway_secs\nT1,00:00:00,01:00:00,600\n";
  backwards.Files["stop_times.txt"] = stopTimesHead +
                                      "T1,08:20:00,08:20:00,S2,1\nT1,08:10:00,08:10:00,S1,2\n"
                                      "T1,09:00:00,09:00:00,S2,3\n";
  EXPECT_EQ(test::ImportError([&] { backwards.Open(dir).ReadStop("S1"); }),
            "stop_times.txtの3行目: 時刻が便の最初の停留所より前で、frequencies.txt "
            "の便の発車時刻が決まりません。");
  TestFeed feed;
  feed.Files.erase("stops.txt");
  EXPECT_EQ(test::ImportError([&] { feed.Open(dir); }),
            "stops.txt: フィードにこのファイルがありません。");
  feed = TestFeed();
  feed.Files.erase("calendar.txt");
  EXPECT_NE(test::ImportError([&] { feed.Open(dir); }).find("calendar_dates.txt"),
            std::string::npos);
  EXPECT_NE(test::ImportError([&] { Feed::Open(dir / "nothing.zip"); }).find("見つかりません"),
            std::string::npos);
  EXPECT_EQ(TestFeed().Open(dir).StopById("S9"), std::nullopt);
  EXPECT_NE(test::ImportError([&] { TestFeed().Open(dir).ReadStop("S9"); }).find("S9"),
            std::string::npos);
}

TEST(FeedReading, DamagedOrOversizedZipIsRefused) {
  test::TempFolder dir;
  TestFeed feed;
  feed.WriteZip(dir / "feed.zip");
  std::string bytes = test::ReadBytes(dir / "feed.zip");

  test::WriteBytes(dir / "cut.zip", bytes.substr(0, bytes.size() / 2));
  EXPECT_NE(test::ImportError([&] { Feed::Open(dir / "cut.zip"); }).find("cut.zip"),
            std::string::npos);

  // A flipped byte inside the stored data of one file: the archive opens, the file fails.
  feed.Files["stops.txt"] = "stop_id,stop_name\n" + std::string(2000, 'x') + ",x\n";
  feed.WriteZip(dir / "feed.zip", "", true);
  bytes = test::ReadBytes(dir / "feed.zip");
  const auto at = bytes.find("stops.txt") + 200;
  bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
  test::WriteBytes(dir / "flipped.zip", bytes);
  EXPECT_NE(test::ImportError([&] { Feed::Open(dir / "flipped.zip"); }).find("stops.txt"),
            std::string::npos);

  // What a file inflates to is capped, in a zip and in a folder alike.
  feed.WriteFolder(dir / "folder");
  for (const auto& path : {dir / "feed.zip", dir / "folder"}) {
    auto archive = gtfs::FeedArchive::Open(path, 1000);
    EXPECT_NE(test::ImportError([&] {
                archive->OpenFile("stops.txt");
              }).find("stops.txt: 展開後の大きさ"),
              std::string::npos);
    EXPECT_NO_THROW(archive->OpenFile("routes.txt"));
  }
}

// Bytes 0, 1, 2, ... in reads of odd sizes, then the damage a zip reports at its end.
class PatternSource : public gtfs::ByteSource {
 public:
  explicit PatternSource(std::size_t size) : size_(size) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (done_ == size_) gtfs::ThrowFeedError("stop_times.txt", 0, "壊れています。");
    const std::size_t n = std::min({size, size_ - done_, std::size_t{777777}});
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>((done_ + i) % 251);
    done_ += n;
    return n;
  }
  std::uint64_t Size() const override { return size_; }

 private:
  std::size_t size_, done_ = 0;
};

TEST(FeedReading, ReadAheadHandsOnEveryByteAndTheSourcesError) {
  constexpr std::size_t kSize = 5'000'000;
  auto source = gtfs::ReadAhead(std::make_unique<PatternSource>(kSize));
  EXPECT_EQ(source->Size(), kSize);
  std::vector<char> buffer(300'000);
  std::size_t got = 0;
  bool same = true;
  const std::string message = test::ImportError([&] {
    for (std::size_t n; (n = source->Read(buffer.data(), buffer.size())) > 0; got += n)
      for (std::size_t i = 0; i < n; ++i)
        same = same && buffer[i] == static_cast<char>((got + i) % 251);
  });
  EXPECT_EQ(got, kSize);
  EXPECT_TRUE(same);
  EXPECT_EQ(message, "stop_times.txt: 壊れています。");
  // Dropped half-way, it stops its thread without reading on.
  auto dropped = gtfs::ReadAhead(std::make_unique<PatternSource>(kSize));
  EXPECT_GT(dropped->Read(buffer.data(), buffer.size()), 0u);
}

TEST(FeedReading, ProgressRisesToTheTotalAndCancelStops) {
  TestFeed feed;
  std::string rows;
  for (int i = 0; i < 40000; ++i) rows += "T1,08:10:00,08:10:00,S1," + std::to_string(i) + "\n";
  feed.Files["stop_times.txt"] += rows;
  test::TempFolder dir;
  const Feed f = feed.Open(dir);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> seen;
  gtfs::Progress progress;
  progress.Report = [&](std::uint64_t done, std::uint64_t total) {
    seen.emplace_back(done, total);
  };
  f.ReadStop("S1", progress);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.back().first, feed.Files["stop_times.txt"].size());
  EXPECT_EQ(seen.back().second, feed.Files["stop_times.txt"].size());
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].first, seen[i - 1].first);

  std::atomic<bool> cancel = false;
  progress.Cancel = &cancel;
  progress.Report = [&](std::uint64_t, std::uint64_t) { cancel = true; };
  EXPECT_THROW(f.ReadStop("S1", progress), gtfs::Cancelled);
  EXPECT_THROW(feed.Open(dir, progress), gtfs::Cancelled);
}

}  // namespace
}  // namespace v42

namespace v42 {
namespace {

TEST(FeedReading, ABomBeforeTheFirstColumnOfAnyFile) {
  // Every file's first column is one the reader uses, so a BOM left on it loses the column.
  const test::TestFeed plain;
  for (const auto& [name, text] : plain.Files) {
    test::TestFeed feed;
    feed.Files[name] = "\xEF\xBB\xBF" + text;
    test::TempFolder dir;
    const auto built = feed.Open(dir).ReadStop("S1").Build({.Date = {2026, 12, 7}});
    EXPECT_EQ(test::GridText(built.Record), "8: 10a\n") << name;
  }
}

TEST(FeedReading, AKanaReadingFindsAStopButNeverNamesIt) {
  test::TestFeed feed;
  feed.Files["translations.txt"] =
      "table_name,field_name,language,translation,record_id\n"
      "stops,stop_name,ja-Hrkt,えきまえ,S1\nstops,stop_name,ja,駅前広場,S1\n";
  test::TempFolder dir;
  const gtfs::Feed f = feed.Open(dir);
  EXPECT_EQ(f.FindStops("えきまえ").size(), 1u);
  EXPECT_EQ(f.ReadStop("S1").Build({.Date = {2026, 12, 7}}).Record.Title, "駅前広場 平日");
  feed.Files["translations.txt"] = "trans_id,lang,translation\n駅前,ja-Hrkt,えきまえ\n";
  EXPECT_EQ(feed.Open(dir).ReadStop("S1").Build({.Date = {2026, 12, 7}}).Record.Title, "駅前 平日");
}

}  // namespace
}  // namespace v42
