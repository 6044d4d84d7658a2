// What stored forms and the clipboard hand the DIB library besides templates: the palette's
// colour and table streams, a feature item's stored parameters, and pasted bitmaps. The first
// byte picks the reader, the rest is its input. Refusals are exceptions; anything else is a
// finding.

#include "dib/graphic/DIB.h"
#include "dib/control/cDIBFeatures.h"
#include "dib/palette/cDIBPalette.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/Forms.h"

#include <cstdint>
#include <exception>
#include <vector>

using namespace platform;

namespace {

class TFuzzDIB : public TCustomDIBControl {
public:
    using TCustomDIBControl::TCustomDIBControl;
};

struct Rig {
    VirtualClock clock;
    EventLoop loop { clock };
    ScopedEventLoop scope { loop };
};

void ReadPalette(const std::vector<uint8_t>& input, bool table)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* palette = new TDIBPalette(form.get());
    if (table) {
        palette->BeginLoading();
        palette->SetUseTable(true);
        palette->ReadTable(input);
    } else {
        palette->ReadColors(input);
    }
}

void ReadFeatureParameters(const std::vector<uint8_t>& input)
{
    ComponentPtr<TForm> form(new TForm(nullptr));
    auto* container = new TDIBContainer(form.get());
    container->SetParent(form.get());
    auto* control = new TFuzzDIB(container);
    TDIBFeatureItem& item = control->DIBFeatures().Add();
    item.ReadParameters(input);
    item.Loaded();
    TDIBMessage message;
    message.Kind = TDIBMessageKind::MouseEnter;
    control->DIBFeatures().Offer(message);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Rig rig;
    if (size == 0)
        return 0;
    const std::vector<uint8_t> input(data + 1, data + size);
    try {
        switch (data[0] % 4) {
        case 0:
            ReadPalette(input, false);
            break;
        case 1:
            ReadPalette(input, true);
            break;
        case 2:
            ReadFeatureParameters(input);
            break;
        default: {
            TDIB graphic;
            graphic.LoadFromPackedDIB(input);
            break;
        }
        }
    } catch (const std::exception&) {
    }
    return 0;
}
