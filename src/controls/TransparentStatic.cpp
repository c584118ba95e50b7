#include "controls/TransparentStatic.h"

#include "controls/Skin.h"

namespace ovix {

TransparentStatic::TransparentStatic(QWidget* parent)
    : QLabel(parent)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(UiFont(15));
    SetTextColour(Skin::Text());
}

void TransparentStatic::SetTexts(const QString& en, const QString& zh)
{
    m_texts = {en, zh};
    ApplyLanguage();
}

void TransparentStatic::SetText(const QString& text) { SetTexts(text, text); }

void TransparentStatic::SetTextColour(const QColor& c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c);
    setPalette(pal);
}

void TransparentStatic::ApplyLanguage() { Show(m_texts.Current()); }

void TransparentStatic::Show(const QString& text)
{
    if (text == this->text())
        return;
    if (QWidget* p = parentWidget())
        p->update(geometry());
    setText(text);
}

} // namespace ovix
