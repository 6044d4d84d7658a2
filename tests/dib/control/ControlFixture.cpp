#include "tests/dib/control/ControlFixture.h"

namespace dibtest {

const platform::ClassInfo& TProbeDIB::StaticClass()
{
    static const platform::ClassInfo info = platform::ClassBuilder<TProbeDIB>("TProbeDIB", &TCustomDIBControl::StaticClass()).Creatable().Build();
    return info;
}

static platform::ClassRegistration probeRegistration(TProbeDIB::StaticClass());

void TProbeDIB::Attach(Log& target)
{
    log = &target;
    OnMouseEnter = [this](platform::TObject*) { Record("enter"); };
    OnMouseLeave = [this](platform::TObject*) { Record("leave"); };
    OnMouseUp = [this](platform::TObject*, platform::TMouseButton, platform::TShiftState, int, int) { Record("up"); };
    OnClick = [this](platform::TObject*) { Record("click"); };
    OnEnter = [this](platform::TObject*) { Record("focus"); };
    OnExit = [this](platform::TObject*) { Record("unfocus"); };
    OnKeyDown = [this](platform::TObject*, uint16_t& key, platform::TShiftState) { Record("keydown(" + std::to_string(key) + ")"); };
    OnKeyUp = [this](platform::TObject*, uint16_t& key, platform::TShiftState) { Record("keyup(" + std::to_string(key) + ")"); };
    OnKeyPress = [this](platform::TObject*, char& key) { Record(std::string("char(") + key + ")"); };
}

}
