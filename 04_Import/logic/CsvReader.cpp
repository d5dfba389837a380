#include "CsvReader.h"

#include <array>
#include <cstring>

#include "GtfsImport.h"

namespace v42::gtfs {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
// A record beyond this is a damaged file (an unclosed quote swallowing the rest), not data.
constexpr std::size_t kMaxRecordBytes = 64 << 20;

constexpr std::array<bool, 256> kFieldEnd = [] {
  std::array<bool, 256> table{};
  table[','] = table['\n'] = table['\r'] = true;
  return table;
}();

// Length of the valid UTF-8 character at p (end exclusive), 0 when the bytes are not one.
std::size_t Utf8Length(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;  // overlong
    if (c == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < n) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (std::size_t i = 2; i < n; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return n;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

ProgressMeter::ProgressMeter(const Progress& progress, std::uint64_t total)
    : progress_(progress), total_(total) {}

void ProgressMeter::Advance(std::uint64_t bytes) {
  if (progress_.Cancel != nullptr && progress_.Cancel->load(std::memory_order_relaxed)) {
    throw Cancelled();
  }
  done_ += bytes;
  if (progress_.Report) progress_.Report(done_, total_ > done_ ? total_ : done_);
}

CsvReader::CsvReader(ByteSource& source, std::string fileName, ProgressMeter& meter)
    : source_(source), fileName_(std::move(fileName)), meter_(meter), buffer_(kChunkBytes) {
  if (!Next()) return;
  for (std::size_t i = 0; i < fields_.size(); ++i) header_.emplace_back(Trim(Field(int(i))));
}

int CsvReader::Column(std::string_view name) const {
  for (std::size_t i = 0; i < header_.size(); ++i)
    if (header_[i] == name) return static_cast<int>(i);
  return -1;
}

int CsvReader::RequiredColumn(std::string_view name) const {
  const int column = Column(name);
  if (column < 0) ThrowFeedError(fileName_, 0, "列「" + std::string(name) + "」がありません。");
  return column;
}

std::string_view CsvReader::RequiredField(int column, std::string_view name) const {
  const std::string_view value = Field(column);
  if (value.empty()) Fail("「" + std::string(name) + "」が空です。");
  return value;
}

void CsvReader::Fail(std::string_view what) const { ThrowFeedError(fileName_, line_, what); }

bool CsvReader::Next() {
  for (;;) {
    if (pos_ == end_) {
      if (eof_) return false;
      Refill();
      continue;
    }
    line_ = nextLine_;
    std::size_t pos = pos_;
    std::uint64_t lineBreaks = 0;
    bool nonAscii = false;
    if (ParseRecord(pos, lineBreaks, nonAscii) == Parse::NeedMore) {
      Refill();
      continue;
    }
    if (nonAscii) CheckUtf8(pos_, pos);
    pos_ = pos;
    nextLine_ += lineBreaks;
    if (fields_.size() == 1 && fields_[0].Length == 0) continue;  // a blank line
    for (Span& span : fields_)
      if (span.Escaped) Unescape(span);
    return true;
  }
}

CsvReader::Parse CsvReader::ParseRecord(std::size_t& pos, std::uint64_t& lineBreaks,
                                        bool& nonAscii) {
  const char* b = buffer_.data();
  std::size_t p = pos;
  unsigned char high = 0;
  fields_.clear();
  for (;;) {
    Span span;
    if (p < end_ && b[p] == '"') {
      span.Begin = static_cast<std::uint32_t>(++p);
      for (;;) {
        const void* found = std::memchr(b + p, '"', end_ - p);
        if (found == nullptr) {
          if (!eof_) return Parse::NeedMore;
          Fail("引用符が閉じられていません。");
        }
        const std::size_t q = static_cast<const char*>(found) - b;
        for (std::size_t i = p; i < q; ++i) {
          high |= static_cast<unsigned char>(b[i]);
          lineBreaks += b[i] == '\n';
        }
        if (q + 1 == end_ && !eof_) return Parse::NeedMore;
        if (q + 1 < end_ && b[q + 1] == '"') {
          span.Escaped = true;
          p = q + 2;
          continue;
        }
        span.Length = static_cast<std::uint32_t>(q - span.Begin);
        p = q + 1;
        break;
      }
      if (p < end_ && !kFieldEnd[static_cast<unsigned char>(b[p])]) {
        Fail("引用符で囲んだ値の後に余分な文字があります。");
      }
    } else {
      span.Begin = static_cast<std::uint32_t>(p);
      while (p < end_) {
        const auto c = static_cast<unsigned char>(b[p]);
        if (kFieldEnd[c]) break;
        high |= c;
        ++p;
      }
      if (p == end_ && !eof_) return Parse::NeedMore;
      span.Length = static_cast<std::uint32_t>(p - span.Begin);
    }
    fields_.push_back(span);
    if (p == end_) break;  // the last record without a line break
    if (b[p] == ',') {
      ++p;
      continue;
    }
    if (b[p] == '\r') {
      ++p;
      if (p == end_ && !eof_) return Parse::NeedMore;
      if (p < end_ && b[p] == '\n') ++p;
    } else {
      ++p;
    }
    ++lineBreaks;
    break;
  }
  nonAscii = (high & 0x80) != 0;
  pos = p;
  return Parse::Done;
}

bool CsvReader::Refill() {
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == buffer_.size()) {
    if (buffer_.size() >= kMaxRecordBytes) Fail("1件の行が長すぎます。");
    buffer_.resize(buffer_.size() * 2);
  }
  const std::size_t n = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
  if (n == 0) eof_ = true;
  end_ += n;
  meter_.Advance(n);
  if (!started_ && (end_ >= 3 || eof_)) {
    started_ = true;
    if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
  }
  return n > 0;
}

void CsvReader::CheckUtf8(std::size_t begin, std::size_t end) const {
  const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data()) + begin;
  const auto* stop = reinterpret_cast<const unsigned char*>(buffer_.data()) + end;
  std::uint64_t line = line_;
  while (p < stop) {
    const std::size_t n = Utf8Length(p, stop);
    if (n == 0) ThrowFeedError(fileName_, line, "UTF-8ではない文字があります。");
    line += *p == '\n';
    p += n;
  }
}

void CsvReader::Unescape(Span& span) {
  char* text = buffer_.data() + span.Begin;
  std::uint32_t out = 0;
  for (std::uint32_t in = 0; in < span.Length; ++in) {
    text[out++] = text[in];
    if (text[in] == '"') ++in;  // the second of a doubled quote
  }
  span.Length = out;
  span.Escaped = false;
}

}  // namespace v42::gtfs
