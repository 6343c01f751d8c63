// The engine goes straight to the control that sent a message instead of trying
// the controls in order; that is only the same thing while no message is sent by
// two controls. These tests hold the table to that.
#include "core/control_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrel {
namespace {

std::vector<uint8_t> Window(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> m(kPatternWindow, 0);
    std::copy(bytes.begin(), bytes.end(), m.begin());
    return m;
}

// Tries every step in order, as the controls are listed.
int FirstInOrder(const uint8_t* m, int* matches) {
    int first = kNoStep;
    *matches = 0;
    for (int i = 0; i < static_cast<int>(kControlSteps.size()); ++i) {
        if (Recognises(kControlSteps[i], m)) {
            ++*matches;
            if (first == kNoStep) first = i;
        }
    }
    return first;
}

TEST(ControlStepsTest, EveryShortMessageHasAtMostOneControlAndIsFoundDirectly) {
    for (int status = 0x80; status <= 0xFF; ++status) {
        for (int data1 = 0; data1 < 256; ++data1) {
            for (const int data2 : {0x00, 0x01, 0x40, 0x7F, 0x80, 0xFF}) {
                const auto m = Window({static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                                       static_cast<uint8_t>(data2)});
                int matches = 0;
                const int expected = FirstInOrder(m.data(), &matches);
                ASSERT_LE(matches, 1) << status << " " << data1 << " " << data2;
                ASSERT_EQ(FindControlStep(m.data()), expected)
                    << status << " " << data1 << " " << data2;
            }
        }
    }
}

TEST(ControlStepsTest, SystemExclusiveControlsAreFoundDirectly) {
    const std::vector<std::vector<uint8_t>> messages = {
        Window({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x10, 0xF7}),
        Window({0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7}),
        Window({0xF0, 0x7F, 0x00, 0x06, 0x07, 0xF7}),
        Window({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}),
        Window({0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}),
        Window({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}),
        Window({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}),
    };
    const Entry expected[] = {Entry::VOLM, Entry::REC,  Entry::REC,
                              Entry::GMON, Entry::XGON, Entry::GSON};
    for (size_t k = 0; k < messages.size(); ++k) {
        int matches = 0;
        const int first = FirstInOrder(messages[k].data(), &matches);
        EXPECT_LE(matches, 1);
        const uint8_t found = FindControlStep(messages[k].data());
        EXPECT_EQ(found, first);
        if (k < std::size(expected)) {
            ASSERT_NE(found, kNoStep);
            EXPECT_EQ(kControlSteps[found].entry, expected[k]);
        } else {
            EXPECT_EQ(found, kNoStep);  // the bulk dump
        }
    }
}

TEST(ControlStepsTest, StepsFollowTheTableOrderOfTheirEntries) {
    // Stage 1 tries the controls in the order of the table's entries (CHANEL is
    // not a control, FF shares the song position step with REW).
    int previous = -1;
    for (const ControlStep& step : kControlSteps) {
        const int index = static_cast<int>(step.entry);
        EXPECT_GT(index, previous) << EntryName(step.entry);
        previous = index;
    }
    EXPECT_EQ(kControlSteps.front().entry, Entry::KNOB01);
    EXPECT_EQ(kControlSteps.back().entry, Entry::ACTIVE);
}

}  // namespace
}  // namespace ostrel
