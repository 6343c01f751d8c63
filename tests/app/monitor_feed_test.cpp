// The monitor's lines reach the window at most about ten times a second, none
// lost and in order; a single message after a quiet interval shows at once;
// while the window is minimised they wait and come when it is shown again.
#include "app/monitor_feed.h"

#include <gtest/gtest.h>

#include <QTest>

namespace ostrel {
namespace {

TEST(MonitorFeed, GathersADenseStreamAndHandsItOnOncePerInterval) {
    std::vector<QStringList> handed;
    MonitorFeed feed([&](const QStringList& lines) { handed.push_back(lines); }, nullptr);
    feed.Add({"a\n"});
    ASSERT_EQ(handed.size(), 1u);  // after quiet: at once
    feed.Add({"b\n"});
    feed.Add({"c\n"});
    EXPECT_EQ(handed.size(), 1u);  // within the interval: gathered
    ASSERT_TRUE(QTest::qWaitFor([&] { return handed.size() == 2; }, 1000));
    EXPECT_EQ(handed[1], (QStringList{"b\n", "c\n"}));
}

TEST(MonitorFeed, WhileHeldLinesWaitAndComeAllAtOnceWhenReleased) {
    std::vector<QStringList> handed;
    MonitorFeed feed([&](const QStringList& lines) { handed.push_back(lines); }, nullptr);
    feed.Hold(true);
    feed.Add({"a\n"});
    feed.Add({"b\n"});
    QTest::qWait(3 * MonitorFeed::kIntervalMs);
    EXPECT_TRUE(handed.empty());
    feed.Hold(false);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0], (QStringList{"a\n", "b\n"}));
}

TEST(MonitorFeed, LinesHeldBackAtAnEmptyingFollowWhenTheStreamRests) {
    std::vector<MonitorTail::Handover> handed;
    MonitorFeed feed([&](const MonitorTail::Handover& lines) { handed.push_back(lines); }, nullptr,
                     [] { return 2; });
    feed.Add(QStringList(120, QString(99, u'x') + "\n"));  // the 103rd empties it: 17 kept
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return handed.size() == 2; }, 1000));
    EXPECT_EQ(handed[1].before.size(), 15);
}

}  // namespace
}  // namespace ostrel
