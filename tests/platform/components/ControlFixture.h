#pragma once

// A form on a virtual clock for the component tests, and pictures placed on it.

#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "tests/support/FormRig.h"

#include <gtest/gtest.h>

namespace componenttest {

struct ControlFixture : ::testing::Test, torva::test::FormRig<> {
    // A picture control on the form at `bounds` holding a picture of `pictureSize`, all black.
    platform::TImage* AddImage(const TRect& bounds, TSize pictureSize)
    {
        auto* image = new platform::TImage(form.get());
        image->SetParent(form.get());
        image->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        image->Picture().Bitmap().SetSize(pictureSize.cx, pictureSize.cy);
        return image;
    }
};

}
