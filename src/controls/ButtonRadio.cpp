#include "controls/ButtonRadio.h"

#include "controls/Skin.h"

namespace ovix {

ButtonRadio::ButtonRadio(QWidget* parent)
    : QRadioButton(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    setFont(UiFont(15));
    setCursor(Qt::PointingHandCursor);
    SetTextColour(Skin::Text());
}

void ButtonRadio::SetTexts(const QString& en, const QString& zh)
{
    m_texts = {en, zh};
    ApplyLanguage();
}

void ButtonRadio::SetTextColour(const QColor& c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::ButtonText, c);
    pal.setColor(QPalette::Window, Qt::transparent);
    setPalette(pal);
}

void ButtonRadio::ApplyLanguage()
{
    // The caption is plain text: an ampersand ("Group&Front") is shown, not a mnemonic.
    QString shown = m_texts.Current();
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    setText(shown);
}

} // namespace ovix
