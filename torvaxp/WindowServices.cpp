#include "torvaxp/WindowServices.h"

#include "platform/dialogs/Dialogs.h"

void DialogMessageBoxes::ShowError(const std::string& text)
{
    platform::ShowErrorBox(text);
}

void FormCursor::ShowHourglass()
{
    Show(platform::crHourGlass);
}

void FormCursor::ShowDefault()
{
    Show(platform::crDefault);
}

void FormCursor::Show(platform::TCursor cursor)
{
    if (m_form)
        m_form->SetScreenCursor(cursor);
}
