#include "FeedArchive.h"

#include <zip.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "GtfsImport.h"

namespace v42::gtfs {

namespace fs = std::filesystem;

void ThrowFeedError(std::string_view file, std::uint64_t line, std::string_view what) {
  std::string message(file);
  if (line > 0) message += "の" + std::to_string(line) + "行目";
  message += ": ";
  message += what;
  throw FileError(message, kImportErrorCaption, false);
}

namespace {

constexpr std::uint64_t kReadAheadBytes = 4 << 20;

std::string TooLarge(std::uint64_t size) {
  return "展開後の大きさ(" + std::to_string(size) + "バイト)が大きすぎます。";
}

// Counts what was really delivered, since a damaged archive may claim a small size and
// still inflate without end.
class GuardedSource : public ByteSource {
 public:
  GuardedSource(std::string name, std::uint64_t size, std::uint64_t limit)
      : name_(std::move(name)), size_(size), limit_(limit) {}
  std::uint64_t Size() const override { return size_; }

 protected:
  void Count(std::size_t n) {
    read_ += n;
    if (read_ > limit_) ThrowFeedError(name_, 0, TooLarge(read_));
  }
  std::string name_;

 private:
  std::uint64_t size_ = 0, limit_ = 0;
  std::uint64_t read_ = 0;
};

class PlainFile : public GuardedSource {
 public:
  PlainFile(const fs::path& path, std::string name, std::uint64_t size, std::uint64_t limit)
      : GuardedSource(std::move(name), size, limit), file_(std::fopen(path.c_str(), "rb")) {
    if (file_ == nullptr) ThrowFeedError(name_, 0, "ファイルを開けません。");
  }
  ~PlainFile() override { std::fclose(file_); }
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::fread(buffer, 1, size, file_);
    if (n == 0 && std::ferror(file_)) ThrowFeedError(name_, 0, "ファイルを読めません。");
    Count(n);
    return n;
  }

 private:
  std::FILE* file_;
};

class FolderArchive : public FeedArchive {
 public:
  explicit FolderArchive(fs::path folder) : folder_(std::move(folder)) {}
  bool Has(std::string_view name) const override {
    std::error_code ec;
    return fs::is_regular_file(folder_ / name, ec);
  }
  std::uint64_t SizeOf(std::string_view name) const override {
    std::error_code ec;
    const auto size = fs::file_size(folder_ / name, ec);
    return ec ? 0 : size;
  }
  std::unique_ptr<ByteSource> OpenFile(std::string_view name) override {
    if (!Has(name)) ThrowFeedError(name, 0, "ファイルがありません。");
    const std::uint64_t size = SizeOf(name);
    if (size > maxFileBytes_) ThrowFeedError(name, 0, TooLarge(size));
    return std::make_unique<PlainFile>(folder_ / name, std::string(name), size, maxFileBytes_);
  }

 private:
  fs::path folder_;
};

class ZipEntry : public GuardedSource {
 public:
  ZipEntry(zip_file_t* file, std::string name, std::uint64_t size, std::uint64_t limit)
      : GuardedSource(std::move(name), size, limit), file_(file) {}
  ~ZipEntry() override { zip_fclose(file_); }
  std::size_t Read(char* buffer, std::size_t size) override {
    const zip_int64_t n = zip_fread(file_, buffer, size);
    if (n < 0) {
      ThrowFeedError(name_, 0,
                     std::string("ZIPの中身が壊れています(") + zip_file_strerror(file_) + ")。");
    }
    Count(static_cast<std::size_t>(n));
    return static_cast<std::size_t>(n);
  }

