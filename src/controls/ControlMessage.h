#pragma once
// The modal message box the controls use for their own complaints (a spinner's position
// out of range, a font that cannot be made). Tests and tools replace the box with a hook.

#include <QString>

#include <functional>

class QWidget;

namespace ovix {

using ControlMessageHook = std::function<void(QWidget* parent, const QString& text)>;

// Shows the text in a modal box over the parent, or hands it to the hook when one is set.
void ShowControlMessage(QWidget* parent, const QString& text);

// Installs a hook (an empty one restores the box); returns the previous hook.
ControlMessageHook SetControlMessageHook(ControlMessageHook hook);

} // namespace ovix
