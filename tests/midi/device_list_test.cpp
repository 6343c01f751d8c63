#include "midi/device_list.h"

#include <gtest/gtest.h>

#include "core/short_message.h"

namespace ostrel {
namespace {

TEST(DeviceList, EntriesCarryTheirIndexWithTwoDigits) {
    EXPECT_EQ(DeviceListEntries({"Keyboard", "Synth:out 1", ""}),
              (std::vector<std::string>{"00:Keyboard", "01:Synth:out 1", "02:"}));
    EXPECT_EQ(DeviceListEntry(100, "x"), "100:x");
    EXPECT_TRUE(DeviceListEntries({}).empty());
}

TEST(DeviceList, DeviceIndicesTypedByTheUser) {
    int index = 7;
    EXPECT_TRUE(ParseDeviceIndex("0", index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(ParseDeviceIndex("-1", index));
    EXPECT_EQ(index, -1);
    EXPECT_TRUE(ParseDeviceIndex("12", index));
    EXPECT_EQ(index, 12);
    for (const char* bad : {"", "x", "1x", "-2", " 1", "99999999999"}) {
        EXPECT_FALSE(ParseDeviceIndex(bad, index)) << bad;
        EXPECT_EQ(index, 12);
    }
}

TEST(ShortMessage, LengthFollowsTheStatusByte) {
    for (int s = 0x80; s <= 0xBF; ++s) EXPECT_EQ(ShortMessageLength(s), 3) << s;
    for (int s = 0xC0; s <= 0xDF; ++s) EXPECT_EQ(ShortMessageLength(s), 2) << s;
    for (int s = 0xE0; s <= 0xEF; ++s) EXPECT_EQ(ShortMessageLength(s), 3) << s;
    EXPECT_EQ(ShortMessageLength(0xF2), 3);
    EXPECT_EQ(ShortMessageLength(0xF1), 2);
    EXPECT_EQ(ShortMessageLength(0xF3), 2);
    for (int s : {0xF6, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0xFF}) EXPECT_EQ(ShortMessageLength(s), 1);
    EXPECT_EQ(ShortMessageLength(0xF0), 0);  // System Exclusive never goes as a short message
    EXPECT_EQ(ShortMessageLength(0x40), 0);  // a data byte is no status
    const uint8_t bytes[] = {0xB0, 0x07, 0x64, 0x55};
    EXPECT_EQ(PackShort(bytes, 4), 0x6407B0u);  // at most three bytes
    EXPECT_EQ(PackShort(bytes, 1), 0xB0u);
}

}  // namespace
}  // namespace ostrel
