#include "graph/FStatic.h"

#include "controls/UiGlobals.h"
#include "model/KTV_Data.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace ovix {

namespace {

constexpr int kFilters = kOutputBands + 2;  // 31 bands, the high-pass, the low-pass
constexpr int kSelectionBase = 768;
constexpr int kNotifyIntervalMs = 50;
constexpr qreal kCurveWidth = 2.0;

const QColor kFrameGrey(100, 100, 100);
const QColor kGridGrey(127, 127, 131);
const QColor kShownFill(68, 86, 98);
const QColor kBannerOutline(94, 104, 116, 32);
const QColor kBannerFill(155, 155, 155);

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QString HandleText(int filter)
{
    if (filter == CFStatic::kHighPassHandle)
        return QStringLiteral("H");
    if (filter == CFStatic::kLowPassHandle)
        return QStringLiteral("L");
    return QString::number(filter + 1);
}

// Effective gain of a band as the graph places it: 0 dB while bypassed.
double ShownGain(const CFilter& f) { return f.EffectivelyBypassed() ? 0.0 : f.GainDb(); }

} // namespace

CFStatic::CFStatic(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(tr("Response graph"));
    setMouseTracking(true);
    // in the Tab chain, so the context menu can be reached from the keyboard
    setFocusPolicy(Qt::StrongFocus);
    m_notifyTimer.setInterval(kNotifyIntervalMs);
    connect(&m_notifyTimer, &QTimer::timeout, this, &CFStatic::OnNotifyTimer);
    m_importAction = new QAction(this);
    m_exportAction = new QAction(this);
    m_saveImageAction = new QAction(this);
    connect(m_importAction, &QAction::triggered, this, &CFStatic::ImportFiltersRequested);
    connect(m_exportAction, &QAction::triggered, this, &CFStatic::ExportFiltersRequested);
    connect(m_saveImageAction, &QAction::triggered, this, &CFStatic::SaveImageRequested);
    RetranslateMenu();
    RebuildHandleTexts();
}

void CFStatic::RetranslateMenu()
{
    m_importAction->setText(tr("Import filters..."));
    m_exportAction->setText(tr("Export filters..."));
    m_saveImageAction->setText(tr("Save graph as image..."));
}

void CFStatic::ShowContextMenu(QPoint pos)
{
    // filters belong to the selected channel; the picture is always there
    const bool channel = m_root && m_channel >= 0;
    m_importAction->setEnabled(channel);
    m_exportAction->setEnabled(channel);
    QMenu menu(this);
    menu.addAction(m_importAction);
    menu.addAction(m_exportAction);
    menu.addSeparator();
    menu.addAction(m_saveImageAction);
    if (m_menuHook) {
        m_menuHook(menu);
        return;
    }
    menu.exec(mapToGlobal(pos));
}

void CFStatic::contextMenuEvent(QContextMenuEvent* event)
{
    // from the keyboard the menu opens at the plot's top-left corner, else at the pointer
    ShowContextMenu(event->reason() == QContextMenuEvent::Keyboard ? m_plot.topLeft() + QPoint(8, 8)
                                                                   : event->pos());
    event->accept();
}

