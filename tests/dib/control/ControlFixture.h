#pragma once

// A form holding one DIB container, driven through the form's event routing as the script
// driver drives it, and a DIB control that logs what it hears.

#include "dib/control/cDIBControl.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/Forms.h"
#include "platform/events/Clock.h"
#include "platform/events/EventLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dibtest {

using Log = std::vector<std::string>;

class TProbeDIB : public TCustomDIBControl {
    TORVA_CLASS(TProbeDIB)
public:
    explicit TProbeDIB(platform::TComponent* owner)
        : TCustomDIBControl(owner) {}

    // Where the probe writes "Name.event"; nothing when unset.
    Log* log = nullptr;
    // Draws the control's picture on the working surface.
    std::function<void(TProbeDIB&, TWinDIB&)> painter;
    int paints = 0;

    void Record(const std::string& what)
    {
        if (log)
            log->push_back(Name() + "." + what);
    }
    void Attach(Log& target);

protected:
    void Paint() override
    {
        ++paints;
        if (painter)
            painter(*this, *WorkDIB());
    }
    void Highlight() override { Record("highlight"); }
    void Unhighlight() override { Record("unhighlight"); }
};

// A plain graphic control that fills its whole area through the canvas.
class TFillControl : public platform::TGraphicControl {
public:
    TFillControl(platform::TComponent* owner, uint32_t pixel)
        : platform::TGraphicControl(owner), m_pixel(pixel) {}
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        Canvas().FillPixels(ClientRect(), m_pixel);
    }

private:
    uint32_t m_pixel;
};

struct ContainerFixture : ::testing::Test {
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    Log log;
    platform::ComponentPtr<platform::TForm> form { new platform::TForm(nullptr) };
    TDIBContainer* container = nullptr;

    void SetUp() override { MakeContainer(120, 80); }

    void MakeContainer(int width, int height)
    {
        form->SetBounds(0, 0, width, height);
        form->Show();
        container = new TDIBContainer(form.get());
        container->SetName("Container");
        container->SetParent(form.get());
        container->SetBounds(0, 0, width, height);
    }

    TProbeDIB* AddProbe(const std::string& name, int left, int top, int width, int height)
    {
        auto* probe = new TProbeDIB(form.get());
        probe->SetName(name);
        probe->SetBounds(left, top, width, height);
        probe->Attach(log);
        return probe;
    }

    // The container's own key events go to the log as "Container.keydown(code)".
    void LogContainerKeys()
    {
        container->OnKeyDown = [this](platform::TObject*, uint16_t& key, platform::TShiftState) { log.push_back("Container.keydown(" + std::to_string(key) + ")"); };
        container->OnKeyPress = [this](platform::TObject*, char& key) { log.push_back(std::string("Container.char(") + key + ")"); };
    }

    void Mouse(platform::EventType type, int x, int y, platform::TShiftState shift = 0,
        platform::TMouseButton button = platform::TMouseButton::mbLeft)
    {
        form->HandleEvent({ .type = type, .x = x, .y = y, .button = button, .shift = shift });
    }
    void Move(int x, int y) { Mouse(platform::EventType::MouseMove, x, y); }
    void Press(int x, int y) { Mouse(platform::EventType::MouseDown, x, y, platform::ssLeft); }
    void Release(int x, int y) { Mouse(platform::EventType::MouseUp, x, y); }

    void Key(uint16_t key, platform::TShiftState shift = 0)
    {
        form->HandleEvent({ .type = platform::EventType::KeyDown, .shift = shift, .key = key });
        form->HandleEvent({ .type = platform::EventType::KeyUp, .shift = shift, .key = key });
    }
    void Char(char ch)
    {
        form->HandleEvent({ .type = platform::EventType::KeyChar, .ch = ch });
    }

    // Runs the posted paints.
    void PaintPending() { loop.ProcessMessages(); }
    void PaintAll()
    {
        form->InvalidateRect(form->ClientRect());
        PaintPending();
    }
};

// Three probes side by side: A at x 10..29, B at 50..69, C at 90..109, all at y 10..29.
struct ProbesFixture : ContainerFixture {
    TProbeDIB* a = nullptr;
    TProbeDIB* b = nullptr;
    TProbeDIB* c = nullptr;
    void SetUp() override
    {
        ContainerFixture::SetUp();
        a = AddProbe("A", 10, 10, 20, 20);
        b = AddProbe("B", 50, 10, 20, 20);
        c = AddProbe("C", 90, 10, 20, 20);
    }
};

}
