#include "midi/device_list.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

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

}  // namespace
}  // namespace ostrel
