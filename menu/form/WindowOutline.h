#pragma once

// The window's outline: the full window is cut to the shape of its artwork by the shaper; the
// reduced window, without the side panel, is only the screen container.

class TDIBContainer;
class TDIBFormShaper;
namespace platform {
class TComponent;
class TForm;
}

class WindowOutline {
public:
    // Takes the screen container DIBContainer1 and the shaper DIBFormShaper1 from the read
    // layout `form`.
    explicit WindowOutline(const platform::TComponent& form);

    // Shrinks `form` to the screen container, keeping its position, and stops the cut.
    void Reduce(platform::TForm& form);
    // The shaper goes with the form's destruction event, before the window.
    void Release();

private:
    TDIBContainer* m_screen;
    TDIBFormShaper* m_shaper;
};
