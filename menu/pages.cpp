// Pages and category navigation: the page table behind the icon column, lighting and clicking
// the icons, the per-category page set-ups, and scrolling and fading the icon column.

#include "menu/main_f.h"
#include "menu/Rounding.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

#include <algorithm>

namespace {

struct PageKind {
    int32_t code;
    const char* caption;
    int baseIndex; // the unlit icon in DIBImageList1; the lit one follows it
};

constexpr PageKind PageKinds[] = {
    { CatDemos, "DEMA", 2 },
    { CatExtra, "EXTRA", 6 },
    { CatShareware, "SHAREWARE", 4 },
    { CatDrivers, "OVLADA\xC8"
                  "E",
        10 },
    { CatUpdates, "UPDATY", 8 },
    { CatReaders, "OD \xC8TEN\xC1\xD8U", 21 },
    { CatShots, "E3 OBR\xC1ZKY", 23 },
    { CatMovies, "E3 VIDEA", 23 },
    { CatFulls, "PLN\xC1 HRA", 4 },
    { CatExtra2, "ONLINE DEMA", 25 },
    { CatInstalled, "INSTALOV\xC1NO", 27 },
};

const PageKind* FindPageKind(int32_t code)
{
    for (const PageKind& kind : PageKinds)
        if (kind.code == code)
            return &kind;
    return nullptr;
}

// String table messages of the page texts.
constexpr int32_t SharewareFolderText = 13;
constexpr int32_t UpdatesExplanationText = 61;

// The icon column's travel: where a scroll stops and where icons fade.
constexpr int TopStopIconTop = 56;
constexpr int BottomStopIconTop = 330;
constexpr int FadeStep = 30;

}

void TForm1::AddPage(int32_t code)
{
    ++Catalogue.PageCount;
    const PageKind* kind = FindPageKind(code);
    if (!kind)
        return;
    int n = Catalogue.PageCount;
    if (TDIBImage* icon = SectionIcon(n)) {
        icon->IndexMain().SetDIBIndex(kind->baseIndex);
        icon->SetTag(kind->baseIndex);
        SectionLabel(n)->SetCaption(kind->caption);
    }
    // The table holds fifteen slots; pages beyond them have nowhere to go.
    if (n <= Catalogue.Pages.capacity)
        Catalogue.Pages[n] = TPage { kind->caption, static_cast<uint8_t>(kind->code) };
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
    if (n < 1 || n > Catalogue.PageCount || n > Catalogue.Pages.capacity || Catalogue.Pages[n].Code == Category)
        return;
    if (m_environment.Cursor)
        m_environment.Cursor->ShowDefault();
    PreviousSlot = SelectedSlot;
    SelectedSlot = n;
    if (n != PreviousSlot)
        UnpressIcon(PreviousSlot);
    PressIcon(n);
    SelectPage(Catalogue.Pages[n].Code);
}

void TForm1::SelectPage(int32_t code)
{
    SetOff();
    Unbold();
    ItemIndex = 1;
    TopIndex = 1;
    switch (code) {
    case CatDemos: SetDemosPage(); break;
    case CatExtra: SetExtraPage(); break;
    case CatShareware: SetSharewarePage(); break;
    case CatDrivers: SetDriversPage(); break;
    case CatUpdates: SetUpdatesPage(); break;
    case CatReaders: SetReadersPage(); break;
    case CatShots: SetHotShotsPage(); break;
    case CatMovies: SetFilmsPage(); break;
    case CatFulls: SetFullsPage(); break;
    case CatExtra2: SetExtra2Page(); break;
    case CatInstalled: SetInstalledPage(); break;
    case CatSettings: SetSettingsPage(); break;
    default: break;
    }
}

void TForm1::SetDemosPage()
{
    Category = CatDemos;
    TopIndex = 1;
    ItemIndex = 1;
    TextLabel->Show();
    DIBImage4->Show();
    for (int32_t n = 1; n <= Catalogue.DemoCount; ++n)
        Status.CheckDemo(Catalogue.Demos[n]);
    FillList();
    ProcessPage();
}

void TForm1::SetExtra2Page()
{
    Category = CatExtra2;
    TopIndex = 1;
    ItemIndex = 1;
    TextLabel->Show();
    DIBImage4->Show();
    for (int32_t n = 1; n <= Catalogue.Extra2Count; ++n)
        Status.CheckDemo(Catalogue.Extra2[n]);
    FillList();
    ProcessPage();
}

void TForm1::SetExtraPage()
{
    Category = CatExtra;
    DIBImage4->Hide();
    FillList();
    ProcessPage();
}

void TForm1::SetSharewarePage()
{
    Category = CatShareware;
    DIBImage4->Hide();
    TextLabel->SetCaption(LoadString(SharewareFolderText));
    FillList();
    ProcessPage();
}

void TForm1::SetDriversPage()
{
    Category = CatDrivers;
    DIBImage4->Hide();
    FillList();
    ProcessPage();
}

