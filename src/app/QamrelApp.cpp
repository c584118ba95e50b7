#include "app/QamrelApp.h"

#include "app/MainFrm.h"
#include "controls/UiGlobals.h"

#include "OvixVersion.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

#if OVIX_QT_SCALE_HOOK
#include <QtGui/private/qhighdpiscaling_p.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace ovix {

bool CQamrelApp::HasRegistrationSwitch(const QString& line)
{
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] != QLatin1Char('-') && line[i] != QLatin1Char('/'))
            continue;
        const QString rest = line.mid(i + 1);
        if (rest.compare(QLatin1String("RegServer"), Qt::CaseInsensitive) == 0 ||
            rest.compare(QLatin1String("UnregServer"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

CQamrelApp::Options CQamrelApp::ParseCommandLine(const QStringList& arguments)
{
    Options o;
    o.registration = HasRegistrationSwitch(arguments.mid(1).join(QLatin1Char(' ')));
    std::vector<std::string> words;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--version"))
            o.version = true;
        else
            words.push_back(arguments[i].toStdString());
    }
    o.error = TakeLinkOptions(words, o.link);
    return o;
}

bool CQamrelApp::IsChineseLocale(const QLocale& locale)
{
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China;
}

void CQamrelApp::PrepareScreenScaling()
{
    // Qt scales by the screen's factor as it is (1.5 stays 1.5). QT_FONT_DPI is left
    // unset: on X11 it would replace the display's DPI, from which Qt takes that factor.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

double CQamrelApp::ChooseScaleFactor(double screenFactor, QSize available, QSize window)
{
    double factor = screenFactor;
    if (window.width() > 0 && window.height() > 0 && !available.isEmpty())
        factor = std::min({factor, double(available.width()) / window.width(),
                           double(available.height()) / window.height()});
    return std::max(factor, 1.0);
}

double CQamrelApp::FitScaleToScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1.0;
    const double screenFactor = screen->devicePixelRatio();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return screenFactor;  // the user's own global factor rules
    const QSize available = (QSizeF(screen->availableGeometry().size()) * screenFactor).toSize();
    const double factor = ChooseScaleFactor(screenFactor, available, QSize(CMainFrame::kWidth, CMainFrame::kHeight));
    if (std::abs(factor - screenFactor) < 1e-3)
        return screenFactor;
#if OVIX_QT_SCALE_HOOK
    // Qt reads QT_SCALE_FACTOR while the application object is made, before any screen
    // is known, and offers no public call to change the factor later. The global factor
    // behind QT_SCALE_FACTOR multiplies every screen's own, and may be set while no
    // window exists: factor / screenFactor gives the window the factor that fits.
    QHighDpiScaling::setGlobalFactor(factor / screenFactor);
    return factor;
#else
    return screenFactor;  // built without Qt's private headers: the screen's factor as it is
#endif
}

int CQamrelApp::Run(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Options options = ParseCommandLine(arguments);
    if (options.registration)
        return 0;  // nothing of the console is registered with the platform
    if (options.version) {
        // before the application object, so it works without a display
        std::printf("ovix %s\n", kOvixVersion);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "ovix: %s\n", options.error.c_str());
        return 2;
    }
    LinkOptions link = options.link;
    if (!OpenLinkTrace(link)) {
        std::fprintf(stderr, "ovix: cannot open trace file '%s'\n", link.trace.c_str());
        return 2;
    }
    std::shared_ptr<IHidBackend> backend = MakeBackend(link);

    PrepareScreenScaling();
    QApplication app(argc, argv);
    app.setApplicationName(g_strAppTitle);
    // ties the window to the installed desktop entry, whose icon the desktop then shows
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ovix.Ovix"));
    FitScaleToScreen();
    const bool systemChinese = IsChineseLocale(QLocale::system());

    auto model = std::make_unique<ParameterModel>();
    ResetImage(model->image);
    g_nCurChannel = 0;

    CQamrelView::Options viewOptions;
    viewOptions.backend = std::move(backend);
    viewOptions.startDir = QDir::currentPath();
    viewOptions.systemChinese = systemChinese;
    CMainFrame frame(*model, g_linkFlags, viewOptions);
    frame.View().InitialUpdate();
    frame.show();
    frame.CentreOnScreen();
    return app.exec();
}

} // namespace ovix
