#include "menu/form/DiscLabels.h"

#include "menu/form/LayoutControls.h"

#include "platform/components/StdCtrls.h"

DiscLabels::DiscLabels(const platform::TComponent& form)
    : m_number(LayoutControl<platform::TLabel>(form, "CDNumberLabel"))
    , m_reload(LayoutControl<platform::TLabel>(form, "DebugLabel1"))
    , m_catalogueFile(LayoutControl<platform::TLabel>(form, "DebugLabel2"))
{
}

void DiscLabels::Show(const std::string& number, bool debugMode)
{
    m_number->SetCaption(number);
    m_reload->SetVisible(debugMode);
    m_catalogueFile->SetVisible(debugMode);
}
