// Connect-to-synced time against the simulated processor at 1 ms per report, printed beside
// the protocol's floor for the same exchanges: every report out and in at 1 ms plus the
// 10 ms pause after each exchange. Also the processor time the idle link (status polling)
// costs, per second and per poll. Measured, not asserted.

#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "simulator/SimBus.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <memory>

namespace {

using namespace ovix;
using namespace std::chrono_literals;

class QuietUi final : public NullConsoleUi {
public:
    explicit QuietUi(MessageQueue& q) : m_queue(q) {}
    void After(std::chrono::milliseconds d, std::function<void()> fn) override { m_queue.After(d, std::move(fn)); }

private:
    MessageQueue& m_queue;
};

// Times a thread of this process went to sleep: each is one wakeup later.
long Sleeps()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

int Reports(int bytes) { return (bytes + kReportData - 1) / kReportData; }

// Length of the processor's answer to a frame the console sends.
int ReplyLength(const std::vector<std::uint8_t>& f)
{
    if (f[4] == CMD_WRITE)
        return kFrameOverhead;  // an acknowledgement
    const int type = f[7], item = f[8];
    if (type != REC_SYSTEM)
        return RecordSize(type) + kFrameOverhead;
    switch (item) {
    case SYS_PROGRAM_NAME: case SYS_EFFECT_NAME: return 15 + kFrameOverhead;
    case SYS_SETTINGS: return 4 + kFrameOverhead;
    case SYS_STATUS: return 12 + kFrameOverhead;
    case SYS_VERSION: return 11 + kFrameOverhead;
    case SYS_DEVICE_INFO: return 24 + kFrameOverhead;
    case SYS_IDENT: return 7 + kFrameOverhead;
    case SYS_DELAY_MEMORY: return 50 + kFrameOverhead;
    default: return 1 + kFrameOverhead;
    }
}

struct Rig {
    Rig()
    {
        ResetImage(model->image);
        proc = &bus->Add({});  // 1 ms per report each way
        link = std::make_unique<CConsoleLink>(*model, flags, lock, bus, records, queue, ui);
        link->SetDisconnectPause(0ms);
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
    // Sleeps like the console's window thread, woken only by what the link posts (an idle
    // link posts nothing). PumpUntil would wake every 20 ms to test its condition, and
    // those wakeups would be counted as the link's.
    void Idle(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now())
            queue.Pump([this](const LinkEventMsg& m) { link->HandleEvent(m); },
                       std::chrono::ceil<std::chrono::milliseconds>(end - now));
    }

    std::unique_ptr<ParameterModel> model = std::make_unique<ParameterModel>();
    LinkFlags flags;
    std::recursive_mutex lock;
    MemoryDeviceRecords records;
    MessageQueue queue;
    QuietUi ui{queue};
    std::shared_ptr<sim::CSimBus> bus = std::make_shared<sim::CSimBus>();
    sim::CSimProcessor* proc = nullptr;
    std::unique_ptr<CConsoleLink> link;
};

void BM_ConnectToSynced(benchmark::State& state)
{
    double floorMs = 0;
    for (auto _ : state) {
        Rig rig;
        const auto start = std::chrono::steady_clock::now();
        rig.link->AutoConnect();
        const bool ok = rig.Pump([&] { return rig.link->Synced() && rig.link->DelayMemoryReturned(); }, 30s);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!ok) {
            state.SkipWithError("the simulated processor was not read");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());

        // the floor: the same frames, each report at 1 ms, one 10 ms pause per exchange
        floorMs = 0;
        for (const auto& f : rig.proc->ReceivedFrames()) {
            floorMs += Reports(int(f.size())) + Reports(ReplyLength(f)) + 10;
            if (f[4] == CMD_WRITE && f[7] == REC_SYSTEM && f[8] == SYS_DELAY_MEMORY)
                break;
        }
        state.counters["floor_ms"] = floorMs;
        state.counters["measured_ms"] = std::chrono::duration<double, std::milli>(elapsed).count();
        state.counters["ratio"] = std::chrono::duration<double, std::milli>(elapsed).count() / floorMs;
    }
}
BENCHMARK(BM_ConnectToSynced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IdleLinkCpu(benchmark::State& state)
{
    for (auto _ : state) {
        Rig rig;
        rig.link->AutoConnect();
        rig.Pump([&] { return rig.link->Synced() && rig.link->DelayMemoryReturned(); }, 30s);
        rig.Pump([&] { return rig.flags.busy == 0; }, 5s);
        const long polls0 = rig.link->Worker().Exchanges();
        const long sleeps0 = Sleeps();
        const std::clock_t cpu0 = std::clock();
        const auto wall0 = std::chrono::steady_clock::now();
        rig.Idle(3000ms);
        const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double polls = double(rig.link->Worker().Exchanges() - polls0);
        const double sleeps = double(Sleeps() - sleeps0);
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
        state.counters["polls_per_s"] = polls / wall;
        state.counters["cpu_us_per_poll"] = polls > 0 ? 1e6 * cpu / polls : 0;
        // the steady figure: what the processor time swings with is the cost of a wakeup
        state.counters["wakeups_per_poll"] = polls > 0 ? sleeps / polls : 0;
    }
}
// Repeated: the figure swings with what else the machine is doing.
BENCHMARK(BM_IdleLinkCpu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

BENCHMARK_MAIN();
