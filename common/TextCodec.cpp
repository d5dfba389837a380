#include "TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace v42 {

namespace {

// Converts the whole input or gives nullopt; a sequence the target cannot hold and a
// truncated multi-byte character at the end both count as failure.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::size_t done = 0;
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = out.data() + done;
    std::size_t dstLeft = out.size() - done;
    std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    done = out.size() - dstLeft;
    if (rc != static_cast<std::size_t>(-1)) {
      // glibc counts characters it could only approximate; an exact copy is wanted.
      if (rc != 0) ok = false;
      break;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL
    break;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return Convert("UTF-8", "CP932", cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8);
}

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}  // namespace

FileEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return FileEncoding::Utf8;
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return FileEncoding::Cp932;
  const auto utf8 = Convert("UTF-8", "UTF-8", bytes);
  if (!utf8) return FileEncoding::Cp932;
  if (!Cp932ToUtf8(bytes)) return FileEncoding::Utf8;
  // Valid both ways. A half-width katakana in CP932 shares its byte with the lead of a
  // two-byte UTF-8 sequence, so runs such as "ﾐｱ" also read as UTF-8 accents, Greek or
  // Cyrillic. Japanese text saved as UTF-8 is made of three-byte sequences; a reading that
  // needs a two-byte one is the CP932 file this suite wrote, and must read back as written.
  std::size_t pos = 0;
  for (auto ch = NextUtf8Char(*utf8, pos); !ch.empty(); ch = NextUtf8Char(*utf8, pos)) {
    if (ch.size() == 2) return FileEncoding::Cp932;
  }
  return FileEncoding::Utf8;
}

std::optional<std::string> DecodeText(std::string_view bytes, FileEncoding encoding) {
  if (encoding == FileEncoding::Cp932) return Cp932ToUtf8(bytes);
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  auto text = Convert("UTF-8", "UTF-8", bytes);
  if (!text || IsCp932Representable(*text)) return text;
  // What is read must save again: a character the file cannot hold shows as the geta mark,
  // as imported text does, and a stray byte order mark, invisible anyway, goes.
  std::string storable;
  std::size_t pos = 0;
  for (auto ch = NextUtf8Char(*text, pos); !ch.empty(); ch = NextUtf8Char(*text, pos)) {
    if (ch == kUtf8Bom) continue;
    storable += IsCp932Representable(ch) ? std::string(ch) : std::string("〓");
  }
  return storable;
}

bool IsCp932Representable(std::string_view utf8) { return Utf8ToCp932(utf8).has_value(); }

}  // namespace v42

namespace v42 {

std::string_view NextUtf8Char(std::string_view utf8, std::size_t& pos) {
  if (pos >= utf8.size()) return {};
  const auto lead = static_cast<unsigned char>(utf8[pos]);
  std::size_t len = 1;
  if (lead >= 0xF0) {
    len = 4;
  } else if (lead >= 0xE0) {
    len = 3;
  } else if (lead >= 0xC0) {
    len = 2;
  }
  // A truncated or malformed sequence yields its bytes one at a time.
  for (std::size_t i = 1; i < len; ++i) {
    if (pos + i >= utf8.size() || (static_cast<unsigned char>(utf8[pos + i]) & 0xC0) != 0x80) {
      len = 1;
      break;
    }
  }
  const std::string_view ch = utf8.substr(pos, len);
  pos += len;
  return ch;
}

bool IsDoubleByteChar(std::string_view utf8Char) {
  if (utf8Char.empty() || static_cast<unsigned char>(utf8Char[0]) < 0x80) return false;
  // U+FF61..U+FF9F, the half-width katakana, are EF BD A1..EF BD BF and EF BE 80..EF BE 9F.
  if (utf8Char.size() == 3 && static_cast<unsigned char>(utf8Char[0]) == 0xEF) {
    const auto b1 = static_cast<unsigned char>(utf8Char[1]);
    const auto b2 = static_cast<unsigned char>(utf8Char[2]);
    if ((b1 == 0xBD && b2 >= 0xA1) || (b1 == 0xBE && b2 <= 0x9F)) return false;
  }
  return true;
}

std::string FirstUnrepresentable(std::string_view utf8) {
  std::size_t pos = 0;
  for (auto ch = NextUtf8Char(utf8, pos); !ch.empty(); ch = NextUtf8Char(utf8, pos)) {
    if (!Utf8ToCp932(ch)) return std::string(ch);
  }
  return {};
}

}  // namespace v42
