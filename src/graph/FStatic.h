#pragma once
// The response graph: a dB-over-log-frequency grid with the response curve of every output
// channel and, for the channel being edited, its filters as labelled handles the user
// drags to change frequency, gain, bandwidth and crossover frequencies. Curves, paths and
// handle geometry are recomputed when a filter or the size changes, never per paint.

#include "response/GraphGeometry.h"

#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <QPolygonF>
#include <QStaticText>
#include <QTimer>
#include <QWidget>

class QAction;
class QMenu;

#include <array>
#include <functional>

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

    // What the graph shows, in client pixels (for the view, accessibility and tests).
    QRect PlotRect() const { return m_plot; }
    // The handle of filter 0..32 of the selected channel; empty with no channel selected.
    QRect HandleRect(int filter) const;
    // A bandwidth handle of band 0..30 of the selected channel.
    QRect BandwidthHandleRect(int filter, bool right) const;
    // The filter under the mouse or being dragged, -1 for none.
    int CurrentFilter() const { return m_current; }
    // A drag changed a value and the notification has not gone out yet.
    bool NotifyPending() const { return m_bNotify; }
    // Every filter of the selected channel is bypassed: the "All Bypass" banner shows.
    bool BannerShown() const { return m_mode == kModeChannelEdit && m_allBypassed; }
    // The label text of the filter shown (empty for none).
    QString FilterLabel() const { return m_labelText; }

    // The context menu (right button, the Menu key or Shift+F10 on the graph): import and
    // export the selected channel's filters, save the graph as a PNG picture. The menu only
    // asks; the console does the work on the signals below.
    QAction& ImportFiltersAction() { return *m_importAction; }
    QAction& ExportFiltersAction() { return *m_exportAction; }
    QAction& SaveImageAction() { return *m_saveImageAction; }
    // Opens the menu with its top-left corner at pos (client pixels). Tests see the menu in
    // the hook instead of a popup.
    void ShowContextMenu(QPoint pos);
    std::function<void(QMenu&)> m_menuHook;

signals:
    void ImportFiltersRequested();
    void ExportFiltersRequested();
    void SaveImageRequested();

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
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What the mouse is on (or drags): the handle or one of the two bandwidth handles.
    enum class Part { None, Handle, LeftWidth, RightWidth };

    // Per filter of the selected channel, recomputed when the filter changes.
    struct HandleView {
        PixelRect handle;
        PixelRect label;
        BandwidthHandles widths;
        QPointF textPos;  // of its number inside the handle
    };

    void LayOut();
    void RetranslateMenu();
    // A transparent layer of the control's size at the screen's pixel density.
    QPixmap NewLayer() const;
    void RebuildBackground();
    void RebuildBanner();
    void RebuildHandleTexts();
    // Curves of every channel, every handle of the selected channel, the filter shown.
    void RebuildAll();
    void RebuildCurve(int channel);
    void RebuildCurveLayer();
    void RebuildHandle(int filter);
    void RebuildShown();
    void UpdateAllBypassed();
    // After a drag changed filter `filter`: its channel's sum, its handle, the fill, repaint.
    void FilterEdited(int filter);

    void OnMouseMove(QPoint pos);
    bool ApplyBandDrag(QPoint pos);
    bool ApplyWidthDrag(QPoint pos, bool right);
    bool ApplyCrossoverDrag(QPoint pos);
    bool ChannelInGraphicEq() const;
    void SetHover(bool hover);
    void OnNotifyTimer();
    int PlotW() const { return m_plot.width(); }
    int PlotH() const { return m_plot.height(); }

    CKTV_Data* m_root = nullptr;
    QAction* m_importAction = nullptr;  // children of the graph
    QAction* m_exportAction = nullptr;
    QAction* m_saveImageAction = nullptr;
    int m_channel = -1;
    int m_mode = kModeOverview;
    int m_filterToShow = -1;
    QTimer m_notifyTimer;

    // interaction
    int m_current = -1;
    Part m_hoverPart = Part::None;
    Part m_dragPart = Part::None;
    QPoint m_grabOffset;
    bool m_bHover = false;
    bool m_bChanged = false;
    bool m_bNotify = false;
    int m_lastFilter = 0;
    int m_selectionCode = 0;

    // drawing, rebuilt when data or size change; paintEvent only draws these
    QRect m_plot;
    QVector<QLine> m_gridLines;
    QPixmap m_background;  // frame, axis labels, the plot's background and frame
    QPixmap m_banner;
    QPoint m_bannerPos;
    bool m_allBypassed = false;
    std::array<QPolygonF, 6> m_curves;
    // Every curve but the selected channel's, drawn once into a transparent layer; the
    // selected curve (the one a drag changes) as its outline, filled on top at each paint.
    QPixmap m_curveLayer;
    QPainterPath m_selectedStroke;
    std::array<QColor, 6> m_colours;
    std::array<HandleView, 33> m_handles{};
    std::array<QStaticText, 33> m_handleTexts;
    QPolygon m_fill;
    QString m_labelText;
    QStaticText m_label;
    QPointF m_labelPos;
};

} // namespace ovix
