// Grabs the console, connected to a simulated processor that holds a tuned live program,
// with CH3 selected, the equaliser editor with CH3 in PEQ and CH5 in GEQ mode, and the
// preset manager over the processor's named programs, the firmware update half-way, into a
// PNG each per language: ovix_screenshot OUTPUT_DIR. Runs on any Qt platform (offscreen included) and
// leaves the user's settings alone.

#include "app/MainFrm.h"
#include "app/QamrelApp.h"
#include "controls/UiGlobals.h"
#include "controls/BitmapSlider.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/OutputDlg.h"
#include "dialogs/ProgramDlg.h"
#include "dialogs/UpgradeDlg.h"
#include "graph/FStatic.h"
#include "simulator/SimBus.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

using namespace ovix;

namespace {

// A plausible car tune: crossovers between the front, rear and subwoofers, a few
// corrections in each channel's equaliser, and the delays that time-align the driver's
// seat.
void DemoTune(ProgramImage& p)
{
    // (band, gain word: 600 is 0 dB in 0.1 dB steps, bandwidth index: 0.05 + 0.01 x index octaves)
    struct Band { int band, gainWord, bandwidth; };
    auto bands = [&](int ch, std::initializer_list<Band> list) {
        for (const Band& b : list) {
            p.outputs[ch].bands[b.band].SetGainWord(std::uint16_t(b.gainWord));
            p.outputs[ch].bands[b.band].SetBandwidthIndex(std::uint16_t(b.bandwidth));
        }
    };
    for (int ch : {0, 1}) {  // front: high-passed at 80 Hz, Linkwitz-Riley 24 dB/oct
        p.outputs[ch].crossover.SetHighPassFreq(80);
        p.outputs[ch].crossover.SetHighPassFamily(0);
        p.outputs[ch].crossover.SetHighPassSlope(2);
        p.outputs[ch].SetGain(57);
    }
    bands(0, {{11, 555, 95}, {17, 620, 62}, {23, 570, 145}});
    bands(1, {{11, 560, 95}, {18, 615, 62}, {23, 575, 145}});
    for (int ch : {2, 3}) {  // rear: 100 Hz Butterworth 18 dB/oct, 6 dB down
        p.outputs[ch].crossover.SetHighPassFreq(100);
        p.outputs[ch].crossover.SetHighPassFamily(2);
        p.outputs[ch].crossover.SetHighPassSlope(1);
        p.outputs[ch].SetGain(54);
    }
    bands(2, {{13, 570, 95}, {20, 630, 45}, {25, 630, 120}});
    bands(3, {{13, 575, 95}, {25, 625, 120}});
    for (int ch : {4, 5}) {  // subwoofers: low-passed at 80 Hz, a lift at 40 Hz
        p.outputs[ch].crossover.SetLowPassFreq(80);
        p.outputs[ch].crossover.SetLowPassFamily(0);
        p.outputs[ch].crossover.SetLowPassSlope(2);
        p.outputs[ch].SetGain(57);
    }
    bands(4, {{3, 640, 45}});
    bands(5, {{3, 640, 45}});
    const int delays[kOutputChannels] = {96, 24, 48, 0, 0, 0};
    for (int ch = 0; ch < kOutputChannels; ++ch)
        p.outputs[ch].SetDelay(std::uint16_t(delays[ch]));
}

// Names for the processor's first programs, as an installer might have stored them.
void DemoNames(DeviceImage& img)
{
    const char* names[] = {"Reference", "Highway", "Jazz Club", "Touring", "Bass Boost", "Night"};
    for (int p = 1; p <= kStoredPrograms; ++p) {
        std::memset(img.Program(p).name, 0, sizeof img.Program(p).name);
        if (p <= int(std::size(names)))
            std::memcpy(img.Program(p).name, names[p - 1], std::strlen(names[p - 1]));
    }
}

} // namespace

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
        auto bus = std::make_shared<sim::CSimBus>();
        bus->Add({}).Edit([](DeviceImage& m) {
            DemoTune(m.current);
            DemoNames(m);
        });
        o.backend = bus;
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
        frame.View().SelectChannel(2);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QString file = out + (chinese ? "/console-zh.png" : "/console-en.png");
        if (!frame.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));

        const QString lang = chinese ? "zh" : "en";

        // the graph's context menu, drawn over the graph where it opens
        const QString menuShot = out + "/graph-menu-" + lang + ".png";
        bool menuSaved = false;
        CFStatic& graph = frame.View().Graph();
        const QPoint menuAt(150, 40);
        graph.m_menuHook = [&](QMenu& menu) {
            menu.show();
            menu.move(graph.mapToGlobal(menuAt));
            menu.setActiveAction(&graph.ImportFiltersAction());
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QPixmap shot = graph.grab();
            QPainter p(&shot);
            p.drawPixmap(menuAt, menu.grab());
            p.end();
            menuSaved = shot.save(menuShot);
            menu.hide();
        };
        graph.ShowContextMenu(menuAt);
        graph.m_menuHook = nullptr;
        if (!menuSaved) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(menuShot));
            return 1;
        }
        std::printf("%s\n", qPrintable(menuShot));

        // the equaliser editor: CH3 in PEQ mode as above, then CH5 switched to GEQ mode and
        // shaped on its faders
        COutputDlg& editor = frame.View().OutputEditor();
        const bool peqSaved = frame.grab().save(out + "/console-peq-" + lang + ".png");
        frame.View().SelectChannel(4);
        editor.m_askHook = [](const QString&) { return true; };
        frame.View().OnEqMode();
        const int geq[] = {260, 280, 290, 270, 240, 220, 200, 190, 185, 195, 200, 210};
        for (int k = 0; k < int(std::size(geq)); ++k)
            editor.Strip(k).slider->SetValueByUser(geq[k]);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const bool geqSaved = frame.grab().save(out + "/console-geq-" + lang + ".png");
        if (!peqSaved || !geqSaved) {
            std::fprintf(stderr, "cannot write the equaliser screenshots into %s\n", qPrintable(out));
            return 1;
        }

        // the preset manager over the processor's programs, program 4 selected
        const QString programs = out + (chinese ? "/programs-zh.png" : "/programs-en.png");
        bool saved = false;
        frame.View().m_programDlgHook = [&](CProgramDlg& dlg) {
            dlg.show();
            dlg.Select(4);
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            saved = dlg.grab().save(programs);
        };
        frame.View().OnProgram();
        if (!saved) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(programs));
            return 1;
        }
        std::printf("%s\n", qPrintable(programs));

        // the firmware update dialog half-way through an update of the MCU image
        const QString firmwareShot = out + "/firmware-" + lang + ".png";
        const QString firmwareFile = scratch.path() + "/DataFile/QX907-V1.02.bin";
        {
            QByteArray image("WMCU");
            for (int i = 0; i < 4 + 48 * 300; ++i)
                image.append(char(i * 29 + 7));
            QFile f(firmwareFile);
            if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(firmwareFile));
                return 1;
            }
        }
        FirmwareTimings timings;
        timings.bootRequest = std::chrono::milliseconds(100);
        timings.bootPause = std::chrono::milliseconds(50);
        timings.restartPause = std::chrono::milliseconds(300);
        frame.View().Link().SetFirmwareTimings(timings);
        bool firmwareSaved = false;
        frame.View().m_upgradeDlgHook = [&](CUpgradeDlg& dlg) {
            dlg.show();
            dlg.SetPathText(QDir::toNativeSeparators(firmwareFile));
            dlg.OnUpdate();
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 20000 && dlg.ProgressValue() < dlg.ProgressMaximum() / 2)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            firmwareSaved = dlg.grab().save(firmwareShot);
            dlg.OnQuit();
        };
        frame.View().m_messageHook = [](const QString&, MessageStyle) {};  // the failure box of the quit
        frame.View().OnFirmwareUpdate();
        if (!firmwareSaved) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(firmwareShot));
            return 1;
        }
        std::printf("%s\n", qPrintable(firmwareShot));
        frame.View().StopLink();
    }
    return 0;
}
