// Cost of the response graph on the window thread, at its console size (720 x 300): a full
// repaint (six curves, the selected channel again on top, 33 handle numbers, the filter
// fill and label), and one drag step of a band handle (one filter recomputed, the channel
// sum, the handle, then the repaint). Measured, not asserted. Runs on Qt's offscreen
// platform unless another one is asked for.

#include "graph/FStatic.h"

#include "model/KTV_Data.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace ovix;

constexpr int kGraphW = 720;
constexpr int kGraphH = 300;
constexpr int kDraggedBand = 17;  // 1000 Hz

// Six channels with something to show: boosts and cuts, shelves, crossovers.
void BusyRecords(CKTV_Data& records)
{
    for (int c = 0; c < kOutputChannels; ++c) {
        CKTV_OutData& out = records.Out(c);
        for (int b = 0; b < kOutputBands; ++b) {
            out.Band(b).SetGainCode(200 + ((b * 7 + c * 3) % 11 - 5) * 10);
            out.Band(b).SetBandwidthIndex(15 + (b * 13 + c) % 120);
        }
        out.Band(0).SetKind(kLowShelf);
        out.Band(30).SetKind(kHighShelf);
        out.HighPass().SetFrequency(40 + 20 * c, false);
        out.LowPass().SetFrequency(c < 4 ? 16000 : 120, false);
    }
}

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

struct Fixture {
    ParameterModel model;
    std::unique_ptr<CKTV_Data> records;
    CFStatic graph;
    QImage target{kGraphW, kGraphH, QImage::Format_ARGB32_Premultiplied};

    Fixture()
    {
        ResetImage(model.image);
        records = std::make_unique<CKTV_Data>(model);
        BusyRecords(*records);
        graph.resize(kGraphW, kGraphH);
        graph.show();
        graph.Attach(records.get());
        graph.SelectChannel(0);
        graph.Redraw(kDraggedBand);
    }
    void Render()
    {
        graph.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
};

void BM_GraphRepaint(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
        f.Render();
}
BENCHMARK(BM_GraphRepaint)->Unit(benchmark::kMicrosecond);

// The repaint with the "All Bypass" banner over the plot.
void BM_GraphRepaintAllBypass(benchmark::State& state)
{
    Fixture f;
    for (int i = 0; i < kOutputBands; ++i)
        f.records->Out(0).Band(i).SetGainCode(kBypassGainCode);
    f.graph.Redraw(-1);
    for (auto _ : state)
        f.Render();
}
BENCHMARK(BM_GraphRepaintAllBypass)->Unit(benchmark::kMicrosecond);

// A mouse move that drags a band handle between two heights (every step changes the gain
// and the frequency), then the repaint it asks for.
void BM_GraphDragStep(benchmark::State& state)
{
    Fixture f;
    const QRect handle = f.graph.HandleRect(kDraggedBand);
    const QPoint centre(handle.x() + handle.width() / 2, handle.y() + handle.height() / 2);
    Send(f.graph, QEvent::MouseMove, centre, Qt::NoButton, Qt::NoButton);
    Send(f.graph, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    const QPoint steps[2] = {centre + QPoint(12, -40), centre + QPoint(-12, 40)};
    int i = 0;
    for (auto _ : state) {
        Send(f.graph, QEvent::MouseMove, steps[i], Qt::NoButton, Qt::LeftButton);
        i ^= 1;
        f.Render();
    }
    Send(f.graph, QEvent::MouseButtonRelease, steps[i], Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_GraphDragStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
