#pragma once
// A caption without a background: the parent's painting shows through, and a new text
// first repaints the parent under the caption so that no old letters remain.

#include <QLabel>

namespace ovix {

class TransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit TransparentStatic(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetTextColour(const QColor& c);
};

} // namespace ovix
