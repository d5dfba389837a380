// Text rules of the import: the search folding, and fitting names into the timetable's boxes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Holidays.h"

namespace v42::gtfs {

// For "contains" searches: full-width ASCII and the ideographic space become ASCII, half-width
// katakana full-width (voiced marks joined), katakana hiragana, and letters lower case.
std::string FoldForSearch(std::string_view utf8);

// The text as a title or kind name box can hold it and the data file gives it back:
// characters CP932 cannot hold become "〓", those it holds as a look-alike that look-alike,
// the ones the data file reserves become their full-width forms, control characters a space,
// and the result is cut to maxChars characters.
std::string FitField(std::string_view utf8, int maxChars);

// "2026-12-07".
std::string DateText(const CivilDate& date);

// The text without the blanks (spaces, ideographic spaces) it ends in.
std::string TrimEnd(std::string_view utf8);

// Characters, not bytes.
int CharCount(std::string_view utf8);

// "HH:MM:SS", the hour allowed past 24 and one digit long; seconds of the service day.
// nullopt when the text is not such a time (an empty text is not one either).
std::optional<int> ParseGtfsTime(std::string_view text);

}  // namespace v42::gtfs
