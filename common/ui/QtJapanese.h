// Qt's own texts (the file chooser, the standard buttons, context menus) in Japanese, like
// every text of the suite, whatever the desktop's language.
#pragma once

class QTranslator;

namespace v42 {

// Call once in main after the QApplication exists. Loads Qt's Japanese translation from
// Qt's translation folder (Debian's qt6-translations-l10n) and returns it installed;
// nullptr when it is not there, and the texts stay in English.
QTranslator* InstallQtJapanese();

}  // namespace v42
