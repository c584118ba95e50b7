#pragma once
// A spinner bound to one numeric field (its buddy): the up and down arrows, and the
// buddy's Up and Down keys, step the buddy's code by one, or along the frequency grid for
// a frequency field. While an arrow is held the owner hears of the position at most once
// per notify period, and once more on release.

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ovix {

class NumEdit;

class NumSpin : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNotifyPeriodMs = 400;
    static constexpr int kRepeatDelayMs = 300;   // first auto-repeat of a held arrow
    static constexpr int kRepeatPeriodMs = 60;   // auto-repeat after that

    explicit NumSpin(QWidget* parent = nullptr);

    // The field this spinner drives; its Up and Down keys step the spinner from now on.
    void SetBuddy(NumEdit* buddy);
    NumEdit* Buddy() const { return m_buddy; }
    // Also the buddy's range (its code becomes min); remembers the buddy's kind.
    void SetRange(int min, int max);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    // The buddy's code (read from its text first when edited).
    int Pos();
    // Within the range the position and the buddy's code become p; otherwise a message
    // "<id>ID:Set Pos Error!" and nothing changes.
    void SetPos(int p);
    // A step made without the mouse (delta +1 up, -1 down): the owner is told at once.
    void Step(int delta);

    QSize sizeHint() const override { return {16, 24}; }

signals:
    // The position changed (throttled while an arrow is held).
    void changed(int pos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    // Timer handlers, kept apart so that a held arrow can be replayed without a clock.
    void OnRepeatTimer();
    void OnNotifyTimer();

private:
    bool StepBy(int delta);  // moves the position; true when it changed
    int StepTarget(int base, int delta) const;
    void Notify();
    int ArrowAt(const QPoint& pos) const;  // +1 upper half, -1 lower half

    QPointer<NumEdit> m_buddy;
    int m_pos = 0;
    int m_min = 0;
    int m_max = 100;
    int m_buddyKind = 0;
    int m_heldDelta = 0;  // the arrow held down, 0 when none
    int m_hoverArrow = 0;
    bool m_changed = false;  // moved since the owner was last told
    QTimer m_repeat;
    QTimer m_notify;
};

} // namespace ovix
