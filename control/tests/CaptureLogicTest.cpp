// The capture dialog's geometry and reason choice, without a window.
#include <gtest/gtest.h>

#include <string>

#include "CaptureLayout.h"
#include "CaptureReasons.h"

namespace {

using penvane::ChooseReasonControl;
using penvane::ReasonControl;

TEST(CaptureReasons, OneControlAtMostChosenByFlagAndCount)
{
    struct Case {
        int32_t required, count;
        ReasonControl expected;
    } cases[] = {
        {1, 0, ReasonControl::PredefinedList}, {1, 1, ReasonControl::PickList},
        {1, 2, ReasonControl::PickList},       {1, 65535, ReasonControl::PickList},
        {0, 0, ReasonControl::None},           {0, 1, ReasonControl::None},
        {0, 2, ReasonControl::EntryCombo},     {0, 65535, ReasonControl::EntryCombo},
        {2, 0, ReasonControl::None},           {2, 5, ReasonControl::None},
        {65535, 3, ReasonControl::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseReasonControl(c.required, c.count), c.expected) << c.required << " " << c.count;
}

TEST(CaptureReasons, SixPredefinedReasonsInOrder)
{
    EXPECT_STREQ(penvane::kPredefinedReasons[0], "I am the author of this document");
    EXPECT_STREQ(penvane::kPredefinedReasons[3], "I attest to the accuracy and integrity of this document");
    EXPECT_STREQ(penvane::kPredefinedReasons[5], "I agree to specified portions of this document");
    EXPECT_STREQ(penvane::kDefaultReason, "Signature");
}

penvane::CaptureLayoutInput Input(int16_t extentX, int16_t extentY)
{
    penvane::CaptureLayoutInput in;
    in.desktopWidth = 800;
    in.desktopHeight = 600;
    in.clientWidth = 485;
    in.clientHeight = 203;
    in.pad = {29, 23, 423, 70};
    in.padExtentX = extentX;
    in.padExtentY = extentY;
    return in;
}

TEST(CaptureLayout, PadTakesTheAspectRatioAndTheDialogFollowsCentred)
{
    const penvane::CaptureLayout out = penvane::ComputeCaptureLayout(Input(2000, 1000));
    EXPECT_EQ(out.pad.height, 211);  // 423 * 1000 / 2000, truncated
    EXPECT_EQ(out.pad.width, 423);
    EXPECT_EQ(out.pad.x, 29);
    EXPECT_EQ(out.pad.y, 23);
    EXPECT_EQ(out.delta, 141);
    EXPECT_EQ(out.controlShift, 141);
    EXPECT_EQ(out.dialog.width, 491);
    EXPECT_EQ(out.dialog.height, 203 + 20 + 141);
    EXPECT_EQ(out.dialog.x, 400 - 491 / 2);
    EXPECT_EQ(out.dialog.y, 300 - 364 / 2);
}

TEST(CaptureLayout, AWiderPadShrinksTheDialog)
{
    const penvane::CaptureLayout out = penvane::ComputeCaptureLayout(Input(10000, 1000));
    EXPECT_EQ(out.pad.height, 42);
    EXPECT_EQ(out.delta, -28);
    EXPECT_EQ(out.controlShift, -28);
    EXPECT_EQ(out.dialog.height, 195);
    EXPECT_EQ(out.dialog.y, 300 - 195 / 2);
}

TEST(CaptureLayout, ExtentsWithoutAUsableRatioKeepTheTemplateHeight)
{
    for (auto extents : {std::pair<int16_t, int16_t>{0, 1000}, {0, 0}, {-2000, 1000}, {2000, -1000}, {2000, 0}}) {
        const penvane::CaptureLayout out = penvane::ComputeCaptureLayout(Input(extents.first, extents.second));
        EXPECT_EQ(out.pad.height, 70) << extents.first << " x " << extents.second;
        EXPECT_EQ(out.delta, 0);
        EXPECT_EQ(out.dialog.height, 223);
    }
}

TEST(CaptureLayout, ControlsMoveByTheLow16BitsOfTheChange)
{
    penvane::CaptureLayoutInput in = Input(1, 32767);
    in.pad.width = 3;  // 3 * 32767 = 98301: a change beyond 16 bits
    const penvane::CaptureLayout out = penvane::ComputeCaptureLayout(in);
    EXPECT_EQ(out.delta, 98301 - 70);
    EXPECT_EQ(out.controlShift, (int16_t)(98231 & 0xFFFF));
}

} // namespace
