#include "midi/spsc_queue.h"

#include <gtest/gtest.h>

#include <thread>

namespace ostrel {
namespace {

TEST(SpscQueue, KeepsOrderAcrossTheWrapAndRefusesWhenFull) {
    SpscQueue<int> queue(3);
    int out = 0;
    EXPECT_FALSE(queue.TryPop(out));
    EXPECT_TRUE(queue.Empty());
    for (int round = 0; round < 5; ++round) {  // wraps the ring several times
        EXPECT_TRUE(queue.TryPush(round * 10 + 1));
        EXPECT_TRUE(queue.TryPush(round * 10 + 2));
        EXPECT_TRUE(queue.TryPush(round * 10 + 3));
        EXPECT_EQ(queue.NextFree(), nullptr);
        EXPECT_FALSE(queue.TryPush(99));  // full: refused, nothing overwritten
        for (int k = 1; k <= 3; ++k) {
            ASSERT_TRUE(queue.TryPop(out));
            EXPECT_EQ(out, round * 10 + k);
        }
        EXPECT_TRUE(queue.Empty());
    }
}

TEST(SpscQueue, SlotsFilledInPlaceBecomeVisibleOnlyWhenCommitted) {
    SpscQueue<int> queue(2);
    *queue.NextFree() = 7;
    EXPECT_EQ(queue.Front(), nullptr);
    queue.Commit();
    *queue.NextFree() = 8;
    queue.Commit();
    EXPECT_EQ(queue.NextFree(), nullptr);
    ASSERT_NE(queue.Front(), nullptr);
    EXPECT_EQ(*queue.Front(), 7);
    queue.PopFront();
    EXPECT_NE(queue.NextFree(), nullptr);  // the slot read is free again
    EXPECT_EQ(*queue.Front(), 8);
    queue.PopFront();
    // Staged records stay unseen until one Publish shows them all, in order.
    for (int v : {9, 10}) {
        *queue.NextFree() = v;
        queue.Stage();
    }
    EXPECT_EQ(queue.Front(), nullptr);
    queue.Publish();
    for (int v : {9, 10}) {
        ASSERT_NE(queue.Front(), nullptr);
        EXPECT_EQ(*queue.Front(), v);
        queue.PopFront();
    }
}

TEST(SpscQueue, TwoThreadsPassEveryValueInOrder) {
    constexpr int kCount = 200000;
    SpscQueue<int> queue(64);
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            while (!queue.TryPush(i)) std::this_thread::yield();
    });
    int expected = 0;
    int value = 0;
    while (expected < kCount) {
        if (queue.TryPop(value)) {
            ASSERT_EQ(value, expected);
            ++expected;
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace ostrel
