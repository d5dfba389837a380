#include "ImportText.h"

#include <cstdint>
#include <cstdio>

#include "TextCodec.h"

namespace v42::gtfs {

namespace {

char32_t Decode(std::string_view ch) {
  const auto b = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(ch[i]));
  };
  switch (ch.size()) {
    case 1:
      return b(0);
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
}

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// U+FF61..U+FF9F in full width.
constexpr char16_t kHalfKana[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜'};

bool TakesVoicedMark(char32_t c) {
  return (c >= u'カ' && c <= u'ト') || (c >= u'ハ' && c <= u'ホ');
}

}  // namespace

std::string FoldForSearch(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  char32_t pending = 0;  // a half-width kana that a voiced mark may still join
  const auto flush = [&] {
    if (pending == 0) return;
    Append(out, pending >= u'ァ' && pending <= u'ヶ' ? pending - 0x60 : pending);
    pending = 0;
  };
  std::size_t pos = 0;
  for (auto ch = NextUtf8Char(utf8, pos); !ch.empty(); ch = NextUtf8Char(utf8, pos)) {
    char32_t c = Decode(ch);
    if (c >= 0xFF61 && c <= 0xFF9F) {
      const char32_t full = kHalfKana[c - 0xFF61];
      if (full == u'゛' && pending != 0 && (TakesVoicedMark(pending) || pending == u'ウ')) {
        pending = pending == u'ウ' ? u'ヴ' : pending + 1;
        flush();
        continue;
      }
      if (full == u'゜' && pending >= u'ハ' && pending <= u'ホ' && (pending - u'ハ') % 3 == 0) {
        pending += 2;
        flush();
        continue;
      }
      flush();
      pending = full;
      continue;
    }
    flush();
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
    if (c == 0x3000) c = ' ';
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    if (c >= u'ァ' && c <= u'ヶ') c -= 0x60;
    Append(out, c);
  }
  flush();
  return out;
}

std::string FitField(std::string_view utf8, int maxChars) {
  std::string out;
  int count = 0;
  std::size_t pos = 0;
  for (auto ch = NextUtf8Char(utf8, pos); !ch.empty() && count < maxChars;
       ch = NextUtf8Char(utf8, pos), ++count) {
    if (ch == ",") {
      out += "，";
    } else if (ch == "<") {
      out += "＜";
    } else if (ch == ">") {
      out += "＞";
    } else if (ch.size() == 1 && (static_cast<unsigned char>(ch[0]) < 0x20 || ch[0] == 0x7F)) {
      out += ' ';
    } else if (ch.size() == 1) {
      out += ch;
    } else if (const auto cp932 = Utf8ToCp932(ch)) {
      // As the saved file gives it back: CP932 keeps a few characters, the wave dash "〜" and
      // the minus sign among them, only as their full-width look-alikes.
      out += Cp932ToUtf8(*cp932).value_or("〓");
    } else {
      out += "〓";
    }
  }
  return out;
}

std::string DateText(const CivilDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

std::string TrimEnd(std::string_view utf8) {
  for (;;) {
    if (utf8.ends_with(' ')) {
      utf8.remove_suffix(1);
    } else if (utf8.ends_with("\u3000")) {
      utf8.remove_suffix(3);
    } else {
      return std::string(utf8);
    }
  }
}

int CharCount(std::string_view utf8) {
  int count = 0;
  std::size_t pos = 0;
  while (!NextUtf8Char(utf8, pos).empty()) ++count;
  return count;
}

std::optional<int> ParseGtfsTime(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  // The hour: one to three digits before the first colon; then exactly ":MM:SS".
  std::size_t i = 0;
  int hours = 0;
  while (i < text.size() && i < 3 && text[i] >= '0' && text[i] <= '9')
    hours = hours * 10 + (text[i++] - '0');
  if (i == 0 || text.size() != i + 6 || text[i] != ':' || text[i + 3] != ':') return std::nullopt;
  int digits[4];
  const std::size_t at[4] = {i + 1, i + 2, i + 4, i + 5};
  for (int k = 0; k < 4; ++k) {
    digits[k] = text[at[k]] - '0';
    if (digits[k] < 0 || digits[k] > 9) return std::nullopt;
  }
  const int minutes = digits[0] * 10 + digits[1], seconds = digits[2] * 10 + digits[3];
  if (minutes > 59 || seconds > 59) return std::nullopt;
  return hours * 3600 + minutes * 60 + seconds;
}

}  // namespace v42::gtfs
