#pragma once
// Process-wide state of the user interface. The language is Qt's translation system's
// (controls/UiLanguage.h), not a flag here.

#include <QFont>
#include <QString>

namespace ovix {

// The main window's caption; never changes.
extern const QString g_strAppTitle;
// The output channel selected on the console, 0..5.
extern int g_nCurChannel;

// The console's fonts are sized in pixels, so they come out the same on every display:
// "Arial" (Liberation Sans where Arial is absent), with a CJK fallback for Chinese text.
QFont UiFont(int pixelSize, bool bold = false);

} // namespace ovix
