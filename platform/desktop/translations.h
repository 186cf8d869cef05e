#pragma once
// Qt's own Chinese texts for its standard dialogs (file dialogs, the print dialog, message-box
// buttons, the text fields' context menus), from the translations the Debian package
// qt6-translations-l10n installs beside Qt.

#include <QString>

class QCoreApplication;

namespace vespian {

// Loads Qt's simplified-Chinese translations (qtbase_zh_CN) into the application. False when
// they are not installed; the dialogs then keep Qt's English.
bool installChineseTranslations(QCoreApplication& application);

// Where they are looked for.
QString qtTranslationsFolder();

}  // namespace vespian
