#include "FeedRecord.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "DataFile.h"
#include "SafeFile.h"

namespace v42::feeds {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The text keys of an entry and their fields; an empty text is written as "".
struct TextField {
  const char* Key;
  std::string FeedEntry::*Field;
};
constexpr TextField kTextFields[] = {
    {"source", &FeedEntry::Source},
    {"stopId", &FeedEntry::StopId},
    {"stopName", &FeedEntry::StopName},
    {"dayKind", &FeedEntry::DayKind},
    {"date", &FeedEntry::Date},
    {"types", &FeedEntry::Types},
    {"title", &FeedEntry::Title},
    {"calendarFrom", &FeedEntry::CalendarFrom},
    {"calendarUntil", &FeedEntry::CalendarUntil},
    {"feedStart", &FeedEntry::FeedStart},
    {"feedEnd", &FeedEntry::FeedEnd},
    {"feedVersion", &FeedEntry::FeedVersion},
    {"etag", &FeedEntry::ETag},
    {"lastModified", &FeedEntry::LastModified},
    {"fileStamp", &FeedEntry::FileStamp},
    {"fingerprint", &FeedEntry::Fingerprint},
};
// Everything else in an entry is kept as it came.
bool IsKnownKey(std::string_view key) {
  for (const TextField& f : kTextFields)
    if (key == f.Key) return true;
  return key == "timetable" || key == "routes" || key == "headsigns" || key == "direction";
}

[[noreturn]] void Fail(const std::string& what) {
  throw FileError(std::string(kFeedsFileName) + ": " + what +
                      "\nファイルはそのまま残してあります。直すか別の名前に移してください。",
                  kFeedsErrorCaption, false);
}

std::string Text(const json& entry, const char* key) {
  const auto it = entry.find(key);
  if (it == entry.end() || it->is_null()) return {};
  if (!it->is_string()) Fail(std::string("「") + key + "」が文字列ではありません。");
  return it->get<std::string>();
}

std::vector<std::string> Texts(const json& entry, const char* key) {
  std::vector<std::string> texts;
  const auto it = entry.find(key);
  if (it == entry.end() || it->is_null()) return texts;
  if (!it->is_array()) Fail(std::string("「") + key + "」が文字列の並びではありません。");
  for (const json& item : *it) {
    if (!item.is_string()) Fail(std::string("「") + key + "」が文字列の並びではありません。");
    texts.push_back(item.get<std::string>());
  }
  return texts;
}

FeedEntry EntryOf(const json& j) {
  if (!j.is_object()) Fail("時刻表の項目がオブジェクトではありません。");
  FeedEntry e;
  const auto table = j.find("timetable");
  if (table == j.end() || !table->is_number_integer() || table->get<int>() < 0 ||
      table->get<int>() >= kTimetableCount) {
    Fail("「timetable」が 0〜8 の数ではありません。");
  }
  e.Timetable = table->get<int>();
  for (const TextField& f : kTextFields) {
    if (j.contains(f.Key)) e.*f.Field = Text(j, f.Key);
  }
  e.Routes = Texts(j, "routes");
  e.Headsigns = Texts(j, "headsigns");
  if (const auto d = j.find("direction"); d != j.end() && !d->is_null()) {
    if (!d->is_number_integer() || (d->get<int>() != 0 && d->get<int>() != 1))
      Fail("「direction」が 0 か 1 ではありません。");
    e.Direction = d->get<int>();
  }
  for (const auto& [key, value] : j.items())
    if (!IsKnownKey(key)) e.Extra[key] = value;
  return e;
}

json JsonOf(const FeedEntry& e) {
  json j = e.Extra.is_object() ? e.Extra : json::object();
  j["timetable"] = e.Timetable;
  for (const TextField& f : kTextFields) j[f.Key] = e.*f.Field;
  j["routes"] = e.Routes;
  j["headsigns"] = e.Headsigns;
  j["direction"] = e.Direction ? json(*e.Direction) : json(nullptr);
  return j;
}

}  // namespace

std::string FeedEntry::ValidFrom() const {
  // Dates as YYYY-MM-DD compare as text.
  if (CalendarFrom.empty()) return FeedStart;
  return std::max(CalendarFrom, FeedStart);
}

std::string FeedEntry::ValidUntil() const {
  if (CalendarUntil.empty() || FeedEnd.empty())
    return CalendarUntil.empty() ? FeedEnd : CalendarUntil;
  return std::min(CalendarUntil, FeedEnd);
}

FeedEntry* FeedRecord::Find(int timetable) {
  for (FeedEntry& e : Entries)
    if (e.Timetable == timetable) return &e;
  return nullptr;
}

const FeedEntry* FeedRecord::Find(int timetable) const {
  return const_cast<FeedRecord*>(this)->Find(timetable);
}

