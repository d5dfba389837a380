// A streaming reader of one feed file as RFC 4180 CSV: quoted fields with commas, quotes and
// line breaks, UTF-8 with or without a BOM, CR LF or LF, columns found by their header names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FeedArchive.h"

namespace v42::gtfs {

struct Progress;

// Bytes read across several files against the bytes of all of them, and the cancel flag.
class ProgressMeter {
 public:
  ProgressMeter(const Progress& progress, std::uint64_t total);
  // Throws Cancelled when asked to stop.
  void Advance(std::uint64_t bytes);

 private:
  const Progress& progress_;
  std::uint64_t total_ = 0, done_ = 0;
};

class CsvReader {
 public:
  // Reads the header line. An empty file has no columns and no records.
  CsvReader(ByteSource& source, std::string fileName, ProgressMeter& meter);

  // The column's index, or -1 when the file does not have it.
  int Column(std::string_view name) const;
  // As Column, but a missing column throws FileError naming the file.
  int RequiredColumn(std::string_view name) const;

  // Moves to the next record, skipping blank lines; false at the end of the file.
  bool Next();
  // The field of the current record; empty for column -1 or a short record. Valid until Next.
  std::string_view Field(int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= fields_.size()) return {};
    return {buffer_.data() + fields_[column].Begin, fields_[column].Length};
  }
  // As Field, but an empty value throws FileError naming the file, the line and the column.
  std::string_view RequiredField(int column, std::string_view name) const;

  // The line on which the current record starts, counting the header as line 1.
  std::uint64_t Line() const { return line_; }
  const std::string& FileName() const { return fileName_; }
  [[noreturn]] void Fail(std::string_view what) const;

 private:
  struct Span {
    std::uint32_t Begin = 0, Length = 0;
    bool Escaped = false;  // holds doubled quotes still to be undone
  };
  enum class Parse { Done, NeedMore };
  Parse ParseRecord(std::size_t& pos, std::uint64_t& lineBreaks, bool& nonAscii);
  bool Refill();
  void CheckUtf8(std::size_t begin, std::size_t end) const;
  void Unescape(Span& span);

  ByteSource& source_;
  std::string fileName_;
  ProgressMeter& meter_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  bool eof_ = false, started_ = false;
  std::uint64_t line_ = 0, nextLine_ = 1;
  std::vector<Span> fields_;
  std::vector<std::string> header_;
};

}  // namespace v42::gtfs
