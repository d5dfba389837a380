#include "SaveSettings.h"

#include <QWidget>

#include "DataFile.h"
#include "FilesLock.h"
#include "IniFile.h"
#include "MessageBox.h"

namespace v42 {

bool SameTimetableList(const TimetableStore& shown, const std::filesystem::path& appFolder) {
  TimetableStore onDisk;
  try {
    ReadDataFile(onDisk, appFolder);
  } catch (const FileError&) {
    return false;
  }
  if (onDisk.Count != shown.Count) return false;
  for (int i = 0; i < shown.Count; ++i) {
    if (onDisk.Records[i].Title != shown.Records[i].Title) return false;
  }
  return true;
}

bool SaveSettings(QWidget* dialog, const std::function<void(IniSettings&)>& enter,
                  IniSettings& settings, const std::filesystem::path& appFolder,
                  const std::function<std::string()>& refusal) {
  try {
    const FilesLock lock(appFolder);
    if (refusal) {
      if (const std::string why = refusal(); !why.empty()) {
        ShowMessage(dialog, why, dialog->windowTitle().toStdString(), MsgIcon::Information);
        return false;
      }
    }
    // What the file holds now, so that keys another program changed since the clock read it
    // are kept; a file that cannot be read or is damaged is reported and not written over.
    IniSettings entered =
        FileExists(appFolder / kIniFileName) ? ReadIniOverDefaults(appFolder) : settings;
    enter(entered);
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
