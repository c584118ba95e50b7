#include "controls/ControlMessage.h"

#include "controls/UiGlobals.h"

#include <QMessageBox>

#include <utility>

namespace ovix {

namespace {
ControlMessageHook& Hook()
{
    static ControlMessageHook hook;
    return hook;
}
} // namespace

void ShowControlMessage(QWidget* parent, const QString& text)
{
    if (const auto& hook = Hook()) {
        hook(parent, text);
        return;
    }
    QMessageBox::warning(parent, g_strAppTitle, text);
}

ControlMessageHook SetControlMessageHook(ControlMessageHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

} // namespace ovix
