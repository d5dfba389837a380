// --help and --version of every program and benchmark: answered from the arguments alone,
// before any window system is touched, so they work over SSH and in scripts.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace v42 {

// The suite's version, as the package carries it.
std::string_view SuiteVersion();

// Where the programs look for velkan42.dat and velkan42.ini, in the words the help uses.
std::string FolderRuleText();

// For --help or -h: prints usage, a blank line and the folder rule, and gives 0; for
// --version: prints "<program> <version>" and gives 0. Otherwise nothing happens. Only the
// arguments after the program's name are looked at, and only ahead of a "--".
std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args,
                                       std::string_view program, std::string_view usage,
                                       std::ostream& out);

}  // namespace v42
