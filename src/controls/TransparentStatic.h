#pragma once
// A caption without a background: the parent's painting shows through, and a new text
// first repaints the parent under the caption so that no old letters remain.

#include "controls/LangText.h"

#include <QLabel>

namespace ovix {

class TransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit TransparentStatic(QWidget* parent = nullptr);

    void SetTexts(const QString& en, const QString& zh);
    // A text that is the same in both languages (a number, a name).
    void SetText(const QString& text);
    void SetTextColour(const QColor& c);
    void ApplyLanguage();

private:
    void Show(const QString& text);

    LangText m_texts;
};

} // namespace ovix
