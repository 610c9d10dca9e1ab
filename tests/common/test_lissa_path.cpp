// LissaPath: the curve tables, their single-precision angle, folding and the step rule.
#include "VEK_LissaPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<int> Walk(LissaPath& path, int steps)
{
    std::vector<int> positions{path.Position(0)};
    for (int i = 0; i < steps; ++i) {
        path.Step(0);
        positions.push_back(path.Position(0));
    }
    return positions;
}

// The angle of point i, accumulated in single precision as the table is.
double AngleOf(int index)
{
    float t = 0.0f;
    for (int i = 0; i < index; ++i) t = static_cast<float>(t + 6.28335972 / 512.0);
    return t;
}

TEST(LissaPath, CosineModeStartsAtItsAmplitudesAndReturnsAfterOneTurn)
{
    LissaPath path;
    path.Fill(10, 12, 0, 1);
    float x = 0, y = 0;
    path.CurrentPoint(0, x, y);
    EXPECT_FLOAT_EQ(x, 10.0f);
    EXPECT_FLOAT_EQ(y, 12.0f);
    path.PointAt(0, 512, x, y);
    EXPECT_NEAR(AngleOf(512), 6.2834, 1e-3);
    EXPECT_NEAR(x, 10.0f, 1e-4);
    EXPECT_NEAR(y, 12.0f, 1e-4);
}

TEST(LissaPath, ModesFollowTheirCurves)
{
    const int index = 100;
    const double t = AngleOf(index);
    const struct {
        int mode;
        double x, y;
    } cases[] = {
        {0, 2 * std::sin(t), 3 * std::sin(t)},     {1, 4 * std::cos(t), 5 * std::cos(t)},
        {2, 4 * std::sin(t), 5 * std::cos(t)},     {3, 4 * std::cos(t), 5 * std::sin(-t)},
        {4, 4 * std::cos(-t), 5 * std::sin(t)},
    };
    for (const auto& c : cases) {
        LissaPath path;
        path.Fill(4.0f, 5.0f, 0, c.mode);
        float x = 0, y = 0;
        path.PointAt(0, index, x, y);
        EXPECT_FLOAT_EQ(x, float(c.x)) << "mode " << c.mode;
        EXPECT_FLOAT_EQ(y, float(c.y)) << "mode " << c.mode;
    }
}

TEST(LissaPath, IntegerAndFloatAmplitudesFillAlike)
{
    LissaPath a, b;
    a.Fill(7, 3, 2, 2);
    b.Fill(7.0f, 3.0f, 2, 2);
    for (int i = 0; i < LissaPath::kPoints; ++i) {
        float ax, ay, bx, by;
        a.PointAt(2, i, ax, ay);
        b.PointAt(2, i, bx, by);
        ASSERT_EQ(ax, bx);
        ASSERT_EQ(ay, by);
    }
}

TEST(LissaPath, UnknownModeLeavesTheTableButResetsThePosition)
{
    LissaPath path;
    path.Fill(3, 3, 0, 2);
    path.SetSpeed(5);
    path.Step(0);
    float before[2], after[2];
    path.PointAt(0, 40, before[0], before[1]);
    path.Fill(9, 9, 0, 5);
    path.PointAt(0, 40, after[0], after[1]);
    EXPECT_EQ(before[0], after[0]);
    EXPECT_EQ(before[1], after[1]);
    EXPECT_EQ(path.Position(0), 0);
}

TEST(LissaPath, FoldMirrorsTheLeftHalfTurn)
{
    LissaPath plain, folded;
    folded.EnableFold();
    plain.Fill(10, 10, 0, 2);
    folded.Fill(10, 10, 0, 2);
    int mirrored = 0;
    for (int i = 0; i < LissaPath::kPoints; ++i) {
        float px, py, fx, fy;
        plain.PointAt(0, i, px, py);
        folded.PointAt(0, i, fx, fy);
        ASSERT_GE(fx, 0.0f) << i;
        if (px < 0.0f) {
            ++mirrored;
            ASSERT_EQ(fx, -px) << i;
            ASSERT_EQ(fy, -py) << i;
        } else {
            ASSERT_EQ(fx, px) << i;
            ASSERT_EQ(fy, py) << i;
        }
    }
    EXPECT_GT(mirrored, 400);
}

TEST(LissaPath, StepsRunToPosition1022AndRestartAtZero)
{
    LissaPath path;
    path.Fill(1, 1, 0, 1);
    path.SetSpeed(1);
    const std::vector<int> one = Walk(path, 1024);
    EXPECT_EQ(one[1022], 1022);
    EXPECT_EQ(one[1023], 0) << "1023 is never reached";
    EXPECT_EQ(one[1024], 1);

    path.Fill(1, 1, 0, 1);
    path.SetSpeed(26);
    const std::vector<int> big = Walk(path, 41);
    EXPECT_EQ(big[39], 1014);
    EXPECT_EQ(big[40], 0) << "restarts at 0 instead of wrapping by the overshoot";
    EXPECT_EQ(big[41], 26);
}

TEST(LissaPath, SpeedZeroKeepsThePoint)
{
    LissaPath path;
    path.Fill(5, 5, 0, 2);
    path.SetSpeed(0);
    for (int position : Walk(path, 10)) EXPECT_EQ(position, 0);
}

// Not used by the system, but must stay inside the table: the walk runs backwards.
TEST(LissaPath, NegativeSpeedsRunBackwardsInsideTheTable)
{
    LissaPath path;
    path.Fill(5, 5, 0, 2);
    path.SetSpeed(-300);
    const std::vector<int> positions = Walk(path, 6);
    EXPECT_EQ(positions, (std::vector<int>{0, 1022, 722, 422, 122, 1022, 722}));
    path.SetSpeed(-2147483647 - 1);
    path.Step(0);
    EXPECT_EQ(path.Position(0), 1022);
    path.SetSpeed(2147483647);
    path.Step(0);
    EXPECT_EQ(path.Position(0), 0);
}

TEST(LissaPath, ChannelsAreIndependentAndOutOfRangeChannelsAreIgnored)
{
    LissaPath path;
    path.Fill(1, 2, 0, 1);
    path.Fill(3, 4, 3, 1);
    path.Fill(9, 9, 4, 1);
    path.Fill(9, 9, -1, 1);
    path.SetSpeed(3);
    path.Step(3);
    path.Step(7);
    EXPECT_EQ(path.Position(0), 0);
    EXPECT_EQ(path.Position(3), 3);
    float x, y;
    path.PointAt(0, 0, x, y);
    EXPECT_EQ(x, 1.0f);
    path.CurrentPoint(4, x, y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
}

}  // namespace
