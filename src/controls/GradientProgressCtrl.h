#pragma once
// A progress bar whose filled part is a gradient from a start to an end colour over a
// dark background RGB(73,72,72), with the percentage written across it when wanted.

#include <QColor>
#include <QProgressBar>

namespace ovix {

class GradientProgressCtrl : public QProgressBar {
    Q_OBJECT
public:
    explicit GradientProgressCtrl(QWidget* parent = nullptr);

    void SetColours(const QColor& start, const QColor& end);
    void SetBackColour(const QColor& back);
    void SetTextColour(const QColor& text);
    void SetShowPercent(bool show) { setTextVisible(show); }
    // The filled share, 0..1.
    double Fraction() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor m_start;
    QColor m_end;
    QColor m_back;
    QColor m_text;
};

} // namespace ovix
