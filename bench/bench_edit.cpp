// Edit-to-wire latency: from a gain edit on the window side (CConsoleEdits::SetGain) to the
// moment the first report of its level-block frame has arrived at the simulated processor
// (1 ms per report each way, as bench_link). The worker pulls a changed group only when its
// queue is empty and writes it in the exchange after the one that pulled it, so an edit
// waits for at most the exchange in progress, one pause, the pull, one pause.
//
// Two cases: the edit lands at a random moment of the idle link's polling rhythm, and the
// edit lands while a status poll is in flight (written, its answer not yet read).
// Measured, not asserted.

#include "document/ConsoleEdits.h"
#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "simulator/SimBus.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace ovix;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kEditedChannel = 2;

class QuietUi final : public NullConsoleUi {
public:
    explicit QuietUi(MessageQueue& q) : m_queue(q) {}
    void After(std::chrono::milliseconds d, std::function<void()> fn) override { m_queue.After(d, std::move(fn)); }

private:
    MessageQueue& m_queue;
};

// What the timing device has seen, shared with the window side.
struct WireWatch {
    // arrival of the first report of the edited channel's level block (0: not yet)
    std::atomic<Clock::rep> levelArrived{0};
    // a status poll has been written and its answer not yet read
    std::atomic<bool> pollInFlight{false};
};

bool StartsFrame(const Report& r)
{
    return r[1] == kSyncByte && r[2] == kSyncByte && r[3] == kSyncByte && r[4] == kStartByte;
}

// The simulated processor's device with a stopwatch on its reports.
class TimingDevice final : public IHidDevice {
public:
    TimingDevice(std::unique_ptr<IHidDevice> inner, WireWatch& watch) : m_inner(std::move(inner)), m_watch(watch) {}
    HidIo Write(const Report& report, int timeoutMs) override
    {
        // frame bytes 4.. sit at report bytes 5..: command, address, program, type, index, block
        const bool first = StartsFrame(report);
        const bool poll = first && report[5] == CMD_READ && report[8] == REC_SYSTEM && report[9] == SYS_STATUS;
        const bool level = first && report[5] == CMD_WRITE && report[8] == REC_OUTPUT &&
                           report[9] == kEditedChannel && report[10] == OutputBlock::kLevelItem;
        if (poll)
            m_watch.pollInFlight = true;
        const HidIo io = m_inner->Write(report, timeoutMs);
        if (level) {
            Clock::rep none = 0;
            m_watch.levelArrived.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
        }
        return io;
    }
    HidIo Read(Report& report, int timeoutMs) override
    {
        const HidIo io = m_inner->Read(report, timeoutMs);
        if (io == HidIo::Ok)
            m_watch.pollInFlight = false;  // every answer here fits one report
        return io;
    }

private:
    std::unique_ptr<IHidDevice> m_inner;
    WireWatch& m_watch;
};

class TimingBus final : public IHidBackend {
public:
    explicit TimingBus(WireWatch& watch) : m_watch(watch) { m_bus->Add({}); }
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t v, std::uint16_t p) override { return m_bus->Enumerate(v, p); }
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override
    {
        auto inner = m_bus->Open(path, error);
        return inner ? std::make_unique<TimingDevice>(std::move(inner), m_watch) : nullptr;
    }
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) override { return m_bus->Watch(std::move(fn)); }

private:
    WireWatch& m_watch;
    std::shared_ptr<sim::CSimBus> m_bus = std::make_shared<sim::CSimBus>();
};

struct Rig {
    Rig()
    {
        ResetImage(model->image);
        link = std::make_unique<CConsoleLink>(*model, flags, lock, std::make_shared<TimingBus>(watch), records,
                                              queue, ui);
        link->SetDisconnectPause(0ms);
        data = std::make_unique<CKTV_Data>(*model);
        link->Command().SetRecordPort(data.get());
        edits = std::make_unique<CConsoleEdits>(*model, *data, link->Command(), *link, lock);
    }
    ~Rig()
    {
        queue.Shutdown();
        link.reset();
    }
    bool Pump(const std::function<bool()>& pred, std::chrono::milliseconds t)
    {
        return queue.PumpUntil([this](const LinkEventMsg& m) { link->HandleEvent(m); }, pred, t);
    }
    bool ConnectAndSettle()
    {
        link->AutoConnect();
        return Pump([&] { return link->Synced() && link->DelayMemoryReturned(); }, 30s) &&
               Pump([&] { return flags.busy == 0; }, 5s);
    }
    // One gain edit; the time until its frame's first report reached the processor.
    std::chrono::duration<double, std::milli> EditToWire(int code)
    {
        watch.levelArrived = 0;
        const auto start = Clock::now();
        edits->SetGain(kEditedChannel, code);
        while (watch.levelArrived == 0)
            std::this_thread::sleep_for(100us);
        return Clock::time_point(Clock::duration(watch.levelArrived.load())) - start;
    }

    WireWatch watch;
    std::unique_ptr<ParameterModel> model = std::make_unique<ParameterModel>();
    LinkFlags flags;
    std::recursive_mutex lock;
    MemoryDeviceRecords records;
    MessageQueue queue;
    QuietUi ui{queue};
    std::unique_ptr<CConsoleLink> link;
    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<CConsoleEdits> edits;
};

void Report(benchmark::State& state, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    state.counters["mean_ms"] = sum / double(ms.size());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["min_ms"] = ms.front();
    state.counters["max_ms"] = ms.back();
    // two exchanges: what an edit waits when it lands while the worker is pausing
    const auto within = std::count_if(ms.begin(), ms.end(), [](double v) { return v <= 25.0; });
    state.counters["share_within_25ms"] = double(within) / double(ms.size());
}

// The edit lands at a random point of the idle link's rhythm (poll, pause, pull, pause).
void BM_EditToWireIdle(benchmark::State& state)
{
    Rig rig;
    if (!rig.ConnectAndSettle()) {
        state.SkipWithError("the simulated processor was not read");
        return;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> phaseUs(0, 30000);
    std::vector<double> ms;
    int code = 40;
    for (auto _ : state) {
        rig.Pump([] { return false; }, std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::microseconds(phaseUs(random)));
        const auto t = rig.EditToWire(code);
        code = code == 40 ? 41 : 40;
        state.SetIterationTime(std::chrono::duration<double>(t).count());
        ms.push_back(t.count());
    }
    Report(state, std::move(ms));
}
BENCHMARK(BM_EditToWireIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// The edit lands while a status poll waits for its answer.
void BM_EditToWirePollInFlight(benchmark::State& state)
{
    Rig rig;
    if (!rig.ConnectAndSettle()) {
        state.SkipWithError("the simulated processor was not read");
        return;
    }
    std::vector<double> ms;
    int code = 40;
    for (auto _ : state) {
        rig.Pump([] { return false; }, std::chrono::milliseconds(5));
        while (!rig.watch.pollInFlight)
            std::this_thread::yield();
        const auto t = rig.EditToWire(code);
        code = code == 40 ? 41 : 40;
        state.SetIterationTime(std::chrono::duration<double>(t).count());
        ms.push_back(t.count());
    }
    Report(state, std::move(ms));
}
BENCHMARK(BM_EditToWirePollInFlight)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

BENCHMARK_MAIN();
