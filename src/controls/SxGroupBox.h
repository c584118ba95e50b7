#pragma once
// A group frame with its own colours (fill RGB(167,198,239) unless the owner says
// otherwise), caption and font.

#include <QColor>
#include <QString>
#include <QWidget>

namespace ovix {

class SxGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit SxGroupBox(QWidget* parent = nullptr);

    void SetCaption(const QString& text);
    QString Caption() const { return m_caption; }
    void SetColours(const QColor& fill, const QColor& edge, const QColor& text);
    void SetFontHeight(int pixels, bool bold = true);
    QColor Fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString m_caption;
    QColor m_fill;
    QColor m_edge;
    QColor m_text;
};

} // namespace ovix
