// A value published while the MIDI thread stalls in a cycle: the cycle reads
// the value it took, unchanged and not freed, until it ends; publishing never
// waits for it; the next cycle takes the last value published.
#include "midi/read_copy_cell.h"

#include <gtest/gtest.h>

#include <memory>

namespace ostrel {
namespace {

struct Counted {
    int value;
    int* alive;
    Counted(int v, int* a) : value(v), alive(a) { ++*alive; }
    ~Counted() { --*alive; }
};

TEST(ReadCopyCell, AStalledCycleKeepsItsValueUntilItEndsAndTheNextTakesTheLast) {
    int alive = 0;
    ReadCopyCell<Counted> cell(std::make_unique<Counted>(1, &alive));
    const Counted& stalled = cell.Enter();
    cell.Publish(std::make_unique<Counted>(2, &alive));
    cell.Publish(std::make_unique<Counted>(3, &alive));
    EXPECT_EQ(stalled.value, 1);
    EXPECT_EQ(alive, 3) << "set aside while a cycle that began before may read them";
    EXPECT_EQ(cell.Latest().value, 3);
    cell.Leave();
    cell.Reclaim();
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(cell.Enter().value, 3);
    cell.Leave();

    // A graph gone with its MIDI thread inside a cycle: nothing waits for it.
    cell.Enter();
    cell.Publish(std::make_unique<Counted>(4, &alive));
    cell.ForgetCycles();
    cell.Reclaim();
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(cell.SetAside(), 0u);
}

}  // namespace
}  // namespace ostrel
