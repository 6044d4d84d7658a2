// Pages and category navigation: the page table behind the icon column, lighting and clicking
// the icons, the per-category page set-ups, and scrolling and fading the icon column.

#include "menu/form/main_f.h"
#include "menu/Rounding.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

#include <algorithm>

namespace {

// String table messages of the page texts.
constexpr int32_t SharewareFolderText = 13;
constexpr int32_t UpdatesExplanationText = 61;

// What a page shows when it opens, besides its list and the selected item. The installed page
// and the settings page set themselves up.
enum PageLook : uint8_t {
    ShowsPicture = 1,    // the small picture shows; on the other pages it goes
    OpaquePicture = 2,   // ... fully opaque
    ChecksItems = 4,     // every item's status is checked first and the text label shows
    ShowsUnplayable = 8, // the unplayable flag shows
    ShowsCodecNote = 16, // the note that films need a video codec from the disc
};

struct PageKind {
    CategoryCode code;
    const char* caption;
    int baseIndex; // the unlit icon in DIBImageList1; the lit one follows it
    unsigned look;
    int32_t text = 0; // the string table message the text label shows, if any
};

constexpr PageKind PageKinds[] = {
    { CategoryCode::Demos, "DEMA", 2, ShowsPicture | ChecksItems },
    { CategoryCode::Extra, "EXTRA", 6, 0 },
    { CategoryCode::Shareware, "SHAREWARE", 4, 0, SharewareFolderText },
    { CategoryCode::Drivers, "OVLADA\xC8"
                             "E",
        10, 0 },
    { CategoryCode::Updates, "UPDATY", 8, 0, UpdatesExplanationText },
    { CategoryCode::Readers, "OD \xC8TEN\xC1\xD8U", 21, 0 },
    { CategoryCode::Shots, "E3 OBR\xC1ZKY", 23, ShowsPicture | ShowsUnplayable },
    { CategoryCode::Movies, "E3 VIDEA", 23, ShowsPicture | OpaquePicture | ShowsUnplayable | ShowsCodecNote, SharewareFolderText },
    { CategoryCode::Fulls, "PLN\xC1 HRA", 4, ShowsPicture },
    { CategoryCode::Extra2, "ONLINE DEMA", 25, ShowsPicture | ChecksItems },
    { CategoryCode::Installed, "INSTALOV\xC1NO", 27, 0 },
};

const PageKind* FindPageKind(CategoryCode code)
{
    for (const PageKind& kind : PageKinds)
        if (kind.code == code)
            return &kind;
    return nullptr;
}

// The icon column's travel: where a scroll stops and where icons fade.
constexpr int TopStopIconTop = 56;
constexpr int BottomStopIconTop = 330;
constexpr int FadeStep = 30;
// More ticks than the column's whole travel takes.
constexpr int MostColumnTicks = 200;

}

void TForm1::AddPage(CategoryCode code)
{
    ++PageCount;
    const PageKind* kind = FindPageKind(code);
    if (!kind)
        return;
    int n = PageCount;
    if (TDIBImage* icon = SectionIcon(n)) {
        icon->IndexMain().SetDIBIndex(kind->baseIndex);
        icon->SetTag(kind->baseIndex);
        SectionLabel(n)->SetCaption(kind->caption);
    }
    // The table holds fifteen slots; pages beyond them have nowhere to go.
    if (n <= Pages.capacity)
        Pages[n] = TPage { kind->caption, static_cast<uint8_t>(kind->code) };
}

void TForm1::PressIcon(int32_t n)
{
    if (n == HotIcon)
        return;
    UnpressIcon(HotIcon);
    if (TDIBImage* icon = SectionIcon(n))
        icon->IndexMain().SetDIBIndex(icon->Tag() + 1);
    HotIcon = n;
}

void TForm1::UnpressIcon(int32_t n)
{
    if (n == SelectedSlot)
        return;
    if (TDIBImage* icon = SectionIcon(n))
        icon->IndexMain().SetDIBIndex(icon->Tag());
    HotIcon = 0;
}

void TForm1::MainButtonClick(int32_t n)
{
    if (n < 1 || n > PageCount || n > Pages.capacity || Pages[n].Category() == Category)
        return;
    if (m_environment.Cursor)
        m_environment.Cursor->ShowDefault();
    PreviousSlot = SelectedSlot;
    SelectedSlot = n;
    if (n != PreviousSlot)
        UnpressIcon(PreviousSlot);
    PressIcon(n);
    SelectPage(Pages[n].Category());
}

void TForm1::StepPage(int32_t step)
{
    const int32_t slots = std::min<int32_t>(PageCount, Pages.capacity);
    if (slots < 1)
        return;
    const int32_t from = std::clamp<int32_t>(SelectedSlot, 1, slots);
    const int32_t to = (from - 1 + step % slots + slots) % slots + 1;
    MainButtonClick(to);
    // The column scrolls as its zones would scroll it until the lit icon stands in the band.
    TDIBImage* icon = SectionIcon(to);
    StripStep = 5;
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() > BottomStopIconTop; ++tick)
        ScrollColumnUpTick();
    for (int tick = 0; icon && tick < MostColumnTicks && icon->Top() < TopStopIconTop; ++tick)
        ScrollColumnDownTick();
}

void TForm1::SelectPage(CategoryCode code)
{
    SetOff();
    Unbold();
    ItemIndex = 1;
    TopIndex = 1;
    if (code == CategoryCode::Installed)
        SetInstalledPage();
    else if (code == CategoryCode::Settings)
        SetSettingsPage();
    else if (FindPageKind(code))
        SetPage(code);
}

void TForm1::SetPage(CategoryCode code)
{
    const PageKind* kind = FindPageKind(code);
    if (!kind || code == CategoryCode::Installed)
        return;
    Category = code;
    if (kind->look & ChecksItems) {
        TopIndex = 1;
        ItemIndex = 1;
        TextLabel->Show();
    }
    if (kind->text)
        TextLabel->SetCaption(Texts.LoadString(kind->text));
    if (kind->look & OpaquePicture)
        DIBImage4->SetOpacity(255);
    DIBImage4->SetVisible(kind->look & ShowsPicture);
    if (kind->look & ShowsUnplayable)
        Flag_Unplayable->Show();
    if (kind->look & ChecksItems)
        for (int32_t n = 1; TDemos* item = Catalogue.ItemOf(code, n); ++n)
            Status.CheckDemo(*item);
    FillList();
    if (kind->look & ShowsCodecNote)
        Label2->Show();
    ProcessPage();
}

void TForm1::SetSettingsPage()
{
    // The page icons keep their state: the old page's icon stays lit and every icon clickable.
    UnpressIcon(HotIcon);
    Category = CategoryCode::Settings;
    SetOff();
    ItemIndex = 1;
    TopIndex = 1;
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
    MoveColumn(StripStep);
}

// The bottom zone's tick: the column moves up until the last page's icon reaches the band.
void TForm1::ScrollColumnUpTick()
{
    if (PageCount >= 6 && PageCount <= 10 && SectionIcon(PageCount)->Top() < BottomStopIconTop) {
        if (PageCount == 10)
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
    MoveColumn(-StripStep);
}

// Pointing at the column's top zone (Image5 and the Up arrow) or its bottom zone (Image6 and the
// Down arrow) shows the zone's arrow and starts its scroll timer.
void TForm1::PointScrollZone(bool top, platform::TObject* sender, int x, int y)
{
    (top ? Up : Down)->Show();
    StripStep = 5;
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
    UnpressIcon(HotIcon);
}
