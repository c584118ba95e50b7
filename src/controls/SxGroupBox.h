#pragma once
// A group frame with its own colours (fill RGB(167,198,239) unless the owner says
// otherwise), caption and font.

#include "controls/LangText.h"

#include <QColor>
#include <QWidget>

namespace ovix {

class SxGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit SxGroupBox(QWidget* parent = nullptr);

    void SetTexts(const QString& en, const QString& zh);
    void SetColours(const QColor& fill, const QColor& edge, const QColor& text);
    void SetFontHeight(int pixels, bool bold = true);
    QColor Fill() const { return m_fill; }
    void ApplyLanguage() { update(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    LangText m_texts;
    QColor m_fill;
    QColor m_edge;
    QColor m_text;
};

} // namespace ovix
