#include "controls/FontStatic.h"

#include "controls/ControlMessage.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"

namespace ovix {

FontStatic::FontStatic(QWidget* parent)
    : QLabel(parent)
{
    setFont(UiFont(15));
    SetColours(Skin::Text());
}

bool FontStatic::SetFontHeight(int pixels)
{
    if (pixels <= 0 || pixels > 1000) {
        ShowControlMessage(this, tr("Font could not be created!"));
        return false;
    }
    setFont(UiFont(pixels));
    return true;
}

void FontStatic::SetColours(const QColor& text, const QColor& background)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, text);
    const bool filled = background.isValid() && background.alpha() > 0;
    if (filled)
        pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(filled);
}

} // namespace ovix
