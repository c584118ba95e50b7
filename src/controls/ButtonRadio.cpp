#include "controls/ButtonRadio.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

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

void ButtonRadio::SetCaption(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    setText(shown);
}

void ButtonRadio::SetTextColour(const QColor& c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::ButtonText, c);
    pal.setColor(QPalette::Window, Qt::transparent);
    setPalette(pal);
}

} // namespace ovix
