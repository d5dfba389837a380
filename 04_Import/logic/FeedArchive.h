// The files of a feed, from a .zip or a folder, read as byte streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace v42::gtfs {

// Past this a file is not a timetable but a damaged or hostile archive; the largest real
// feeds stay far below it, and reading stops there whatever the archive claims.
inline constexpr std::uint64_t kMaxFileBytes = 4ULL << 30;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to size bytes into buffer; 0 at the end. Throws FileError.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
  // The size the archive or file system gives, for progress.
  virtual std::uint64_t Size() const = 0;
};

class FeedArchive {
 public:
  // A folder, or else a zip file. Throws FileError when it is neither or cannot be read.
  // maxFileBytes is lowered only by tests, which cannot afford gigabytes.
  static std::unique_ptr<FeedArchive> Open(const std::filesystem::path& feed,
                                           std::uint64_t maxFileBytes = kMaxFileBytes);
  virtual ~FeedArchive() = default;

  // The feed's file of that name (a zip may keep the files in one folder level).
  virtual bool Has(std::string_view name) const = 0;
  virtual std::uint64_t SizeOf(std::string_view name) const = 0;
  // Throws FileError when the file is missing, or larger than the limit (now or as it is read).
  virtual std::unique_ptr<ByteSource> OpenFile(std::string_view name) = 0;

 protected:
  std::uint64_t maxFileBytes_ = kMaxFileBytes;
};

// Reads the source ahead on a thread of its own, so that inflating the next chunk of a zip
// overlaps parsing this one. Errors of the source come out of Read as they would have.
// OpenFile of a zip does this for big files by itself.
std::unique_ptr<ByteSource> ReadAhead(std::unique_ptr<ByteSource> source);

// "<file>の<line>行目: <what>" (line 0: "<file>: <what>"), with the import caption.
[[noreturn]] void ThrowFeedError(std::string_view file, std::uint64_t line, std::string_view what);

}  // namespace v42::gtfs
