#pragma once
// Start-up of the console: the command line, the language from the system locale, the
// fixed 96-dpi rule, and the main window.

#include "backends/DeviceOption.h"

#include <QLocale>
#include <QStringList>

#include <string>

namespace ovix {

// The console application: reads the command line, fixes the pixel geometry, picks the
// language and opens the main window.
class CQamrelApp {
public:
    struct Options {
        LinkOptions link;           // --device, --trace
        bool registration = false;  // "RegServer" or "UnregServer": nothing to register here
        std::string error;          // a command line the console does not understand
    };

    static Options ParseCommandLine(const QStringList& arguments);

    // After each '-' or '/' of the command line the rest of the line is compared with the
    // registration switches, ignoring case (so a switch has to end the line).
    static bool HasRegistrationSwitch(const QString& commandLine);

    // Chinese (PRC) system locale: the console starts in Chinese.
    static bool IsChineseLocale(const QLocale& locale);

    // Layouts, fonts and drawings are in pixels and must not scale with the display; call
    // before the application object exists.
    static void FixDotsPerInch();

    // The whole life of the console; returns the process exit code.
    static int Run(int argc, char** argv);
};

} // namespace ovix
