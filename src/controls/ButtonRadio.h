#pragma once
// An ordinary radio button drawn without a background, so the panel behind shows through.

#include <QRadioButton>

namespace ovix {

class ButtonRadio : public QRadioButton {
    Q_OBJECT
public:
    explicit ButtonRadio(QWidget* parent = nullptr);

    // The caption as plain text: an ampersand ("Group&Front") is shown, not a mnemonic.
    void SetCaption(const QString& text);
    // Light text for the dark console (default); dark text for a dialog.
    void SetTextColour(const QColor& c);
};

} // namespace ovix
