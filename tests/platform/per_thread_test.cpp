#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/per_thread.h"

namespace {

using smarttag::platform::PerThread;

std::atomic<int> alive{0};
std::atomic<int> corrupt{0};

// Notices being destroyed from memory that is no longer its own.
struct Counted {
    static constexpr unsigned kMark = 0x5AFEC0DEu;
    explicit Counted(int v) : value(v), cells(256, v) { ++alive; }
    ~Counted() {
        bool intact = mark == kMark && cells.size() == 256;
        for (int cell : cells) intact = intact && cell == value;
        if (!intact) ++corrupt;
        mark = 0;
        --alive;
    }
    unsigned mark = kMark;
    int value;
    std::vector<int> cells;
};

struct OtherSlot;

TEST(PerThreadTest, EachThreadHasItsOwnObjectAndResetReplacesIt) {
    using Slot = PerThread<Counted>;
    const int before = alive;
    EXPECT_EQ(Slot::Get(), nullptr);
    Slot::Reset(std::make_unique<Counted>(1));
    ASSERT_NE(Slot::Get(), nullptr);
    EXPECT_EQ(Slot::Get()->value, 1);
    EXPECT_EQ((PerThread<Counted, OtherSlot>::Get()), nullptr);  // a tag is a slot of its own

    std::thread([] { EXPECT_EQ(Slot::Get(), nullptr); }).join();

    Slot::Reset(std::make_unique<Counted>(2));
    EXPECT_EQ(alive, before + 1);
    EXPECT_EQ(Slot::Get()->value, 2);
    Slot::Reset();
    EXPECT_EQ(Slot::Get(), nullptr);
    EXPECT_EQ(alive, before);
}

// Threads that end while others are still working delete their own objects,
// intact, once each. (thread_local objects with destructors fail this under
// MinGW: the destructors read storage already handed on to another thread.)
TEST(PerThreadTest, ObjectsAreDeletedIntactWhenTheirThreadsEnd) {
    using Slot = PerThread<Counted>;
    const int before = alive;
    corrupt = 0;
    for (int round = 0; round < 20; ++round) {
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t)
            threads.emplace_back([t] {
                Slot::Reset(std::make_unique<Counted>(t));
                // Work that allocates, and so overwrites what was freed,
                // while the other threads come and go.
                std::vector<std::vector<int>> churn;
                for (int i = 0; i < 50 * (t + 1); ++i) churn.emplace_back(64, -1);
                EXPECT_EQ(Slot::Get()->value, t);
            });
        for (std::thread& thread : threads) thread.join();
    }
    EXPECT_EQ(alive, before);
    EXPECT_EQ(corrupt, 0);
}

}  // namespace
