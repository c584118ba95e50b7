#pragma once
// Start-up of the console: the command line, the language from the system locale, the
// scale the console is shown at, and the main window.

#include "backends/DeviceOption.h"

#include <QLocale>
#include <QSize>
#include <QStringList>

#include <string>

namespace ovix {

// The console application: reads the command line, chooses the scale, picks the language
// and opens the main window.
class CQamrelApp {
public:
    struct Options {
        LinkOptions link;           // --device, --trace
        bool registration = false;  // "RegServer" or "UnregServer": nothing to register here
        bool version = false;       // --version: print the version and end, before any window
        std::string error;          // a command line the console does not understand
    };

    static Options ParseCommandLine(const QStringList& arguments);

    // After each '-' or '/' of the command line the rest of the line is compared with the
    // registration switches, ignoring case (so a switch has to end the line).
    static bool HasRegistrationSwitch(const QString& commandLine);

    // Chinese (PRC) system locale: the console starts in Chinese.
    static bool IsChineseLocale(const QLocale& locale);

    // Layouts and fonts are in fixed logical pixels and the faces are painted, so the
    // console follows the display's scaling, fractional factors (150 %) included, and stays
    // sharp. Call before the application object exists.
    static void PrepareScreenScaling();

    // The factor the console is shown at: the screen's own (what the user's display
    // scaling asks for), lowered to the largest at which a window of the given logical size
    // still fits the available area (in device pixels), never below 1.
    static double ChooseScaleFactor(double screenFactor, QSize availableDevicePixels,
                                    QSize window = QSize(1282, 722));

    // After the application object, before any window: when the main window would not fit
    // the primary screen at that screen's factor, scales the whole console down to the
    // factor that fits. A QT_SCALE_FACTOR set by the user is left to rule. Returns the
    // factor the console is shown at.
    static double FitScaleToScreen();

    // The whole life of the console; returns the process exit code.
    static int Run(int argc, char** argv);
};

} // namespace ovix
