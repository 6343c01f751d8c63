// The mapping of values 0..127 through the velocity and touch curves.
#include "curves/current_curve.h"

#include <gtest/gtest.h>

#include <climits>

namespace ostrel {
namespace {

// Area 256 x 256, first point (64, 128), second point (192, 32).
constexpr CurvePoints kWorkedExample{64, 128, 192, 32, 256, 256};

TEST(MapValueTest, WorkedExampleValueByValue) {
    const int inputs[] = {10, 32, 50, 63, 100, 120, 126, 127};
    const int outputs[] = {20, 63, 77, 87, 113, 123, 126, 127};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(MapValue(kWorkedExample, inputs[i]), outputs[i]) << i;
    EXPECT_EQ(MapValue(kWorkedExample, 0), 0);
}

TEST(MapValueTest, CurrentCurvesMapThroughTheirOwnKind) {
    CurrentCurves curves;
    curves.Of(CurveKind::Velocity).SetAll(kWorkedExample);
    EXPECT_EQ(curves.MapValue(CurveKind::Velocity, 50), 77);
    EXPECT_EQ(curves.MapValue(CurveKind::Touch, 50), 50);
    curves.Reset();
    EXPECT_EQ(curves.MapValue(CurveKind::Velocity, 50), 50);
}

TEST(MapValueTest, TheCurveInForceMapsEveryValueAsItsPointsSayAfterEachChange) {
    CurrentCurve curve;
    for (int v = 0; v <= 127; ++v) EXPECT_EQ(curve.Map(v), v) << v;  // before any change
    const CurvePoints changes[] = {
        kWorkedExample, {10, 200, 240, 20, 256, 256}, {0, 0, 0, 0, 99, 7}};
    for (const CurvePoints& c : changes) {
        curve.SetAll(c);
        for (int v = 0; v <= 127; ++v) EXPECT_EQ(curve.Map(v), MapValue(c, v)) << v;
    }
    curve.SetArea(256, 256);
    curve.SetPoints(64, 128, 192, 32);  // points dragged in an area that stays
    for (int v = 0; v <= 127; ++v) EXPECT_EQ(curve.Map(v), MapValue(kWorkedExample, v)) << v;
    EXPECT_EQ(curve.Map(-5), 0);
    EXPECT_EQ(curve.Map(200), 127);
}

TEST(MapValueTest, BeforeTheAreaIsKnownEveryValueMapsToItself) {
    // W = H = 0: whatever points were chosen, the scaled coordinates are 0.
    for (const CurvePoints& c : {CurvePoints{}, CurvePoints{64, 128, 192, 32, 0, 0}}) {
        for (int v = 0; v <= 127; ++v) EXPECT_EQ(MapValue(c, v), v) << v;
    }
}

TEST(MapValueTest, DefaultCurveIsTheIdentity) {
    CurrentCurve curve;
    curve.SetArea(256, 256);
    curve.SetDefault();
    EXPECT_EQ(curve.Load(), (CurvePoints{128, 128, 128, 128, 256, 256}));
    for (int v = 0; v <= 127; ++v) EXPECT_EQ(MapValue(curve.Load(), v), v) << v;

    // An odd area still gives the identity for the values the dialog shows.
    curve.SetArea(301, 177);
    curve.SetDefault();
    for (int v = 10; v <= 120; v += 10) EXPECT_EQ(MapValue(curve.Load(), v), v) << v;
    EXPECT_EQ(MapValue(curve.Load(), 127), 127);

    CurrentCurve unknownArea;
    unknownArea.SetDefault();
    EXPECT_EQ(unknownArea.Load(), CurvePoints{});
}

TEST(MapValueTest, PointsOnTheTopEdgeMapEverythingButZeroTo127) {
    const CurvePoints c{0, 0, 0, 0, 256, 256};
    EXPECT_EQ(MapValue(c, 0), 0);
    for (int v = 1; v <= 127; ++v) EXPECT_EQ(MapValue(c, v), 127) << v;
}

TEST(MapValueTest, SecondPointOnTheRightEdge) {
    // X2 = 127: 126 goes through the middle segment (flat at Y = 63 here), and
    // the last segment, which would divide by 127 - X2 = 0, is never reached.
    const CurvePoints c{64, 128, 256, 128, 256, 256};
    EXPECT_EQ(MapValue(c, 126), 63);
    EXPECT_EQ(MapValue(c, 100), 63);
    EXPECT_EQ(MapValue(c, 127), 127);
    EXPECT_EQ(MapValue(c, 0), 0);
}

TEST(MapValueTest, PointsInTheWrongOrderStayInRange) {
    const CurvePoints c{200, 20, 40, 230, 256, 256};
    for (int v = 0; v <= 127; ++v) {
        const int r = MapValue(c, v);
        EXPECT_GE(r, 0);
        EXPECT_LE(r, 127);
    }
    EXPECT_EQ(MapValue(c, 127), 127);
}

// A hand-edited settings file can hold anything; the mapping must still give
// 0..127 without overflow or division by zero.
TEST(MapValueTest, AbsurdCoordinatesStayInRange) {
    const int32_t extremes[] = {INT_MIN, INT_MIN + 1, -1000000, -257, -1,      0,
                                1,       127,         128,      256,  1000000, INT_MAX};
    const int32_t areas[] = {INT_MIN, -256, -1, 0, 1, 3, 256, INT_MAX};
    long checked = 0;
    for (const int32_t a : extremes) {
        for (const int32_t b : extremes) {
            for (const int32_t area : areas) {
                const CurvePoints shapes[] = {
                    {a, b, a, b, area, area},
                    {a, b, b, a, area, area / -2},
                    {a, a, b, b, 256, area},
                    {b, a, INT_MAX, INT_MIN, area, 256},
                };
                for (const CurvePoints& c : shapes) {
                    EXPECT_EQ(MapValue(c, 0), 0);
                    EXPECT_EQ(MapValue(c, 127), 127);
                    for (int v = 1; v < 127; v += 5) {
                        const int r = MapValue(c, v);
                        ASSERT_TRUE(r >= 0 && r <= 127) << a << " " << b << " " << area;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 0);
    // Far outside the area the formula still holds exactly: X1 = 4960937 and
    // Y1 = 248173, so f = Y1 / X1 * v stays below 1 for 10 and is 5.0 for 100.
    const CurvePoints far{10000000, -500000, 0, 0, 256, 256};
    EXPECT_EQ(MapValue(far, 10), 0);
    EXPECT_EQ(MapValue(far, 100), 5);
    EXPECT_EQ(MapValue(far, 126), 6);
    // Bytes above 127 are not MIDI data; they still map into range.
    EXPECT_EQ(MapValue(kWorkedExample, 200), 127);
    EXPECT_EQ(MapValue(kWorkedExample, -5), 0);
}

}  // namespace
}  // namespace ostrel
