// Reads arbitrary text as a form layout. The reader refuses what it cannot read and raises
// nothing; whatever it accepts must write out and read back, and the written text must settle.
#include "platform/components/Forms.h"
#include "platform/layout/LayoutReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace platform;

namespace {

class TFuzzForm : public TForm {
    TORVA_CLASS(TFuzzForm)
public:
    explicit TFuzzForm(TComponent* owner)
        : TForm(owner)
    {
        Methods().Add<void(TObject*)>("Click", [](TObject*) {});
        Methods().Add<void(TObject*, TMouseButton, TShiftState, int, int)>("Down", [](TObject*, TMouseButton, TShiftState, int, int) {});
        Methods().AddField("Label1", &label);
    }
    TControl* label = nullptr;
};

const ClassInfo& TFuzzForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TFuzzForm>("TFuzzForm", &TForm::StaticClass()).Build();
    return info;
}

std::string ReadBack(const std::string& written)
{
    ComponentPtr<TFuzzForm> again(new TFuzzForm(nullptr));
    if (Result<void> read = ReadLayout(*again, written, "written.lay"); !read) {
        std::fprintf(stderr, "written layout does not read back: %s\n%s", read.Error().Message().c_str(), written.c_str());
        std::abort();
    }
    return WriteLayout(*again);
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static VirtualClock clock;
    static EventLoop loop(clock);
    static ScopedEventLoop scope(loop);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string written;
    {
        ComponentPtr<TFuzzForm> form(new TFuzzForm(nullptr));
        if (!ReadLayout(*form, text, "fuzz.lay"))
            return 0;
        written = WriteLayout(*form);
    }
    // What was written must read back. An auto-sized, word-wrapped label may settle at another
    // size once its stored width is the one it wraps at (the framework sizes such labels the
    // same way), so the text must be stable from the second writing on.
    std::string rewritten = ReadBack(written);
    if (rewritten != written && ReadBack(rewritten) != rewritten) {
        std::fprintf(stderr, "written layout keeps changing when read back:\n%s\n----\n%s", written.c_str(), rewritten.c_str());
        std::abort();
    }
    loop.ProcessMessages();
    return 0;
}
