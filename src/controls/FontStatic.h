#pragma once
// A caption in "Arial" of a height the owner chooses (weight 400), in the owner's text
// and background colours; an invalid background colour leaves the background transparent.

#include <QLabel>

namespace ovix {

class FontStatic : public QLabel {
    Q_OBJECT
public:
    explicit FontStatic(QWidget* parent = nullptr);

    // The font's pixel height; a height no font can have is refused with a message.
    bool SetFontHeight(int pixels);
    void SetColours(const QColor& text, const QColor& background = QColor());
};

} // namespace ovix
