// Cost of building the frames of the largest batch the console queues (a whole-device
// download) and of pushing frames through the send queue. Measured, not asserted.

#include "link/KTVCommand.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_DownloadAllBatch(benchmark::State& state)
{
    auto model = std::make_unique<ovix::ParameterModel>();
    ovix::ResetImage(model->image);
    ovix::LinkFlags flags;
    std::recursive_mutex lock;
    ovix::CommandHostState host;
    host.m_bConnected = true;
    ovix::CKTVCommand cmd(*model, flags, lock, host);
    for (auto _ : state) {
        cmd.DownloadAll();
        benchmark::DoNotOptimize(cmd.Count());
        cmd.Clear();
    }
}
BENCHMARK(BM_DownloadAllBatch);

void BM_QueueRoundTrip(benchmark::State& state)
{
    ovix::CSendDataQueue queue;
    for (auto _ : state) {
        queue.Enqueue(ovix::StatusPoll());
        auto head = queue.Head();
        queue.RemoveHeadIf(head.get());
    }
}
BENCHMARK(BM_QueueRoundTrip);

} // namespace

BENCHMARK_MAIN();
