#include "ProgramHelp.h"

#include <ostream>

namespace v42 {

std::string_view SuiteVersion() { return V42_VERSION; }

std::string FolderRuleText() {
  return "velkan42.dat と velkan42.ini の場所:\n"
         "  プログラムと同じフォルダにどちらかがあれば、そのフォルダ (持ち運び用のコピー)。\n"
         "  なければ利用者ごとのフォルダ $XDG_DATA_HOME/velkan42 "
         "(未設定なら ~/.local/share/velkan42)。\n";
}

std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args,
                                       std::string_view program, std::string_view usage,
                                       std::ostream& out) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      out << usage << (usage.ends_with('\n') ? "" : "\n") << "\n" << FolderRuleText();
      return 0;
    }
    if (arg == "--version") {
      out << program << ' ' << SuiteVersion() << '\n';
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace v42