 private:
  zip_file_t* file_;
};

class ZipArchive : public FeedArchive {
 public:
  explicit ZipArchive(const fs::path& path) {
    int error = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (zip_ == nullptr) {
      zip_error_t ze;
      zip_error_init_with_code(&ze, error);
      const std::string why = zip_error_strerror(&ze);
      zip_error_fini(&ze);
      ThrowFeedError(path.filename().string(), 0, "ZIPファイルとして開けません(" + why + ")。");
    }
  }
  ~ZipArchive() override { zip_discard(zip_); }
  bool Has(std::string_view name) const override { return Locate(name) >= 0; }
  std::uint64_t SizeOf(std::string_view name) const override {
    zip_stat_t st;
    const zip_int64_t index = Locate(name);
    if (index < 0 || zip_stat_index(zip_, index, 0, &st) != 0) return 0;
    return (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
  }
  std::unique_ptr<ByteSource> OpenFile(std::string_view name) override {
    const zip_int64_t index = Locate(name);
    if (index < 0) ThrowFeedError(name, 0, "ファイルがありません。");
    const std::uint64_t size = SizeOf(name);
    if (size > maxFileBytes_) ThrowFeedError(name, 0, TooLarge(size));
    zip_file_t* file = zip_fopen_index(zip_, index, 0);
    if (file == nullptr) {
      ThrowFeedError(name, 0, std::string("ZIPから取り出せません(") + zip_strerror(zip_) + ")。");
    }
    auto entry = std::make_unique<ZipEntry>(file, std::string(name), size, maxFileBytes_);
    // A big entry inflates on a thread of its own, overlapping the parsing of what came before.
    if (size > kReadAheadBytes) return ReadAhead(std::move(entry));
    return entry;
  }

 private:
  // At the top, or in a folder one level down, as some operators pack their feeds.
  zip_int64_t Locate(std::string_view name) const {
    const std::string wanted(name);
    const zip_int64_t top = zip_name_locate(zip_, wanted.c_str(), 0);
    if (top >= 0) return top;
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* raw = zip_get_name(zip_, i, ZIP_FL_ENC_RAW);
      if (raw == nullptr) continue;
      const std::string_view entry = raw;
      const auto slash = entry.find('/');
      if (slash != std::string_view::npos && entry.substr(slash + 1) == name) return i;
    }
    return -1;
  }
  zip_t* zip_ = nullptr;
};

class ReadAheadSource : public ByteSource {
 public:
  explicit ReadAheadSource(std::unique_ptr<ByteSource> inner) : inner_(std::move(inner)) {
    for (int i = 0; i < kChunks; ++i) free_.emplace_back(kChunkBytes);
    worker_ = std::thread([this] { Fill(); });
  }
  ~ReadAheadSource() override {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }
  std::uint64_t Size() const override { return inner_->Size(); }
  std::size_t Read(char* buffer, std::size_t size) override {
    if (offset_ == current_.Size) {
      if (current_.End) return 0;
      std::unique_lock lock(mutex_);
      if (!current_.Bytes.empty()) free_.push_back(std::move(current_.Bytes));
      changed_.notify_all();
      changed_.wait(lock, [this] { return !ready_.empty(); });
      current_ = std::move(ready_.front());
      ready_.pop_front();
      offset_ = 0;
      if (current_.Error) std::rethrow_exception(current_.Error);
      if (current_.End) return 0;
    }
    const std::size_t n = std::min(size, current_.Size - offset_);
    std::memcpy(buffer, current_.Bytes.data() + offset_, n);
    offset_ += n;
    return n;
  }

 private:
  static constexpr int kChunks = 3;
  static constexpr std::size_t kChunkBytes = 1 << 20;
  struct Chunk {
    std::vector<char> Bytes;
    std::size_t Size = 0;
    bool End = false;
    std::exception_ptr Error;
  };

  void Fill() {
    for (;;) {
      Chunk chunk;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
        if (stop_) return;
        chunk.Bytes = std::move(free_.back());
        free_.pop_back();
      }
      try {
        chunk.Size = inner_->Read(chunk.Bytes.data(), chunk.Bytes.size());
        chunk.End = chunk.Size == 0;
      } catch (...) {
        chunk.Error = std::current_exception();
        chunk.End = true;
      }
      const bool end = chunk.End;
      {
        const std::lock_guard lock(mutex_);
        ready_.push_back(std::move(chunk));
      }
      changed_.notify_all();
      if (end) return;
    }
  }

  std::unique_ptr<ByteSource> inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Chunk> ready_;
  std::vector<std::vector<char>> free_;
  bool stop_ = false;
  Chunk current_;
  std::size_t offset_ = 0;
  std::thread worker_;  // last: it starts after everything it uses
};

}  // namespace

std::unique_ptr<ByteSource> ReadAhead(std::unique_ptr<ByteSource> source) {
  return std::make_unique<ReadAheadSource>(std::move(source));
}

std::unique_ptr<FeedArchive> FeedArchive::Open(const fs::path& feed, std::uint64_t maxFileBytes) {
  std::error_code ec;
  std::unique_ptr<FeedArchive> archive;
  if (fs::is_directory(feed, ec)) {
    archive = std::make_unique<FolderArchive>(feed);
  } else if (fs::is_regular_file(feed, ec)) {
    archive = std::make_unique<ZipArchive>(feed);
  } else {
    ThrowFeedError(feed.string(), 0, "見つかりません。");
  }
  archive->maxFileBytes_ = maxFileBytes;
  return archive;
}

}  // namespace v42::gtfs
