// The numbers our programs read from their command lines.
#include "VEK_CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, WholeNumbersAreDigitsWithinTheirRange)
{
    const struct {
        const char* text;
        bool taken;
        long value;
    } cases[] = {
        {"0", true, 0},      {"250", true, 250},   {"1000", true, 1000}, {"1001", false, 0},
        {"", false, 0},      {"-1", false, 0},     {"+5", false, 0},     {" 5", false, 0},
        {"5 ", false, 0},    {"1e3", false, 0},    {"12.5", false, 0},   {"99999999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        long value = -7;
        EXPECT_EQ(cmdline::ParseWhole(c.text, 0, 1000, value), c.taken) << '"' << c.text << '"';
        EXPECT_EQ(value, c.taken ? c.value : -7) << '"' << c.text << "\" leaves the value alone when refused";
    }
    long value = 0;
    EXPECT_FALSE(cmdline::ParseWhole(nullptr, 0, 10, value));
    EXPECT_FALSE(cmdline::ParseWhole("0", 1, 10, value)) << "below the range";
}

TEST(CommandLine, SizesAreTwoSidesFromOneToTheLimit)
{
    const struct {
        const char* text;
        bool taken;
        int width, height;
    } cases[] = {
        {"800x600", true, 800, 600}, {"1x1", true, 1, 1},  {"4096x4096", true, 4096, 4096},
        {"4097x600", false, 0, 0},   {"0x600", false, 0, 0}, {"800", false, 0, 0},
        {"800x", false, 0, 0},       {"x600", false, 0, 0},  {"800X600", false, 0, 0}, {"800x600x2", false, 0, 0},
    };
    for (const auto& c : cases) {
        int width = 0, height = 0;
        EXPECT_EQ(cmdline::ParseSize(c.text, 4096, width, height), c.taken) << c.text;
        if (c.taken) {
            EXPECT_EQ(width, c.width) << c.text;
            EXPECT_EQ(height, c.height) << c.text;
        }
    }
}

}  // namespace
