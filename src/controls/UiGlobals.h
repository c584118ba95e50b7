#pragma once
// Process-wide state of the user interface that every window reads.

#include <QFont>
#include <QString>

namespace ovix {

// Nonzero selects the Chinese text of every label and message.
extern int g_bChineseUi;
// The main window's caption; never changes.
extern const QString g_strAppTitle;
// The language word kept in the settings: "Chinese" or "English".
extern QString g_strLanguage;
// The output channel selected on the console, 0..5.
extern int g_nCurChannel;

// The text of the current language.
inline QString Tr(const char* en, const char* zh)
{
    return g_bChineseUi ? QString::fromUtf8(zh) : QString::fromUtf8(en);
}

// The console's fonts are sized in pixels, so they come out the same on every display:
// "Arial" (Liberation Sans where Arial is absent), with a CJK fallback for Chinese text.
QFont UiFont(int pixelSize, bool bold = false);

} // namespace ovix
