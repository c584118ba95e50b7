#pragma once
// A painted fader. It keeps an internal position that runs from the top (or left) end
// downwards; its value is max - position, so a vertical fader has its maximum at the
// top. Notices carry the internal position: moving while the thumb is dragged (at most
// every 50 ms) and when the fader gets the focus, moved when the drag ends or after a key
// or a wheel step. Assistive technology reads and sets the value through Qt's
// accessibility value interface (controls/BitmapSliderAccessible.h).

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ovix {

class NumEdit;

class BitmapSlider : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMovingPeriodMs = 50;

    explicit BitmapSlider(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);

    void SetRange(int min, int max);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    // The position becomes max - v, limited to [min, max].
    void SetValue(int v);
    int Value() const { return m_max - m_pos; }
    // The range of the value: max - max .. max - min.
    int ValueMin() const { return 0; }
    int ValueMax() const { return m_max - m_min; }
    // The value as the linked field shows it ("-10dB", "OFF"), or the bare number.
    QString ValueText() const;
    // The value set as if the user had released the thumb there: the position is set and
    // the moved notice sent. A disabled fader ignores it.
    void SetValueByUser(int v);
    // The internal position, as the notices carry it.
    int Pos() const { return m_pos; }
    void SetPos(int pos);
    void SetPageSize(int page) { m_page = page; }
    // Room left free at the ends and sides of the track.
    void SetMargins(int left, int top, int right, int bottom);
    void Enable(bool enabled);
    // A field whose focus lights the thumb like the fader's own.
    void SetLinkedField(NumEdit* field);
    Qt::Orientation Orientation() const { return m_orientation; }
    bool IsDragging() const { return m_dragging; }

    // Where the thumb is drawn for the current position.
    QRect ThumbRect() const;
    QSize sizeHint() const override;

signals:
    void moving(int pos);
    void moved(int pos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

    // The moving timer's tick: tells the owner when the thumb moved since the last tick.
    void OnMovingTimer();

private:
    // Thumb centre range along the axis, in pixels.
    double CentreLow() const;
    double CentreHigh() const;
    double CentreOf(int pos) const;
    int PosAt(double centre) const;
    double Along(const QPointF& p) const;
    void MoveTo(int pos);  // sets the position from a drag; raises the moved flag
    void PositionChanged();  // redraws and tells assistive technology

    Qt::Orientation m_orientation;
    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
    int m_page = 20;
    int m_marginLeft = 4;
    int m_marginTop = 4;
    int m_marginRight = 4;
    int m_marginBottom = 4;
    bool m_dragging = false;
    bool m_moved = false;
    double m_dragOffset = 0.0;
    int m_wheelRest = 0;  // wheel delta short of a whole notch
    QTimer m_movingTimer;
    QPointer<NumEdit> m_linked;
};

} // namespace ovix
