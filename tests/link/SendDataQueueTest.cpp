#include "link/CommandBuilder.h"
#include "link/SendDataQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace ovix;

namespace {

FramePtr Numbered(int n)
{
    FramePtr f = StatusPoll();
    f->SetSeq(n);
    return f;
}

} // namespace

TEST(SendDataQueue, FirstInFirstOut)
{
    CSendDataQueue q;
    EXPECT_EQ(q.Head(), nullptr);
    for (int i = 1; i <= 3; ++i)
        q.Enqueue(Numbered(i));
    EXPECT_EQ(q.Count(), 3);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(q.Head());
        EXPECT_EQ(q.Head()->Seq(), i);
        q.RemoveHead();
    }
    EXPECT_EQ(q.Count(), 0);
    q.RemoveHead();  // on an empty queue: nothing happens
    EXPECT_EQ(q.Count(), 0);
}

TEST(SendDataQueue, ClearKeepsAFrameInFlightAliveAndItsReplyRemovesNothingNew)
{
    CSendDataQueue q;
    q.Enqueue(Numbered(1));
    FramePtr inFlight = q.Head();
    q.Clear();
    q.Enqueue(Numbered(2));
    EXPECT_EQ(inFlight->Seq(), 1) << "the worker's frame outlives the clear";
    EXPECT_FALSE(q.RemoveHeadIf(inFlight.get())) << "a late reply must not remove the new head";
    EXPECT_EQ(q.Count(), 1);
    EXPECT_TRUE(q.RemoveHeadIf(q.Head().get()));
    EXPECT_EQ(q.Count(), 0);
}

// One producer, one consumer and a clearing window thread at once; ThreadSanitizer
// watches this one.
TEST(SendDataQueue, ProducerConsumerAndClearerInterleave)
{
    CSendDataQueue q;
    constexpr int kFrames = 5000;
    std::atomic<bool> producing{true};
    std::atomic<int> consumed{0};

    std::thread consumer([&] {
        int lastSeq = 0;
        while (producing || q.Count() > 0) {
            FramePtr head = q.Head();
            if (!head) {
                std::this_thread::yield();
                continue;
            }
            Report r;
            while (head->NextReport(r)) {
            }
            EXPECT_GT(head->Seq(), lastSeq) << "order is kept";
            lastSeq = head->Seq();
            if (q.RemoveHeadIf(head.get()))
                ++consumed;
        }
    });
    std::thread clearer([&] {
        for (int i = 0; i < 50; ++i) {
            q.Clear();
            std::this_thread::yield();
        }
    });
    for (int i = 1; i <= kFrames; ++i)
        q.Enqueue(Numbered(i));
    clearer.join();
    producing = false;
    consumer.join();
    EXPECT_EQ(q.Count(), 0);
    EXPECT_LE(consumed.load(), kFrames);
}
