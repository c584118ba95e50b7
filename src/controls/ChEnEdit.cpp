#include "controls/ChEnEdit.h"

#include "controls/UiGlobals.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace ovix {

namespace {
bool IsDoubleByte(QChar c) { return c.unicode() >= 0x80; }
}

ChEnEdit::ChEnEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setFont(UiFont(15));
}

int ChEnEdit::ByteLength(const QString& text)
{
    int bytes = 0;
    for (QChar c : text)
        bytes += IsDoubleByte(c) ? 2 : 1;
    return bytes;
}

QString ChEnEdit::Admit(const QString& typed) const
{
    // The text the typed characters will follow: what stays once a selection is replaced.
    QString before = text();
    if (hasSelectedText())
        before.remove(selectionStart(), int(selectedText().size()));
    int bytes = ByteLength(before);
    QString out;
    for (QChar c : typed) {
        if (!c.isPrint())
            continue;  // a name is one line of text
        if (IsDoubleByte(c)) {
            if (!m_chinese)
                continue;
            if (bytes % 2 == 1) {
                out += u' ';
                ++bytes;
            }
        }
        out += c;
        bytes += IsDoubleByte(c) ? 2 : 1;
    }
    return out;
}

void ChEnEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text();
        if (!isReadOnly() && !pasted.isEmpty())
            insert(Admit(pasted));
        e->accept();
        return;
    }
    const QString typed = e->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (printable && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        bool anyDoubleByte = false;
        for (QChar c : typed)
            anyDoubleByte = anyDoubleByte || IsDoubleByte(c);
        if (anyDoubleByte) {
            if (!isReadOnly())
                insert(Admit(typed));
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void ChEnEdit::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty())
        e->setCommitString(Admit(e->commitString()), e->replacementStart(), e->replacementLength());
    QLineEdit::inputMethodEvent(e);
}

} // namespace ovix
