#include "FirstStartOffer.h"

#include "AppFolder.h"
#include "FirstStart.h"
#include "MessageBox.h"
#include "Model.h"

namespace v42 {

std::vector<StartOption> StartOptions(const std::filesystem::path& sampleFolder) {
  std::vector<StartOption> options;
  if (!sampleFolder.empty()) {
    options.push_back({"サンプルの時刻表で始める", [sampleFolder](QWidget*, const auto& folder) {
                         StartFromSample(sampleFolder, folder);
                         return true;
                       }});
  }
  options.push_back({"空の時刻表で始める",
                     [](QWidget*, const auto& folder) {
                       StartEmpty(folder);
                       return true;
                     },
                     FirstStart::ReadyEmpty});
  options.push_back(
      {"GTFSフィードから取り込む", [](QWidget*, const auto&) { return true; }, FirstStart::Import});
  return options;
}

FirstStart OfferFirstStart(QWidget* parent, const std::filesystem::path& appFolder,
                           const std::vector<StartOption>& options) {
  if (!NeedsFirstStart(appFolder)) return FirstStart::Ready;
  std::vector<std::string> labels;
  for (const StartOption& option : options) labels.push_back(option.Label);
  labels.push_back("終了");
  const std::string text =
      "時刻表ファイル velkan42.dat がまだありません。\nどの時刻表で始めますか。\n\n" +
      AppFolderNote(appFolder);
  for (;;) {
    const auto chosen = static_cast<std::size_t>(
        ShowChoice(parent, text, "ベルカン42の時刻表", MsgIcon::Question, labels));
    if (chosen >= options.size()) return FirstStart::Quit;
    try {
      if (options[chosen].Make(parent, appFolder)) return options[chosen].Then;
    } catch (const FileError& error) {
      ShowMessage(parent, error.what(), error.Caption, MsgIcon::Critical);
    }
  }
}

}  // namespace v42
