#include "controls/UiLanguage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace ovix {

namespace {

struct LanguageState {
    UiLanguage current = UiLanguage::English;
    // Owned by the application object; loaded on the first switch to Chinese.
    QPointer<QTranslator> own;
    QPointer<QTranslator> qt;
    bool qtLoaded = false;
};

LanguageState& State()
{
    static LanguageState state;
    return state;
}

void LoadChinese(LanguageState& s)
{
    if (!s.own) {
        s.own = new QTranslator(QCoreApplication::instance());
        if (!s.own->load(QString::fromLatin1(kChineseCatalogue)))
            qWarning("ovix: the Chinese catalogue %s is missing", kChineseCatalogue);
    }
    if (!s.qt) {
        // Qt's own texts (standard buttons and dialogs), where the system has them.
        s.qt = new QTranslator(QCoreApplication::instance());
        s.qtLoaded = s.qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
}

} // namespace

void SetUiLanguage(UiLanguage language)
{
    LanguageState& s = State();
    if (language == s.current)
        return;
    if (language == UiLanguage::Chinese) {
        LoadChinese(s);
        // the one installed last is asked first: ours before Qt's
        if (s.qtLoaded)
            QCoreApplication::installTranslator(s.qt);
        QCoreApplication::installTranslator(s.own);
    } else {
        if (s.own)
            QCoreApplication::removeTranslator(s.own);
        if (s.qt)
            QCoreApplication::removeTranslator(s.qt);
    }
    s.current = language;
    // The application posts LanguageChange to every window; deliver them now, so the
    // caller (and the user) sees the new texts at once.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

UiLanguage CurrentUiLanguage() { return State().current; }

QString LanguageWord(UiLanguage language)
{
    return language == UiLanguage::Chinese ? QStringLiteral("Chinese") : QStringLiteral("English");
}

UiLanguage LanguageFromWord(const QString& word)
{
    return word == QStringLiteral("Chinese") ? UiLanguage::Chinese : UiLanguage::English;
}

QString MessageText(const UiMessage& message)
{
    const MessageSource source = SourceOf(message.id);
    QString text = QCoreApplication::translate(kMessageContext, source.text, source.disambiguation);
    for (const std::string& arg : message.args)
        text = text.arg(QString::fromStdString(arg));
    return text;
}

} // namespace ovix
