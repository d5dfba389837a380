#include "SaveSettings.h"

#include "DataFile.h"
#include "IniFile.h"
#include "MessageBox.h"

namespace v42 {
namespace {

IniSettings AsTheFileHoldsNow(const IniSettings& settings, const std::filesystem::path& folder) {
  if (!FileExists(folder / kIniFileName)) return settings;
  try {
    return ReadIniOverDefaults(folder);
  } catch (const FileError&) {
    return settings;  // the write below reports what is wrong with the file
  }
}

}  // namespace

bool SaveSettings(QWidget* dialog, const std::function<void(IniSettings&)>& enter,
                  IniSettings& settings, const std::filesystem::path& appFolder) {
  IniSettings entered = AsTheFileHoldsNow(settings, appFolder);
  enter(entered);
  try {
    WriteIniFile(entered, appFolder);
    settings = entered;
    return true;
  } catch (const FileError& e) {
    ShowMessage(dialog, e.what(), e.Caption.empty() ? "ファイル書込エラー" : e.Caption,
                MsgIcon::Critical);
  } catch (const std::exception&) {
    ShowMessage(dialog,
                "設定ファイルを保存できませんでした。\r" + (appFolder / kIniFileName).string(),
                "ファイル書込エラー", MsgIcon::Critical);
  }
  return false;
}

}  // namespace v42
