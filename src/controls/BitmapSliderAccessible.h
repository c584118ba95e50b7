#pragma once
// The fader as assistive technology sees it (screen readers, UI automation over AT-SPI):
// a slider whose value is the code the field beside it shows (for a gain fader 0..60, 60
// being 0 dB), with the field's text as its value text. Setting the value acts like the
// user releasing the thumb there.

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace ovix {

class BitmapSlider;

class BitmapSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit BitmapSliderAccessible(BitmapSlider* slider);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;

    // QAccessibleValueInterface
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    // Increase and decrease, one step of the value, besides the widget's own actions.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    BitmapSlider* Slider() const;
};

// Makes every BitmapSlider answer with a BitmapSliderAccessible; Qt owns the interfaces
// it creates. Installed once, by the first fader made.
void InstallBitmapSliderAccessibility();

} // namespace ovix
