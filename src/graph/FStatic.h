#pragma once
// The response graph: a dB-over-log-frequency grid with the response curve of every output
// channel and, for the channel being edited, its filters as labelled handles the user
// drags to change frequency, gain, bandwidth and crossover frequencies. Curves, paths and
// handle geometry are recomputed when a filter or the size changes, never per paint.

#include <QTimer>
#include <QWidget>

namespace ovix {

class CKTV_Data;

class CFStatic final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kModeOverview = 0;
    static constexpr int kModeChannelEdit = 4;
    static constexpr int kHighPassHandle = 31;
    static constexpr int kLowPassHandle = 32;

    explicit CFStatic(QWidget* parent = nullptr);
    ~CFStatic() override;

    // Remembers the records and lays everything out for the control's size; starts the
    // 50 ms notification timer.
    void Attach(CKTV_Data* root);
    // The channel to edit (0..5): channel-edit mode, no current filter, redrawn.
    void SelectChannel(int channel);
    int SelectedChannel() const { return m_channel; }
    int Mode() const { return m_mode; }
    void SetMode(int mode);
    // Repaints with the fill and label of filter `filterToShow` (0..30 a band, 31 the
    // high-pass, 32 the low-pass, -1 the current filter). Call after any edit of a filter
    // of the records made elsewhere (fields, editor) so curves and handles follow.
    void Redraw(int filterToShow = -1);

signals:
    // A drag changed a value: at most one every 50 ms. lastFilter is the handle's filter
    // index (0..32), selectionCode 768 + the selected channel.
    void FilterChanged(int lastFilter, int selectionCode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CKTV_Data* m_root = nullptr;
    int m_channel = -1;
    int m_mode = kModeOverview;
    int m_filterToShow = -1;
    QTimer m_notifyTimer;
};

} // namespace ovix
