#pragma once

// The menu window on a small test disc, on the virtual clock: the form with its layout, shown,
// so the catalogue is loaded and the Demos page is open. Tests drive its handlers directly.

#include "MenuFixture.h"

#include "FormControls.h"
#include "menu/form/main_f.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/imagelist/cDIBTimer.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"
#include "platform/events/EventLoop.h"
#include "platform/picture/Picture.h"

#include <string>

class BrowseFixture : public MenuFixture {
protected:
    void TearDown() override
    {
        if (form)
            platform::TComponent::Free(form.release());
        MenuFixture::TearDown();
    }

    TForm1& Open(const std::string& catalogue)
    {
        WriteCatalogue(catalogue);
        form = std::make_unique<TForm1>(services, MenuEnvironment { Drive() + "\\TORVA.EXE", &cursor });
        form->CreateWindowLayout();
        form->Show();
        loop.ProcessMessages();
        return *form;
    }

    // A picture of one colour; the colour tells later which file a surface was loaded from.
    static platform::Picture Solid(int width, int height, uint32_t colour)
    {
        platform::Picture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<size_t>(width) * height, colour);
        return picture;
    }
    void WriteSmallBitmap(const std::string& name, uint32_t colour)
    {
        auto bytes = platform::EncodeBitmap(Solid(6, 4, colour), 24);
        WriteDiscFile("Torva/Small/" + name + ".bmp", std::string(bytes.begin(), bytes.end()));
    }
    // Pictures 1 to count of a series.
    void WriteSeries(const std::string& name, int count)
    {
        for (int n = 1; n <= count; ++n) {
            auto bytes = platform::EncodeJpeg(Solid(20 + n, 10, 0xFF808080), 90);
            std::string number = n < 10 ? "0" + std::to_string(n) : std::to_string(n);
            WriteDiscFile("Torva/" + name + number + ".jpg", std::string(bytes.begin(), bytes.end()));
        }
    }

    // Runs the due timers of the next `ms` milliseconds.
    void Wait(uint64_t ms) { loop.Advance(ms); }

    std::string Row(int r) const { return form->ListView->Row(r)->Caption(); }
    TColor RowColour(int r) const { return form->ListView->Row(r)->Font().Color(); }
    void Key(uint16_t key) { form->FormKeyDown(form.get(), key, 0); }

    std::unique_ptr<TForm1> form;
};

// "[Demo1]\nName=..." sections for count items named by `name(n)`.
template <typename NameOf>
std::string Sections(const char* prefix, int count, NameOf name, const std::string& extra = "")
{
    std::string text;
    for (int n = 1; n <= count; ++n)
        text += "[" + std::string(prefix) + std::to_string(n) + "]\nName=" + name(n) + "\n" + extra;
    return text;
}
