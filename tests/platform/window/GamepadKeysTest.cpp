#include "platform/window/GamepadKeys.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

constexpr PadKeyStroke Down(uint16_t key, TShiftState shift = 0)
{
    return { true, key, shift };
}

constexpr PadKeyStroke Up(uint16_t key, TShiftState shift = 0)
{
    return { false, key, shift };
}

struct AxisCase {
    const char* what;
    PadAxis axis;
    std::vector<int> values;
    std::vector<PadKeyStroke> strokes;
};

class PadAxes : public ::testing::TestWithParam<AxisCase> {};

}

// Each value of the sequence goes in one after the other; the strokes are all they produced.
TEST_P(PadAxes, PressOnlyPastTheDeadZone)
{
    GamepadKeys pad;
    std::vector<PadKeyStroke> strokes;
    for (int value : GetParam().values)
        for (const PadKeyStroke& stroke : pad.Axis(GetParam().axis, value, 0))
            strokes.push_back(stroke);
    EXPECT_EQ(strokes, GetParam().strokes) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Table, PadAxes,
    ::testing::Values(AxisCase { "a drifting stick", PadAxis::LeftX, { 3000, -9000, 16000, -16000 }, {} },
        AxisCase { "right and back", PadAxis::LeftX, { 20000, 32767, 100 }, { Down(VK_RIGHT), Up(VK_RIGHT) } },
        AxisCase { "left, then straight across to the right", PadAxis::LeftX, { -32768, 32767 },
            { Down(VK_LEFT), Up(VK_LEFT), Down(VK_RIGHT) } },
        AxisCase { "up is negative", PadAxis::LeftY, { -20000, 0, 20000 }, { Down(VK_UP), Up(VK_UP), Down(VK_DOWN) } },
        AxisCase { "a trigger holds between its thresholds", PadAxis::RightTrigger, { 12000, 8000, 12000, 5000 },
            { Down(VK_TAB), Up(VK_TAB) } },
        AxisCase { "a light touch on a trigger", PadAxis::LeftTrigger, { 9000, 0 }, {} },
        AxisCase { "the left trigger is Shift+Tab", PadAxis::LeftTrigger, { 32767, 0 },
            { Down(VK_TAB, ssShift), Up(VK_TAB, ssShift) } }));

TEST(GamepadKeys, DirectionsAndPagesRepeatWhileHeldOtherButtonsDoNot)
{
    GamepadKeys pad;
    pad.Button(PadControl::DpadDown, true, 1000);
    pad.Button(PadControl::A, true, 1000);
    pad.Button(PadControl::RightShoulder, true, 1200);
    EXPECT_TRUE(pad.Repeat(1399).empty());
    EXPECT_EQ(pad.Repeat(1400), (std::vector { Down(VK_DOWN) }));
    EXPECT_TRUE(pad.Repeat(1489).empty());
    EXPECT_EQ(pad.Repeat(1600), (std::vector { Down(VK_NEXT), Down(VK_DOWN) }));
    pad.Button(PadControl::DpadDown, false, 1650);
    EXPECT_EQ(pad.Repeat(5000), (std::vector { Down(VK_NEXT) }));
}

TEST(GamepadKeys, PressingAHeldButtonAgainTypesNothing)
{
    GamepadKeys pad;
    EXPECT_EQ(pad.Button(PadControl::B, true, 0), (std::vector { Down(VK_ESCAPE) }));
    EXPECT_TRUE(pad.Button(PadControl::B, true, 10).empty());
    EXPECT_EQ(pad.Button(PadControl::B, false, 20), (std::vector { Up(VK_ESCAPE) }));
}

TEST(GamepadKeys, ALostPadLetsGoOfWhatItHeld)
{
    GamepadKeys pad;
    pad.Button(PadControl::DpadLeft, true, 0);
    pad.Axis(PadAxis::LeftY, 30000, 0);
    EXPECT_EQ(pad.ReleaseAll(), (std::vector { Up(VK_LEFT), Up(VK_DOWN) }));
    EXPECT_TRUE(pad.Repeat(10000).empty());
}
