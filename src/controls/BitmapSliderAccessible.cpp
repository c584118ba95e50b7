#include "controls/BitmapSliderAccessible.h"

#include "controls/BitmapSlider.h"

#include <QKeySequence>

namespace ovix {

namespace {

QAccessibleInterface* MakeFaderInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String(BitmapSlider::staticMetaObject.className()))
        return nullptr;
    auto* slider = qobject_cast<BitmapSlider*>(object);
    // Qt's accessibility cache takes ownership of the interface.
    return slider ? new BitmapSliderAccessible(slider) : nullptr;
}

} // namespace

BitmapSliderAccessible::BitmapSliderAccessible(BitmapSlider* slider)
    : QAccessibleWidget(slider, QAccessible::Slider)
{
}

BitmapSlider* BitmapSliderAccessible::Slider() const { return static_cast<BitmapSlider*>(widget()); }

void* BitmapSliderAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString BitmapSliderAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return Slider()->ValueText();
    return QAccessibleWidget::text(t);
}

QVariant BitmapSliderAccessible::currentValue() const { return Slider()->Value(); }

void BitmapSliderAccessible::setCurrentValue(const QVariant& value)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (ok)
        Slider()->SetValueByUser(v);
}

QVariant BitmapSliderAccessible::maximumValue() const { return Slider()->ValueMax(); }
QVariant BitmapSliderAccessible::minimumValue() const { return Slider()->ValueMin(); }
QVariant BitmapSliderAccessible::minimumStepSize() const { return 1; }

QStringList BitmapSliderAccessible::actionNames() const
{
    return QAccessibleWidget::actionNames() << increaseAction() << decreaseAction();
}

void BitmapSliderAccessible::doAction(const QString& actionName)
{
    if (actionName == increaseAction())
        Slider()->SetValueByUser(Slider()->Value() + 1);
    else if (actionName == decreaseAction())
        Slider()->SetValueByUser(Slider()->Value() - 1);
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList BitmapSliderAccessible::keyBindingsForAction(const QString& actionName) const
{
    // A vertical fader rises with Up, a horizontal one with Left (the value runs against
    // the internal position).
    const bool vertical = Slider()->Orientation() == Qt::Vertical;
    if (actionName == increaseAction())
        return {QKeySequence(vertical ? Qt::Key_Up : Qt::Key_Left).toString()};
    if (actionName == decreaseAction())
        return {QKeySequence(vertical ? Qt::Key_Down : Qt::Key_Right).toString()};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

void InstallBitmapSliderAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&MakeFaderInterface);
        return true;
    }();
    (void)installed;
}

} // namespace ovix
