#pragma once
// The console's language, through Qt's translation system. Chinese installs the console's
// own translations (translations/ovix_zh_CN.ts, built into the program) and Qt's own
// Chinese texts for its standard buttons and dialogs; English removes them, so the English
// source texts show. Every window re-texts itself when it receives QEvent::LanguageChange.

#include "tables/Messages.h"

#include <QString>

namespace ovix {

enum class UiLanguage { English, Chinese };

// Installs or removes the translators; the windows have re-texted themselves when it
// returns. Switching to the language already in use does nothing.
void SetUiLanguage(UiLanguage language);
UiLanguage CurrentUiLanguage();

// The word kept in the settings, and its reading: exactly "Chinese" means Chinese, any
// other word English.
QString LanguageWord(UiLanguage language);
UiLanguage LanguageFromWord(const QString& word);

// Where the console's compiled Chinese catalogue is (a Qt resource).
inline constexpr char kChineseCatalogue[] = ":/i18n/ovix_zh_CN.qm";

// A message of the engine's catalogue (tables/Messages.h) in the current language, its
// values filled in.
QString MessageText(const UiMessage& message);

} // namespace ovix