void CFStatic::keyPressEvent(QKeyEvent* event)
{
    // the Menu key and Shift+F10, as the usual keyboard ways to a context menu
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        ShowContextMenu(m_plot.topLeft() + QPoint(8, 8));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

CFStatic::~CFStatic() = default;

void CFStatic::Attach(CKTV_Data* root)
{
    m_root = root;
    for (int c = 0; c < kOutputChannels; ++c) {
        const Rgb rgb = m_root->Out(c).CurveColour();
        m_colours[std::size_t(c)] = QColor(rgb.r, rgb.g, rgb.b, 255);
    }
    LayOut();
    m_notifyTimer.start();
}

void CFStatic::SelectChannel(int channel)
{
    m_channel = channel;
    m_selectionCode = kSelectionBase + channel;
    m_current = -1;
    m_hoverPart = m_dragPart = Part::None;
    SetHover(false);
    const bool modeChanged = m_mode != kModeChannelEdit;
    m_mode = kModeChannelEdit;
    if (modeChanged)
        RebuildBackground();
    RebuildAll();
}

void CFStatic::SetMode(int mode)
{
    m_mode = mode;
    RebuildBackground();
    RebuildAll();
}

void CFStatic::Redraw(int filterToShow)
{
    m_filterToShow = filterToShow;
    RebuildAll();
}

QRect CFStatic::HandleRect(int filter) const
{
    if (!m_root || m_channel < 0 || filter < 0 || filter >= kFilters)
        return {};
    return ToQRect(m_handles[std::size_t(filter)].handle);
}

QRect CFStatic::BandwidthHandleRect(int filter, bool right) const
{
    if (!m_root || m_channel < 0 || filter < 0 || filter >= kOutputBands)
        return {};
    const BandwidthHandles& w = m_handles[std::size_t(filter)].widths;
    return ToQRect(right ? w.right : w.left);
}

// ---- layout and the cached drawing ---------------------------------------------------

void CFStatic::LayOut()
{
    m_plot = rect().adjusted(kPlotLeft, kPlotTop, -10, -20);
    const int W = PlotW();
    const int H = PlotH();
    m_gridLines.clear();
    const auto gridX = GridLineX(W);
    const int top = m_plot.top();
    const int bottom = top + H;
    // the 20 Hz line is the plot's left edge
    for (int i = 1; i < kGridLines; ++i)
        m_gridLines.append(QLine(gridX[std::size_t(i)], top, gridX[std::size_t(i)], bottom));
    for (int i = 1; i <= 8; ++i) {
        const int y = top + int(H / 8.0 * i);
        m_gridLines.append(QLine(m_plot.left(), y, m_plot.left() + W, y));
    }
    if (m_root && W > 0 && H > 0)
        m_root->Layout(W, H);
    RebuildBackground();
    RebuildBanner();
    RebuildAll();
}

QPixmap CFStatic::NewLayer() const
{
    // drawn at the screen's pixel density, so the layers stay sharp on high-density screens
    const qreal dpr = devicePixelRatioF();
    QPixmap pm(size() * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void CFStatic::RebuildBackground()
{
    QPixmap pm = NewLayer();
    if (!size().isEmpty()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(kFrameGrey);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        p.setRenderHint(QPainter::Antialiasing, false);

        // axis labels: their top-left corners
        const int W = PlotW();
        const int H = PlotH();
        const int eighth = H / 8;
        auto label = [&p](int x, int y, const char* text) {
            p.drawText(QRect(x, y, 1000, 1000), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromLatin1(text));
        };
        p.setPen(kFrameGrey);
        label(6, 5, "+10");
        label(6, eighth * 2 + 3, "+5");
        label(6, eighth * 4 + 3, "0dB");
        label(6, eighth * 6 + 3, "-5");
        label(6, H, "-10");
        const int textTop = kPlotTop + H + 3;
        label(30, textTop, "20");
        struct AxisLabel {
            int hz;
            int back;
            const char* text;
        };
        static constexpr AxisLabel axis[] = {
            {50, 8, "50"},      {100, 10, "100"}, {200, 10, "200"}, {500, 10, "500"},
            {1000, 8, "1K"},    {2000, 8, "2K"},  {5000, 8, "5K"},  {10000, 10, "10K"},
            {20000, 15, "20K"},
        };
        for (const AxisLabel& a : axis)
            label(XFromFreq(a.hz, W) - a.back, textTop, a.text);

        p.fillRect(m_plot, Qt::black);
        if (m_mode == kModeOverview) {
            p.setPen(QPen(QColor(255, 0, 0), 10));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(m_plot.left(), m_plot.top(), W, H));
        } else {
            p.setPen(QPen(kGridGrey, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(m_plot.adjusted(0, 0, -1, -1));
        }
    }
    m_background = pm;
}

void CFStatic::RebuildBanner()
{
    const QString text = tr("All Bypass");
    const QFont font = UiFont(48);
    QPainterPath path;
    path.addText(0, QFontMetricsF(font).ascent(), font, text);
    const qreal margin = 4;  // half the widest outline pass
    const QRectF bounds = path.boundingRect().adjusted(-margin, -margin, margin, margin);
    const qreal dpr = devicePixelRatioF();
    QPixmap pm((bounds.size() * dpr).toSize() + QSize(1, 1));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-bounds.topLeft());
        // a soft halo: seven faint outlines, widest last, then the solid text
        for (int w = 1; w <= 7; ++w) {
            p.strokePath(path, QPen(kBannerOutline, w, Qt::SolidLine, Qt::RoundCap,
                                    Qt::RoundJoin));
        }
        p.fillPath(path, kBannerFill);
    }
    m_banner = pm;
    // centred horizontally on the plot, its top a third of the way down
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    const QPointF origin(m_plot.left() + PlotW() / 2.0 - width / 2.0,
                         m_plot.top() + PlotH() / 3.0);
    m_bannerPos = (origin + bounds.topLeft()).toPoint();
}

void CFStatic::RebuildHandleTexts()
{
    for (int i = 0; i < kFilters; ++i) {
        QStaticText& t = m_handleTexts[std::size_t(i)];
        t.setText(HandleText(i));
        t.setTextFormat(Qt::PlainText);
        t.prepare(QTransform(), font());
    }
}

void CFStatic::RebuildAll()
{
    if (m_root) {
        for (int c = 0; c < kOutputChannels; ++c) {
            m_root->Out(c).RefreshCurve();
            RebuildCurve(c);
        }
        RebuildCurveLayer();
        if (m_channel >= 0) {
            for (int i = 0; i < kFilters; ++i)
                RebuildHandle(i);
        }
        UpdateAllBypassed();
    }
    RebuildShown();
    update();
}

void CFStatic::RebuildCurve(int channel)
{
    const ChannelCurveF& points = m_root->Out(channel).Eq().CurveF();
    QPolygonF& poly = m_curves[std::size_t(channel)];
    poly.resize(kGridPoints);
    for (int i = 0; i < kGridPoints; ++i)
        poly[i] = QPointF(points[std::size_t(i)].x, points[std::size_t(i)].y);
    if (channel == m_channel) {
        QPainterPath line;
        line.addPolygon(poly);
        QPainterPathStroker stroker(QPen(Qt::black, kCurveWidth));
        m_selectedStroke = stroker.createStroke(line);
    }
}

void CFStatic::RebuildCurveLayer()
{
    QPixmap pm = NewLayer();
    if (!size().isEmpty()) {
        QPainter p(&pm);
        p.setClipRect(m_plot);
        p.setRenderHint(QPainter::Antialiasing);
        const bool edit = m_mode == kModeChannelEdit && m_channel >= 0;
        for (int c = 0; c < kOutputChannels; ++c) {
            if (edit && c == m_channel)
                continue;
            p.setPen(QPen(m_colours[std::size_t(c)], kCurveWidth));
            p.drawPolyline(m_curves[std::size_t(c)]);
        }
    }
    m_curveLayer = pm;
}

void CFStatic::RebuildHandle(int filter)
{
    const int W = PlotW();
    const int H = PlotH();
    const CFilter& f = m_root->Out(m_channel).Eq()[filter];
    HandleView& v = m_handles[std::size_t(filter)];
    if (f.IsEqBand()) {
        const double gain = ShownGain(f);
        v.handle = BandHandleRect(f.Freq(), f.GainDb(), f.EffectivelyBypassed(), filter, W, H);
        v.label = BandLabelRect(v.handle, f.Kind() == kPeaking, W, H);
        v.widths = f.Kind() == kPeaking
                       ? BandwidthHandleRects(v.handle, f.Freq(), f.Bandwidth(), gain, W)
                       : BandwidthHandles{};
    } else {
        const bool highPass = filter == kHighPassHandle;
        v.handle = CrossoverHandleRect(highPass, f.Freq(), W, H);
        v.label = CrossoverLabelRect(v.handle, highPass, W);
        v.widths = {};
    }
    const QSizeF text = m_handleTexts[std::size_t(filter)].size();
    qreal x = v.handle.left;
    switch (HandleLabelAlign(v.handle, f.Freq(), W)) {
    case HandleTextAlign::Left: break;
    case HandleTextAlign::Right: x = v.handle.right - text.width(); break;
    case HandleTextAlign::Centre: x = v.handle.left + (v.handle.Width() - text.width()) / 2; break;
    }
    v.textPos = QPointF(x, v.handle.top + (v.handle.Height() - text.height()) / 2);
}

void CFStatic::RebuildShown()
{
    m_fill.clear();
    m_labelText.clear();
    const int shown = m_filterToShow >= 0 ? m_filterToShow : m_current;
    if (!m_root || m_mode != kModeChannelEdit || m_channel < 0 || shown < 0 || shown >= kFilters)
        return;
    const CKTV_OutData& out = m_root->Out(m_channel);
    const CFilter& f = out.Eq()[shown];
    const FilterCurve& curve = f.Curve();
    m_fill.resize(kFilterCurvePoints);
    for (int i = 0; i < kFilterCurvePoints; ++i)
        m_fill[i] = QPoint(curve[std::size_t(i)].x, curve[std::size_t(i)].y);

    FilterLabelInput in;
    in.kind = f.Kind();
    in.freq = f.Freq();
    in.gainDb = f.GainDb();
    in.bypassed = f.EffectivelyBypassed();
    in.bandwidthIndex = f.BandwidthIndex();
    in.slope = f.Slope();
    in.graphicEq = out.GeqMode() != 0;
    m_labelText = QString::fromStdString(FilterLabelText(in));
    m_label.setText(m_labelText);
    m_label.setTextFormat(Qt::PlainText);
    m_label.prepare(QTransform(), font());
    const QRect box = ToQRect(m_handles[std::size_t(shown)].label);
    const QSizeF size = m_label.size();
    m_labelPos = QPointF(box.left() + (box.width() - size.width()) / 2,
                         box.top() + (box.height() - size.height()) / 2);
}

void CFStatic::UpdateAllBypassed()
{
    m_allBypassed = false;
    if (!m_root || m_channel < 0)
        return;
    const CKTVEQ& eq = m_root->Out(m_channel).Eq();
    bool all = true;
    for (int i = 0; i < eq.Count() && all; ++i)
        all = eq[i].EffectivelyBypassed();
    m_allBypassed = all;
}

void CFStatic::FilterEdited(int filter)
{
    CKTV_OutData& out = m_root->Out(m_channel);
    out.RefreshCurve();
    RebuildCurve(m_channel);
    RebuildHandle(filter);
    UpdateAllBypassed();
    RebuildShown();
    update();
}

// ---- painting ----------------------------------------------------------------------

void CFStatic::paintEvent(QPaintEvent*)
{
    if (m_background.devicePixelRatio() != devicePixelRatioF()) {
        // moved to a screen of another scale: the layers are redrawn once for it
        RebuildBackground();
        RebuildBanner();
        RebuildCurveLayer();
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
    if (!m_root)
        return;
    const bool edit = m_mode == kModeChannelEdit && m_channel >= 0;

    p.setClipRect(m_plot);
    if (edit && !m_fill.isEmpty()) {
        p.setPen(kShownFill);
        p.setBrush(kShownFill);
        p.drawPolygon(m_fill);
    }
    p.setPen(QPen(kGridGrey, 1));
    p.drawLines(m_gridLines);

    p.drawPixmap(0, 0, m_curveLayer);
    if (!edit)
        return;
    // the channel being edited on top of the others
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(m_selectedStroke, m_colours[std::size_t(m_channel)]);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipping(false);

    if (m_allBypassed)
        p.drawPixmap(m_bannerPos, m_banner);

    p.setPen(Qt::white);
    for (int i = kFilters - 1; i >= 0; --i)
        p.drawStaticText(m_handles[std::size_t(i)].textPos, m_handleTexts[std::size_t(i)]);

    if (m_current >= 0 && m_current < kOutputBands && !ChannelInGraphicEq() &&
        m_root->Out(m_channel).Eq()[m_current].Kind() == kPeaking) {
        const BandwidthHandles& w = m_handles[std::size_t(m_current)].widths;
        p.setPen(m_colours[std::size_t(m_channel)]);
        p.setBrush(kShownFill);
        p.drawRect(ToQRect(w.left).adjusted(0, 0, -1, -1));
        p.drawRect(ToQRect(w.right).adjusted(0, 0, -1, -1));
    }

    if (!m_labelText.isEmpty()) {
        p.setPen(Qt::white);
        p.drawStaticText(m_labelPos, m_label);
    }
}

void CFStatic::resizeEvent(QResizeEvent*) { LayOut(); }

void CFStatic::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::LanguageChange:
        setAccessibleName(tr("Response graph"));
        RetranslateMenu();
        RebuildBanner();
        update();
        break;
    case QEvent::FontChange:
        RebuildHandleTexts();
        RebuildBackground();
        RebuildAll();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

// ---- mouse ---------------------------------------------------------------------------

bool CFStatic::ChannelInGraphicEq() const
{
    return m_root && m_channel >= 0 && m_root->Out(m_channel).GeqMode() != 0;
}

void CFStatic::SetHover(bool hover)
{
    if (hover == m_bHover)
        return;
    m_bHover = hover;
    setCursor(hover ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void CFStatic::mouseMoveEvent(QMouseEvent* event) { OnMouseMove(event->position().toPoint()); }

void CFStatic::OnMouseMove(QPoint pos)
{
    if (!m_root || m_mode != kModeChannelEdit || m_channel < 0)
        return;
    CKTVEQ& eq = m_root->Out(m_channel).Eq();
    bool onTarget = false;
    bool changed = false;
    if (m_current >= 0) {
        const CFilter& f = eq[m_current];
        const HandleView& v = m_handles[std::size_t(m_current)];
        const bool inHandle = v.handle.Contains(pos.x(), pos.y());
        if (!f.IsEqBand()) {
            if (m_dragPart == Part::Handle) {
                changed = ApplyCrossoverDrag(pos);
                onTarget = true;
            } else if (inHandle) {
                m_hoverPart = Part::Handle;
                onTarget = true;
            } else {
                m_current = -1;
                m_hoverPart = Part::None;
                if (m_filterToShow < 0) {
                    RebuildShown();
                    update();
                }
            }
        } else if (m_dragPart == Part::Handle) {
            changed = ApplyBandDrag(pos);
            onTarget = true;
        } else if (inHandle) {
            m_hoverPart = Part::Handle;
            onTarget = true;
        } else if (!ChannelInGraphicEq() && f.Kind() == kPeaking) {
            if (m_dragPart == Part::LeftWidth || m_dragPart == Part::RightWidth) {
                changed = ApplyWidthDrag(pos, m_dragPart == Part::RightWidth);
                onTarget = true;
            } else if (v.widths.left.Contains(pos.x(), pos.y())) {
                m_hoverPart = Part::LeftWidth;
                onTarget = true;
            } else if (v.widths.right.Contains(pos.x(), pos.y())) {
                m_hoverPart = Part::RightWidth;
                onTarget = true;
            }
        }
    }
    if (!onTarget) {
        m_hoverPart = Part::None;
        for (int i = 0; i < kFilters; ++i) {
            if (m_handles[std::size_t(i)].handle.Contains(pos.x(), pos.y())) {
                m_current = i;
                m_hoverPart = Part::Handle;
                m_lastFilter = i;
                onTarget = true;
                RebuildShown();
                update();
                break;
            }
        }
    }
    if (changed) {
        m_bChanged = true;
        m_bNotify = true;
        m_lastFilter = m_current;
        FilterEdited(m_current);
    }
    SetHover(onTarget);
}

void CFStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    if (!m_root || m_mode != kModeChannelEdit || m_channel < 0 || !m_bHover || m_current < 0)
        return;
    const QPoint pos = event->position().toPoint();
    const HandleView& v = m_handles[std::size_t(m_current)];
    switch (m_hoverPart) {
    case Part::Handle:
        m_dragPart = Part::Handle;
        m_grabOffset = pos - QPoint(v.handle.CentreX(), v.handle.CentreY());
        break;
    case Part::LeftWidth:
    case Part::RightWidth:
        if (m_root->Out(m_channel).Eq()[m_current].Kind() == kPeaking)
            m_dragPart = m_hoverPart;
        break;
    case Part::None:
        break;
    }
}

void CFStatic::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragPart = Part::None;
    m_hoverPart = Part::None;
    SetHover(false);
}

// ---- drags: each returns whether it changed a value ----------------------------------

bool CFStatic::ApplyBandDrag(QPoint pos)
{
    CFilter& f = m_root->Out(m_channel).Eq()[m_current];
    const QPoint centre = pos - m_grabOffset;
    const BandDragValues v =
        BandDrag(centre.x(), centre.y(), f.Freq(), ChannelInGraphicEq(), PlotW(), PlotH());
    const int freq = LimitShelfFrequency(f.Kind(), v.freq);
    const int code = BandGainCode(v.gainDb);  // 0 dB is the bypass code
    if (freq == f.Freq() && code == f.DeviceGainCode())
        return false;
    // as from the editor: marks the band and lets a large rise glide on the processor
    f.SetFrequency(freq, true);
    f.SetGainCode(code);
    return true;
}

bool CFStatic::ApplyWidthDrag(QPoint pos, bool right)
{
    CFilter& f = m_root->Out(m_channel).Eq()[m_current];
    const int index = BandwidthIndexFromDrag(pos.x(), f.Freq(), right, PlotW());
    if (index == f.BandwidthIndex())
        return false;
    f.SetBandwidthIndex(index);
    return true;
}

bool CFStatic::ApplyCrossoverDrag(QPoint pos)
{
    CKTVEQ& eq = m_root->Out(m_channel).Eq();
    CFilter& f = eq[m_current];
    const int centreX = pos.x() - m_grabOffset.x();
    const int freq = CrossoverDragFrequency(centreX, m_current == kHighPassHandle, m_channel,
                                            eq.HighPass().Freq(), eq.LowPass().Freq(), PlotW());
    if (freq == f.Freq())
        return false;
    f.SetFrequency(freq, true);
    return true;
}

void CFStatic::OnNotifyTimer()
{
    if (!m_bNotify)
        return;
    m_bNotify = false;
    emit FilterChanged(m_lastFilter, m_selectionCode);
}

} // namespace ovix
