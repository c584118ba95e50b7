#include "controls/TransparentStatic.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

namespace ovix {

TransparentStatic::TransparentStatic(QWidget* parent)
    : QLabel(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(UiFont(15));
    SetTextColour(Skin::Text());
}


void TransparentStatic::SetTextColour(const QColor& c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c);
    setPalette(pal);
}

void TransparentStatic::SetText(const QString& text)
{
    if (text == this->text())
        return;
    if (QWidget* p = parentWidget())
        p->update(geometry());
    setText(text);
}

} // namespace ovix
