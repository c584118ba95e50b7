#include "controls/SN_Edit.h"

#include "controls/UiGlobals.h"

#include <QKeyEvent>

namespace ovix {

SN_Edit::SN_Edit(QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setFont(UiFont(15));
}

void SN_Edit::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut)) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

} // namespace ovix
