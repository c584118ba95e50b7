#include "controls/NumEdit.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace ovix {

namespace {
bool IsSingleByte(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}
} // namespace

NumEdit::NumEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setFont(UiFont(15));
    // Only single-byte text can be typed: no input method composes characters here.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // A click notifies the owner before the field takes the focus, so the field takes it
    // itself (mousePressEvent) rather than letting a click focus it first.
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QLineEdit::textEdited, this, [this] { m_dirty = true; });
    ApplyColours();
    ReRender();
}

void NumEdit::SetKind(int kind, const QString& suffix)
{
    m_format.kind = kind;
    m_format.suffix = suffix;
    ReRender();
}

void NumEdit::SetScaleOffset(double scale, double offset)
{
    m_format.scale = scale;
    m_format.offset = offset;
    ReRender();
}

void NumEdit::SetRange(int min, int max)
{
    m_format.min = min;
    m_format.max = max;
    m_code = min;
    ReRender();
}

void NumEdit::SetCode(int code)
{
    if (code < m_format.min || code > m_format.max)
        return;
    m_code = code;
    ReRender();
}

int NumEdit::Code()
{
    Parse();
    return m_code;
}

void NumEdit::ReRender()
{
    setText(FormatCode(m_format, m_code));
    m_dirty = false;
}

void NumEdit::Parse()
{
    if (!m_dirty)
        return;
    m_code = ParseText(m_format, text());
    ReRender();
    emit edited(m_code);
    emit command();
}

void NumEdit::Enable(bool enabled)
{
    setEnabled(enabled);
    ApplyColours();
}

void NumEdit::SetFocusedLook(bool focused)
{
    m_focused = focused;
    ApplyColours();
}

void NumEdit::SetColoured(bool coloured)
{
    m_coloured = coloured;
    ApplyColours();
}

void NumEdit::SetNoFocus(bool noFocus)
{
    m_noFocus = noFocus;
    setFocusPolicy(noFocus ? Qt::NoFocus : Qt::TabFocus);
    if (noFocus && hasFocus())
        clearFocus();
}

void NumEdit::ApplyColours()
{
    if (!m_coloured) {
        setPalette(QPalette());
        return;
    }
    // With the focus: black on the field colour. Without: light text on nothing, so the
    // skin behind the field shows through.
    QPalette pal = palette();
    const QColor back = m_focused ? Skin::FieldFocusBack() : QColor(Qt::transparent);
    const QColor text = m_focused ? QColor(Qt::black) : Skin::FieldText();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Text, text);
    }
    pal.setColor(QPalette::Disabled, QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Disabled, QPalette::Text, Skin::TextDisabled());
    setPalette(pal);
}

void NumEdit::RepaintSurroundings()
{
    if (QWidget* p = parentWidget())
        p->update(geometry());
    if (m_linked)
        m_linked->update();
}

void NumEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (m_noFocus) {
        clearFocus();
        return;
    }
    m_focused = true;
    ApplyColours();
    if (m_linked)
        m_linked->update();
    if (!isReadOnly())
        selectAll();
}

void NumEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason)
        return;  // a context menu over the field: the user is still editing
    Parse();
    m_focused = false;
    ApplyColours();
    RepaintSurroundings();
}

void NumEdit::mousePressEvent(QMouseEvent* e)
{
    if (m_noFocus) {
        e->ignore();
        return;
    }
    if (e->button() == Qt::LeftButton) {
        emit clicked();
        emit command();
        if (!hasFocus()) {
            // The first click only takes the focus, which selects the whole text, ready
            // to be typed over.
            setFocus(Qt::MouseFocusReason);
            e->accept();
            return;
        }
    }
    QLineEdit::mousePressEvent(e);
}

void NumEdit::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (m_noFocus) {
        e->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    QLineEdit::mouseDoubleClickEvent(e);
}

void NumEdit::keyPressEvent(QKeyEvent* e)
{
    if (!e->text().isEmpty() && !IsSingleByte(e->text())) {
        e->accept();  // double-byte characters cannot be typed into a number
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void NumEdit::changeEvent(QEvent* e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        ReRender();
}

} // namespace ovix
