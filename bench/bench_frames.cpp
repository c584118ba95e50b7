// Cost of building the frames of the largest batch the console queues (a whole-device
// download) and of pushing frames through the send queue. Measured, not asserted.

#include "link/KTVCommand.h"
#include "model/KTV_Data.h"

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

// What the link worker pays on every idle exchange: look through every record for a
// changed group, find none, build a status poll.
void BM_NextPendingFrameNothingDirty(benchmark::State& state)
{
    auto model = std::make_unique<ovix::ParameterModel>();
    ovix::ResetImage(model->image);
    ovix::LinkFlags flags;
    std::recursive_mutex lock;
    ovix::CommandHostState host;
    ovix::CKTVCommand cmd(*model, flags, lock, host);
    ovix::CKTV_Data records(*model);
    cmd.SetRecordPort(&records);
    for (auto _ : state)
        benchmark::DoNotOptimize(cmd.NextPendingFrame());
}
BENCHMARK(BM_NextPendingFrameNothingDirty);

// The graph's layout of all six output channels through the records: every filter
// recomputed and every curve rebuilt.
void BM_LayoutAllChannels(benchmark::State& state)
{
    auto model = std::make_unique<ovix::ParameterModel>();
    ovix::ResetImage(model->image);
    ovix::CKTV_Data records(*model);
    int width = 720;
    for (auto _ : state) {
        records.Layout(width, 300);
        width ^= 1;  // a different size each time
    }
}
BENCHMARK(BM_LayoutAllChannels)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