void TForm1::SetUpdatesPage()
{
    Category = CatUpdates;
    DIBImage4->Hide();
    TextLabel->SetCaption(LoadString(UpdatesExplanationText));
    FillList();
    ProcessPage();
}

void TForm1::SetReadersPage()
{
    Category = CatReaders;
    DIBImage4->Hide();
    FillList();
    ProcessPage();
}

void TForm1::SetHotShotsPage()
{
    Category = CatShots;
    FillList();
    Flag_Unplayable->Show();
    DIBImage4->Show();
    ProcessPage();
}

void TForm1::SetFilmsPage()
{
    Category = CatMovies;
    TextLabel->SetCaption(LoadString(SharewareFolderText));
    DIBImage4->SetOpacity(255);
    DIBImage4->Show();
    Flag_Unplayable->Show();
    FillList();
    Label2->Show();
    ProcessPage();
}

void TForm1::SetFullsPage()
{
    Category = CatFulls;
    DIBImage4->Show();
    FillList();
    ProcessPage();
}

void TForm1::SetSettingsPage()
{
    // The page icons keep their state: the old page's icon stays lit and every icon clickable.
    UnpressIcon(HotIcon);
    Category = CatSettings;
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

void TForm1::HoverIcon(platform::TObject* sender, int x, int y, int32_t n)
{
    MoveArrows(sender, x, y);
    PressIcon(n);
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
    if (Catalogue.PageCount >= 6 && Catalogue.PageCount <= 10 && SectionIcon(Catalogue.PageCount)->Top() < BottomStopIconTop) {
        if (Catalogue.PageCount == 10)
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

// ---- handlers ------------------------------------------------------------------------------

void TForm1::DIBSection1Click(platform::TObject*) { MainButtonClick(1); }
void TForm1::DIBSection2Click(platform::TObject*) { MainButtonClick(2); }
void TForm1::DIBSection3Click(platform::TObject*) { MainButtonClick(3); }
void TForm1::DIBSection4Click(platform::TObject*) { MainButtonClick(4); }
void TForm1::DIBSection5Click(platform::TObject*) { MainButtonClick(5); }
void TForm1::DIBSection6Click(platform::TObject*) { MainButtonClick(6); }
void TForm1::DibSection7Click(platform::TObject*) { MainButtonClick(7); }
void TForm1::DIBSection8Click(platform::TObject*) { MainButtonClick(8); }
void TForm1::DibSection9Click(platform::TObject*) { MainButtonClick(9); }
void TForm1::DIBSection10Click(platform::TObject*) { MainButtonClick(10); }

// Kept from the stored form, where it is bound to nothing and does nothing.
void TForm1::IconImage1Click(platform::TObject*) { }


// Pointing at an icon moves the markers and lights it.
void TForm1::IconImage1MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 1); }
void TForm1::IconImage2MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 2); }
void TForm1::IconImage3MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 3); }
void TForm1::IconImage4MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 4); }
void TForm1::IconImage5MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 5); }
void TForm1::IconImage6MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 6); }
void TForm1::DibSection7MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 7); }
void TForm1::DIBSection8MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 8); }
void TForm1::DibSection9MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { HoverIcon(s, x, y, 9); }

// The last slot lights its icon without moving the markers, as the stored form has it.
void TForm1::DIBSection10MouseMove(platform::TObject*, platform::TShiftState, int, int) { PressIcon(10); }

// Hovering a caption moves the markers but does not light its icon.
void TForm1::IconLabel1MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel2MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel3MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel4MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel5MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel6MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel7MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel8MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel9MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }
void TForm1::IconLabel10MouseMove(platform::TObject* s, platform::TShiftState, int x, int y) { MoveArrows(s, x, y); }

void TForm1::UpMouseMove(platform::TObject* sender, platform::TShiftState, int x, int y)
{
    Up->Show();
    StripStep = 5;
    ScrollDownTimer->SetEnabled(false);
    ScrollUpTimer->SetEnabled(true);
    MoveArrows(sender, x, y);
}

void TForm1::DownMouseMove(platform::TObject* sender, platform::TShiftState, int x, int y)
{
    Down->Show();
    StripStep = 5;
    ScrollDownTimer->SetEnabled(true);
    ScrollUpTimer->SetEnabled(false);
    MoveArrows(sender, x, y);
}

// Bound to the bottom scroll zone in the stored form; clicking it does nothing.
void TForm1::Image6Click(platform::TObject*) { }

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

// The layout binds the two scroll timers crosswise: ScrollUpTimer (started by the top zone)
// runs this handler, ScrollDownTimer (the bottom zone) the other.
void TForm1::ScrollDownTimerTimer(platform::TObject*) { ScrollColumnDownTick(); }
void TForm1::ScrollUpTimerTimer(platform::TObject*) { ScrollColumnUpTick(); }

void TForm1::Image12Click(platform::TObject*) { SetSettingsPage(); }
