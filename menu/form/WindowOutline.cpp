#include "menu/form/WindowOutline.h"

#include "menu/form/LayoutControls.h"

#include "dib/control/cDIBPanel.h"
#include "dib/imagelist/cDIBFormShaper.h"
#include "platform/components/Forms.h"

WindowOutline::WindowOutline(const platform::TComponent& form)
    : m_screen(LayoutControl<TDIBContainer>(form, "DIBContainer1"))
    , m_shaper(LayoutControl<TDIBFormShaper>(form, "DIBFormShaper1"))
{
}

void WindowOutline::Reduce(platform::TForm& form)
{
    m_screen->SetBounds(0, 0, m_screen->Width(), m_screen->Height());
    form.SetBounds(form.Left(), form.Top(), m_screen->Width(), m_screen->Height());
    if (m_shaper)
        m_shaper->SetActive(false);
}

void WindowOutline::Release()
{
    platform::TComponent::Free(m_shaper);
    m_shaper = nullptr;
}
