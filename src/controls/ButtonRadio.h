#pragma once
// An ordinary radio button drawn without a background, so the panel behind shows through.

#include "controls/LangText.h"

#include <QRadioButton>

namespace ovix {

class ButtonRadio : public QRadioButton {
    Q_OBJECT
public:
    explicit ButtonRadio(QWidget* parent = nullptr);

    void SetTexts(const QString& en, const QString& zh);
    // Light text for the dark console (default); dark text for a dialog.
    void SetTextColour(const QColor& c);
    void ApplyLanguage();

private:
    LangText m_texts;
};

} // namespace ovix
