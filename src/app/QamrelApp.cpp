#include "app/QamrelApp.h"

#include "app/MainFrm.h"
#include "controls/UiGlobals.h"

#include <QApplication>
#include <QDir>

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
    for (int i = 1; i < arguments.size(); ++i)
        words.push_back(arguments[i].toStdString());
    o.error = TakeLinkOptions(words, o.link);
    return o;
}

bool CQamrelApp::IsChineseLocale(const QLocale& locale)
{
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China;
}

void CQamrelApp::FixDotsPerInch()
{
    if (qEnvironmentVariableIsEmpty("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
}

int CQamrelApp::Run(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Options options = ParseCommandLine(arguments);
    if (options.registration)
        return 0;  // nothing of the console is registered with the platform
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

    FixDotsPerInch();
    QApplication app(argc, argv);
    app.setApplicationName(g_strAppTitle);
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
