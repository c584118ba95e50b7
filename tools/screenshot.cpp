// Grabs the console, connected to the built-in simulated processor, into a PNG per
// language: ovix_screenshot OUTPUT_DIR. Runs on any Qt platform (offscreen included) and
// leaves the user's settings alone.

#include "app/MainFrm.h"
#include "app/QamrelApp.h"
#include "controls/UiGlobals.h"
#include "dialogs/DisplayDlg.h"
#include "backends/DeviceOption.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

using namespace ovix;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ovix_screenshot OUTPUT_DIR\n");
        return 2;
    }
    CQamrelApp::PrepareScreenScaling();
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    for (bool chinese : {false, true}) {
        {
            QSettings key(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kMainKey);
            key.setValue("Language", chinese ? "Chinese" : "English");
            key.setValue("Name", "");
            key.setValue("Path", "");
        }
        auto model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        LinkFlags flags;
        CQamrelView::Options o;
        o.backend = MakeBackend("sim");
        o.startDir = scratch.path();
        CMainFrame frame(*model, flags, o);
        frame.View().InitialUpdate();
        frame.show();
        QElapsedTimer t;
        t.start();
        // connected, read, and the loading window gone
        while (t.elapsed() < 20000 && !(frame.View().Link().Synced() && flags.busy == 0 &&
                                         !frame.View().DisplayDlg().isVisible()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        const QString file = out + (chinese ? "/console-zh.png" : "/console-en.png");
        if (!frame.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
        frame.View().StopLink();
    }
    return 0;
}
