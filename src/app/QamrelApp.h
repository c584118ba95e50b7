#pragma once
// Start-up of the console: the command line, the language from the system locale, the
// fixed 96-dpi rule, and the main window.

#include <QLocale>
#include <QStringList>

#include <string>

namespace ovix {

struct StartupOptions {
    std::string device = "usb";  // usb, sim or unix:PATH
    bool registration = false;   // "RegServer" or "UnregServer": nothing to register here
    std::string error;           // a command line the console does not understand
};

StartupOptions ParseCommandLine(const QStringList& arguments);

// After each '-' or '/' of the command line the rest of the line is compared with the
// registration switches, ignoring case (so a switch has to end the line).
bool HasRegistrationSwitch(const QString& commandLine);

// Chinese (PRC) system locale: the console starts in Chinese.
bool IsChineseLocale(const QLocale& locale);

// Layouts, fonts and drawings are in pixels and must not scale with the display; call
// before the application object exists.
void FixDotsPerInch();

int RunConsole(int argc, char** argv);

} // namespace ovix
