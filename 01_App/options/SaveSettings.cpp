#include "SaveSettings.h"

#include "IniFile.h"
#include "MessageBox.h"

namespace v42 {

bool SaveSettings(QWidget* dialog, const IniSettings& entered,
                  const std::filesystem::path& appFolder) {
  try {
    WriteIniFile(entered, appFolder);
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
