// Control templates from arbitrary bytes, loaded into a control with two published picture
// links and an image list. A template may be refused with an exception of the library or the
// platform; it may not crash, read past its bytes or leave the list's links dangling.

#include "dib/control/cDIBPanel.h"
#include "dib/template/cDIBTemplate.h"
#include "platform/components/Forms.h"

#include <cstdint>
#include <exception>

using namespace platform;

namespace {

class TFuzzControl : public TCustomDIBControl {
    TORVA_CLASS(TFuzzControl)
public:
    explicit TFuzzControl(TComponent* owner)
        : TCustomDIBControl(owner)
        , main(AddImageLink())
        , lit(AddImageLink())
    {
        AddTemplateProperty("Opacity");
        AddTemplateProperty("Hint");
    }
    TDIBImageLink& main;
    TDIBImageLink& lit;
};

const ClassInfo& TFuzzControl::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TFuzzControl>("TFuzzControl", &TCustomDIBControl::StaticClass())
                                      .Object("IndexMain", [](TFuzzControl& c) -> TPersistent& { return c.main; })
                                      .Object("IndexLit", [](TFuzzControl& c) -> TPersistent& { return c.lit; })
                                      .Build();
    return info;
}

struct Rig {
    VirtualClock clock;
    EventLoop loop { clock };
    ScopedEventLoop scope { loop };
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Rig rig;
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* list = new TDIBImageList(form.get());
    auto* container = new TDIBContainer(form.get());
    container->SetParent(form.get());
    auto* control = new TFuzzControl(container);
    control->SetDIBImageList(list);
    try {
        TDIBMemoryStream stream(std::span<const uint8_t>(data, size));
        LoadDIBControlTemplate(*control, stream);
        // Whatever was loaded must draw: links point at items that exist.
        for (TDIBImageLink* link : { &control->main, &control->lit }) {
            if (TAbstractSuperDIB* picture = link->GetImage())
                (void)picture->Pixels(0, 0);
        }
    } catch (const std::exception&) {
    }
    return 0;
}