void FeedRecord::Put(FeedEntry entry) {
  if (FeedEntry* old = Find(entry.Timetable)) {
    *old = std::move(entry);
    return;
  }
  Entries.push_back(std::move(entry));
  std::stable_sort(Entries.begin(), Entries.end(), [](const FeedEntry& a, const FeedEntry& b) {
    return a.Timetable < b.Timetable;
  });
}

std::optional<FeedRecord> ReadFeedRecord(const fs::path& appFolder) {
  const fs::path file = appFolder / kFeedsFileName;
  if (!FileExists(file)) return std::nullopt;
  std::string bytes;
  try {
    bytes = ReadFileBytes(file);
  } catch (const FileError& e) {
    throw FileError(e.what(), kFeedsErrorCaption, false);
  }
  const json top = json::parse(bytes, nullptr, false);
  if (top.is_discarded() || !top.is_object()) Fail("JSON として読めません。");
  const auto format = top.find("format");
  if (format == top.end() || !format->is_number_integer()) Fail("「format」がありません。");
  if (format->get<long long>() != kFeedsFormat) {
    Fail("この版のプログラムが知らない形式(format " + format->dump() +
         ")です。新しい版のプログラムで開いてください。");
  }
  FeedRecord record;
  const auto tables = top.find("timetables");
  if (tables != top.end()) {
    if (!tables->is_array()) Fail("「timetables」が並びではありません。");
    for (const json& j : *tables) {
      FeedEntry entry = EntryOf(j);
      if (record.Find(entry.Timetable)) Fail("同じ時刻表の項目が二つあります。");
      record.Put(std::move(entry));
    }
  }
  for (const auto& [key, value] : top.items())
    if (key != "format" && key != "timetables") record.Extra[key] = value;
  return record;
}

std::string FeedRecordText(const FeedRecord& record) {
  json top = record.Extra.is_object() ? record.Extra : json::object();
  top["format"] = kFeedsFormat;
  json tables = json::array();
  for (const FeedEntry& e : record.Entries) tables.push_back(JsonOf(e));
  top["timetables"] = std::move(tables);
  // A path that is not UTF-8 (Linux allows any bytes) must not stop the save.
  return top.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

void WriteFeedRecord(const FeedRecord& record, const fs::path& appFolder) {
  ReplaceFile(appFolder / kFeedsFileName, FeedRecordText(record));
}

void FollowTimetables(const fs::path& appFolder, const std::function<int(int)>& currentOf,
                      const std::vector<FeedEntry>& added) {
  std::optional<FeedRecord> record = ReadFeedRecord(appFolder);
  if (!record && added.empty()) return;
  if (!record) record.emplace();
  FeedRecord moved;
  moved.Extra = record->Extra;
  bool changed = false;
  for (FeedEntry& e : record->Entries) {
    const int now = currentOf(e.Timetable);
    changed = changed || now != e.Timetable;
    if (now < 0) continue;
    e.Timetable = now;
    moved.Put(std::move(e));
  }
  for (const FeedEntry& e : added) moved.Put(e);
  if (!changed && added.empty()) return;
  WriteFeedRecord(moved, appFolder);
}

std::string Fingerprint(const TimetableRecord& record) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  const auto add = [&](std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      hash ^= (value >> (8 * i)) & 0xFF;
      hash *= 1099511628211ULL;
    }
  };
  for (const auto& row : record.Departures)
    for (const DepartureCell& cell : row) add(cell.Value | (cell.TypeLetter << 8), 2);
  for (const TypeEntry& type : record.Types) {
    for (char c : type.Name) add(static_cast<unsigned char>(c), 1);
    add(0, 1);
    add(static_cast<std::uint32_t>(type.ForeColor), 4);
    add(static_cast<std::uint32_t>(type.BackColor), 4);
    add(type.Bold | (type.Italic << 1), 1);
  }
  const GridColorSet& g = record.GridColors;
  for (Color c : {g.BaseForeColor, g.BaseBackColor, g.NextForeColor, g.NextBackColor,
                  g.ChosenForeColor, g.ChosenBackColor})
    add(static_cast<std::uint32_t>(c), 4);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::optional<CivilDate> ParseDate(std::string_view text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  const std::string copy(text);
  if (copy.size() != 10 || copy[4] != '-' || copy[7] != '-' ||
      std::sscanf(copy.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) {
    return std::nullopt;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{y},
                                        std::chrono::month{static_cast<unsigned>(m)},
                                        std::chrono::day{static_cast<unsigned>(d)}};
  if (!ymd.ok()) return std::nullopt;
  return CivilDate{y, m, d};
}

Validity ValidityOf(const fs::path& appFolder, int timetable) {
  try {
    const auto record = ReadFeedRecord(appFolder);
    if (!record) return {};
    const FeedEntry* e = record->Find(timetable);
    if (!e) return {};
    return {e->ValidFrom(), e->ValidUntil()};
  } catch (const FileError&) {
    return {};
  }
}

}  // namespace v42::feeds
