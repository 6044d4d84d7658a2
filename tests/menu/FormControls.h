#pragma once

// The menu window's controls by their layout names, for tests that look at what a view drew.

#include "menu/form/LayoutControls.h"
#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

#include <string>

inline platform::TLabel* Label(const TForm1& form, const std::string& name)
{
    return LayoutControl<platform::TLabel>(form, name);
}

inline platform::TImage* Image(const TForm1& form, const std::string& name)
{
    return LayoutControl<platform::TImage>(form, name);
}

inline TDIBImage* Dib(const TForm1& form, const std::string& name)
{
    return LayoutControl<TDIBImage>(form, name);
}
