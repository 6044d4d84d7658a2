// Pages and category navigation: lighting and clicking the icons, the per-category page
// set-ups, and scrolling and fading the icon column.

#include "menu/form/main_f.h"
#include "menu/Rounding.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

#include <algorithm>

namespace {

// The icon column's travel: where a scroll stops and where icons fade.
constexpr int TopStopIconTop = 56;
constexpr int BottomStopIconTop = 330;
constexpr int FadeStep = 30;
// More ticks than the column's whole travel takes.
constexpr int MostColumnTicks = 200;

}

void TForm1::LightIcons(const std::vector<IconLight>& lights)
{
    for (const IconLight& light : lights)
        if (TDIBImage* icon = SectionIcon(light.slot))
            icon->IndexMain().SetDIBIndex(icon->Tag() + (light.lit ? 1 : 0));
}

void TForm1::MainButtonClick(int32_t n)
{
    const IconChoice choice = Model.ChooseIcon(n);
    LightIcons(choice.lights);
    if (choice.page != CategoryCode::None)
        SelectPage(choice.page);
}

void TForm1::StepPage(int32_t step)
{
    const int32_t to = Model.SlotAfter(step);
    if (to == 0)
        return;
    MainButtonClick(to);
    // The column scrolls as its zones would scroll it until the lit icon stands in the band.
    TDIBImage* icon = SectionIcon(to);
    m_stripStep = 5;
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() > BottomStopIconTop; ++tick)
        ScrollColumnUpTick();
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() < TopStopIconTop; ++tick)
        ScrollColumnDownTick();
}

void TForm1::SelectPage(CategoryCode code)
{
    SetOff();
    Unbold();
    LightIcons(Model.SelectPage(code));
    if (code != CategoryCode::Installed && code != CategoryCode::Settings && FindPageKind(code))
        ShowListPage(code);
}

void TForm1::ShowListPage(CategoryCode code)
{
    const PageKind* kind = FindPageKind(code);
    if (kind->look & ChecksItems)
        TextLabel->Show();
    if (kind->text)
        TextLabel->SetCaption(Model.Texts.LoadString(kind->text));
    if (kind->look & OpaquePicture)
        DIBImage4->SetOpacity(255);
    DIBImage4->SetVisible(kind->look & ShowsPicture);
    if (kind->look & ShowsUnplayable)
        Flag_Unplayable->Show();
    FillList();
    if (kind->look & ShowsCodecNote)
        Label2->Show();
    ProcessPage();
}

void TForm1::SetSettingsPage()
{
    SetOff();
    LightIcons(Model.SelectPage(CategoryCode::Settings));
    DIBImage4->Hide();
    TextLabel->SetCaption("");
    PicImage->Hide();
    FillList();
    SetSettings();
}

void TForm1::SetOpacity(int32_t n, int32_t step)
{
    TDIBImage* icon = SectionIcon(n);
    if (!icon)
        return;
    int opacity = std::clamp(icon->Opacity() + step, 0, 255);
    icon->SetOpacity(opacity);
    SectionLabel(n)->SetOpacity(opacity);
}

void TForm1::MoveArrows(platform::TObject* control, int x, int y)
{
    if (auto* under = dynamic_cast<platform::TControl*>(control)) {
        x += under->Left();
        y += under->Top();
    }
    Image7->SetTop(std::min(RoundHalfEven(x / 3.5 + 10), 200));
    Image8->SetTop(std::max(RoundHalfEven(375 - y / 4.8), 271));
}

void TForm1::MoveColumn(int dy)
{
    for (int n = 1; n <= 10; ++n) {
        SectionIcon(n)->SetTop(SectionIcon(n)->Top() + dy);
        SectionLabel(n)->SetTop(SectionLabel(n)->Top() + dy);
    }
}

// The top zone's tick: the column moves down and the upper slots come back into the band.
void TForm1::ScrollColumnDownTick()
{
    if (SectionIcon(1)->Top() >= TopStopIconTop) {
        Cover3->Show();
        return;
    }
    Cover3->Hide();
    Cover4->Hide();
    for (int n = 1; n <= 10; ++n) {
        int top = SectionIcon(n)->Top();
        if (n <= 5 && top > 20)
            SetOpacity(n, FadeStep);
        if (n >= 6 && top > 330)
            SetOpacity(n, -FadeStep);
    }
    MoveColumn(m_stripStep);
}

// The bottom zone's tick: the column moves up until the last page's icon reaches the band.
void TForm1::ScrollColumnUpTick()
{
    const int32_t pageCount = Model.PageCount();
    if (pageCount >= 6 && pageCount <= 10 && SectionIcon(pageCount)->Top() < BottomStopIconTop) {
        if (pageCount == 10)
            Cover4->Show();
        return;
    }
    Cover3->Hide();
    Cover4->Hide();
    for (int n = 1; n <= 10; ++n) {
        int top = SectionIcon(n)->Top();
        if (n <= 5 && top < 50)
            SetOpacity(n, -FadeStep);
        if (n >= 6 && top < 396)
            SetOpacity(n, FadeStep);
    }
    MoveColumn(-m_stripStep);
}

// Pointing at the column's top zone (Image5 and the Up arrow) or its bottom zone (Image6 and the
// Down arrow) shows the zone's arrow and starts its scroll timer.
void TForm1::PointScrollZone(bool top, platform::TObject* sender, int x, int y)
{
    (top ? Up : Down)->Show();
    m_stripStep = 5;
    ScrollDownTimer->SetEnabled(!top);
    ScrollUpTimer->SetEnabled(top);
    MoveArrows(sender, x, y);
}

void TForm1::ScreenImageMouseMove(platform::TObject* sender, platform::TShiftState, int x, int y)
{
    HelpLabel->SetCaption("");
    ReadmeDIBImage->Hide();
    StopDIBImage->Hide();
    PlayDIBImage->Hide();
    WebDIBImage->Hide();
    Image2->Hide();
    Image13->Hide();
    Image11->Hide();
    Image10->Hide();
    ScrollDownTimer->SetEnabled(false);
    ScrollUpTimer->SetEnabled(false);
    Up->Hide();
    Down->Hide();
    MoveArrows(sender, x, y);
    LightIcons(Model.LeaveIcons());
}
