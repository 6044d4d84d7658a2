// The window side of bringing the menu up and taking it down: centring, the disc's fonts, the
// side clips or the reduced window, the title once the catalogue is read, and the first page.

#include "menu/form/main_f.h"
#include "menu/Rounding.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBFormShaper.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/StdCtrls.h"
#include "platform/fonts/FontRegistry.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <exception>

namespace {

std::string FontFile(const std::string& dataDir, const char* name)
{
    // DataDir ends with a backslash, so this doubles it; the platform accepts that.
    return dataDir + "\\" + name;
}

// What a font-change broadcast does to the window: every text is drawn again, with the faces the
// registry now resolves.
void FontsChanged(platform::TForm& form)
{
    form.InvalidateRect(form.ClientRect());
}

}

void TForm1::FormCreate(platform::TObject*)
{
    Detail->PrepareHelpLine();

    TSize screen = ScreenSize();
    int left = RoundHalfEven((screen.cx - ClientWidth()) / 2.0);
    int top = RoundHalfEven((screen.cy - ClientHeight()) / 2.0);
    SetBounds(left, top, Width(), Height());

    ListView->Unbold();
    Animations->MakeOpaque();

    if (!Model.Start())
        return;
    try {
        RegisterDiscFonts();
        LoadSideClipsOrShrink();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TForm1::RegisterDiscFonts()
{
    // A file that cannot be registered leaves the labels on the substitute faces.
    platform::AddFontResourceA(FontFile(Model.Context.DataDir, "bb.jpg"));
    platform::AddFontResourceA(FontFile(Model.Context.DataDir, "bc.jpg"));
    FontsChanged(*this);
}

void TForm1::LoadSideClipsOrShrink()
{
    if (Model.Settings().enhanced == 1) {
        Animations->LoadClips();
        return;
    }
    // The reduced window shows only the screen container; it keeps the centred position.
    m_outline->Reduce(*this);
}

void TForm1::FormShow(platform::TObject*)
{
    if (Model.Terminated())
        return;
    if (!LoadCatalogue())
        platform::Application().Terminate();
}

bool TForm1::LoadCatalogue()
{
    if (!Model.LoadCatalogue())
        return false;
    ShowCatalogue();
    if (Model.Launcher().PrepareWineInBackground())
        ShowWinePreparation();
    return true;
}

void TForm1::ShowCatalogue()
{
    platform::Application().SetTitle(Model.ApplicationTitle);
    SetCaption(Model.WindowCaption);
    m_discLabels->Show(Model.CDNumberText, Model.Catalogue.DebugMode);

    Model.MakePageTable();
    Icons->ShowPages();
    MainButtonClick(1);
    Icons->Light(Model.SelectPage(CategoryCode::Demos));
    ShowListPage(CategoryCode::Demos);
}

void TForm1::FormDestroy(platform::TObject*)
{
    if (!Model.Context.DataDir.empty()) {
        platform::RemoveFontResourceA(FontFile(Model.Context.DataDir, "bb.jpg"));
        platform::RemoveFontResourceA(FontFile(Model.Context.DataDir, "bc.jpg"));
        FontsChanged(*this);
    }
    m_outline->Release();
}
