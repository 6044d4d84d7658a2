// The detail view of the selected item: title, publisher, description, flags, the small picture
// with its cache, which action buttons are offered, and the help line under the pointer.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"
#include "platform/text/Text.h"

#include <optional>

namespace {

const char* const kNoPicture = "NUL";

// Help texts, code page 1250.
const char* const kRunText = "SPUSTIT";
const char* const kInstallText = "INSTALOVAT";
const char* const kSwitchOnText = "ZAPNOUT";
const char* const kSwitchOffText = "VYPNOUT";
const char* const kUninstallText = "ODINSTALOVAT";
const char* const kReadmeText = "INFORMACE";
const char* const kWebText = "WEBOV\xC1 STR\xC1NKA";
const char* const k3DText = "PODPORA 3D KARET";
const char* const kNetText = "HRA PO S\xCDTI";
const char* const kCzechText = "V \xC8"
                               "E\x8ATIN\xCC";
const char* const kUnplayableText = "NEHRATELN\xC9";
const char* const kPlayableText = "HRATELN\xC9 DEMO";
const char* const kQuitText = "UKON\xC8IT";
const char* const kSettingsText = "NASTAVEN\xCD";
const char* const kConnectText = "P\xD8IPOJEN\xCD NA NET";

constexpr int kSmallPictureOpacityGallery = 150;
constexpr int kSmallPictureOpacityPlain = 240;

// What the pointer over a control shows: a help line, and for the action and bottom buttons
// their lit image (the bottom buttons put out each other's); the list buttons light without
// a help line.
struct PointerHint {
    const char* handler;
    const char* text;
    const char* lit = nullptr;
    const char* unlit = nullptr;
};

const PointerHint PointerHints[] = {
    { "ReadmeCoverMouseMove", kReadmeText, "ReadmeDIBImage" },
    { "WebCoverMouseMove", kWebText, "WebDIBImage" },
    { "Flag_3DMouseMove", k3DText },
    { "Flag_NetMouseMove", kNetText },
    { "Flag_CZMouseMove", kCzechText },
    { "Flag_UnplayableMouseMove", kUnplayableText },
    { "Flag_PlayableMouseMove", kPlayableText },
    { "Image9MouseMove", kQuitText, "Image2", "Image13" },
    { "Image12MouseMove", kSettingsText, "Image13", "Image2" },
    { "Image15MouseMove", kConnectText },
    { "Image3MouseMove", nullptr, "Image11" },
    { "Image1MouseMove", nullptr, "Image10" },
};

bool HasPicture(const std::string& picture)
{
    return !picture.empty() && picture != kNoPicture;
}

// The description for a language: 0 the short one, 4 the second slot, the other editions the
// main text; an unknown language leaves the label as it is.
const std::string* DescriptionFor(int32_t language, const std::string& short0, const std::string& main,
    const std::string& second4)
{
    switch (language) {
    case 0: return &short0;
    case 4: return &second4;
    case 1:
    case 2:
    case 3:
    case 5:
    case 6: return &main;
    default: return nullptr;
    }
}

}

// An empty category has no item to describe: the view stays as the page change blanked it
// rather than showing the zeroed slot 1 (whose missing picture would raise an error box).
void TForm1::ProcessPage()
{
    HideLitActions();
    const int32_t count = List.Count(Category);
    if (Category == CategoryCode::Settings)
        SetSettings();
    else if (ItemIndex >= 1 && ItemIndex <= count)
        ShowSelectedItem();
    PositionLabel->SetCaption(count != 0 ? std::to_string(ItemIndex) + " z " + std::to_string(count) : std::string());
}

void TForm1::ShowSelectedItem()
{
    switch (Category) {
    case CategoryCode::Demos:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        if (TDemos* item = SelectedItem())
            ShowGameDetail(*item);
        break;
    case CategoryCode::Extra: SetExtra(); break;
    case CategoryCode::Shareware: SetShare(); break;
    case CategoryCode::Drivers: SetDrivers(); break;
    case CategoryCode::Updates: SetUpdates(); break;
    case CategoryCode::Readers: SetReaders(); break;
    case CategoryCode::Shots: SetShots(); break;
    case CategoryCode::Movies: SetFilms(); break;
    case CategoryCode::Installed: SetInstalled(); break;
    default: break;
    }
}

void TForm1::ShowDescription(const std::string& short0, const std::string& main, const std::string& second4)
{
    if (const std::string* text = DescriptionFor(Context.Language, short0, main, second4))
        TextLabel->SetCaption(*text);
}

void TForm1::ShowFrame(const std::string& picture)
{
    PicImage->SetVisible(HasPicture(picture));
}

// Demos, full games and the second demo list: an item marked installed whose game has gone is
// checked again before it is shown, and the list picks up its new colour.
void TForm1::ShowGameDetail(TDemos& item)
{
    std::string gameEntry;
    if (item.Installed == 1 && !Status.TestGame(item, gameEntry)) {
        Status.CheckDemo(item);
        platform::Application().ProcessMessages();
        FillList();
    }
    NameLabel->SetCaption(item.FullName.empty() ? item.Title : item.FullName);
    FirmLabel->SetCaption(item.Firm);
    ShowDescription(item.Describe0, item.Describe, item.Describe4);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty() && item.NeedsInstall == 0);
    WebDibOff->SetVisible(!item.Web.empty());
    PlayDIBOff->SetVisible(!item.GameName.empty());
    StopDIBOff->SetVisible(item.Installed == 1);
    DoFlags(item.Flags);
    ShowFrame(item.Picture);
    Pictures.Number = 1;
    HasGallery = LoadSmallPicture(item.Picture);
}

// An extra with install type 0 runs straight from the disc.
void TForm1::SetExtra()
{
    TDemos& item = Catalogue.Extra[ItemIndex];
    NameLabel->SetCaption(item.Name);
    FirmLabel->SetCaption(item.Firm);
    ShowDescription(item.Describe0, item.Describe, item.Describe4);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty());
    WebDibOff->SetVisible(!item.Web.empty());
    if (item.InstallType != InstallMethod::RunsFromDisc) {
        PlayDIBOff->Show();
    } else {
        item.GameDir = item.InstallDir;
        item.CanRun = 1;
        PlayDIBOff->SetVisible(!item.GameName.empty());
    }
    StopDIBOff->Hide();
    ShowFrame(item.Picture);
    DoFlags(item.Flags);
    if (!item.Picture.empty())
        HasGallery = LoadSmallPicture(item.Picture);
    else
        DIBImage4->Hide();
}

void TForm1::SetShare()
{
    const TDemos& item = Catalogue.Shareware[ItemIndex];
    NameLabel->SetCaption(item.FullName.empty() ? item.Title : item.FullName);
    FirmLabel->SetCaption(item.Firm);
    ShowDescription(item.Describe0, item.Describe, item.Describe4);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty());
    PlayDIBOff->SetVisible(!item.InstallName.empty());
    ShowFrame(item.Picture);
}

void TForm1::SetDrivers()
{
    const TDemos& item = Catalogue.Drivers[ItemIndex];
    NameLabel->SetCaption(item.Name);
    ShowDescription(item.Describe0, item.Describe, item.Describe4);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty());
    PlayDIBOff->SetVisible(!item.InstallName.empty());
    ShowFrame(item.Picture);
}

void TForm1::SetUpdates()
{
    const TUpdate& item = Catalogue.Updates[ItemIndex];
    NameLabel->SetCaption(item.Name + " " + item.Subtitle);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty());
    PlayDIBOff->SetVisible(!item.SetupName.empty());
    ShowFrame(item.Picture);
}

// A contribution that is only a text to read offers just its readme, from its disc folder.
void TForm1::SetReaders()
{
    TDemos& item = Catalogue.Readers[ItemIndex];
    NameLabel->SetCaption(item.Name);
    FirmLabel->SetCaption(item.Firm);
    if (Context.Language == 1)
        TextLabel->SetCaption(item.Describe);
    else if (Context.Language == 4)
        TextLabel->SetCaption(item.Describe4);
    ReadmeDIBOff->SetVisible(!item.ReadmeName.empty() && item.NeedsInstall == 0);
    if (item.InstallType != InstallMethod::RunsFromDisc || !item.GameName.empty() || item.ReadmeName.empty()) {
        PlayDIBOff->SetVisible(item.CanRun == 1);
        StopDIBOff->SetVisible(item.Installed == 1);
    } else {
        item.GameDir = item.InstallDir;
        ReadmeDIBOff->Show();
        PlayDIBOff->Hide();
        StopDIBOff->Hide();
    }
    ShowFrame(item.Picture);
}

void TForm1::SetShots()
{
    const TShot& item = Catalogue.Shots[ItemIndex];
    NameLabel->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
    FirmLabel->SetCaption(item.Firm);
    ShowDescription(item.Describe0, item.Describe, item.Describe4);
    ShowFrame(item.Picture);
    Pictures.Number = 1;
    HasGallery = LoadSmallPicture(item.Picture);
}

void TForm1::SetFilms()
{
    const TMovies& item = Catalogue.Movies[ItemIndex];
    NameLabel->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
    FirmLabel->SetCaption(item.Firm);
    if (Context.Language == 0)
        TextLabel->SetCaption(item.Describe0);
    else if (Context.Language >= 1 && Context.Language <= 6)
        TextLabel->SetCaption(item.Describe);
    PlayDIBOff->SetVisible(!item.GameName.empty());
    ShowFrame(item.Picture);
    HasGallery = LoadSmallPicture(item.Picture);
}

void TForm1::SetInstalled()
{
    const TDemos& item = Catalogue.InstalledList[ItemIndex];
    NameLabel->SetCaption(platform::UpperCaseCp1250(item.Name));
    FirmLabel->SetCaption(item.TechInfo);
    PlayDIBOff->SetVisible(item.CanRun == 1);
    StopDIBOff->SetVisible(item.Installed == 1);
    ShowFrame(item.Picture);
}

void TForm1::DoFlags(int32_t flags)
{
    Flag_3D->Hide();
    Flag_CZ->Hide();
    Flag_Unplayable->Hide();
    if (Category == CategoryCode::Demos || Category == CategoryCode::Extra2)
        Flag_Playable->Show();
    const bool network = flags >= NetworkPlayFlag && flags <= NetworkPlayFlag + int32_t(ItemOffer::Czech);
    switch (static_cast<ItemOffer>(network ? flags - NetworkPlayFlag : flags)) {
    case ItemOffer::ThreeD:
    case ItemOffer::ThreeDToo: Flag_3D->Show(); break;
    case ItemOffer::Czech: Flag_CZ->Show(); break;
    case ItemOffer::Unplayable:
        Flag_Unplayable->Show();
        Flag_Playable->Hide();
        break;
    default: break;
    }
    Flag_Net->SetVisible(network);
}

bool TForm1::ImageLoaded(const std::string& picture) const
{
    for (int32_t i = 1; i <= PictureCount && i <= decltype(PictureCache)::capacity; ++i)
        if (PictureCache[i].Caption == picture)
            return true;
    return false;
}

// Every entry counts here, the last match winning: after the counter wrapped, a name can sit
// in an entry above it too.
int32_t TForm1::CachedPictureIndex(const std::string& picture) const
{
    int32_t index = -1;
    for (int32_t i = 1; i <= decltype(PictureCache)::capacity; ++i)
        if (PictureCache[i].Caption == picture)
            index = PictureCache[i].Code;
    return index;
}

// An item without a picture hides the small picture instead of leaving the previous item's
// picture on show. The counter wraps before the load, so a failed load at the last entry cannot
// push the next one past the cache into the viewer's image.
bool TForm1::LoadSmallPicture(const std::string& picture)
{
    if (!HasPicture(picture)) {
        DIBImage4->Hide();
        return false;
    }
    Pictures.Number = 1;
    const bool gallery = Pictures.HasSeries(picture);
    const std::string bitmap = gallery ? picture + "01" : picture;
    DIBImage4->SetOpacity(gallery ? kSmallPictureOpacityGallery : kSmallPictureOpacityPlain);
    DIBImage4->SetStretch(false);
    DIBImage4->Show();
    if (ImageLoaded(picture)) {
        DIBImage4->IndexMain().SetDIBIndex(CachedPictureIndex(picture));
        return gallery;
    }
    const int32_t k = PictureCount + 1;
    PictureCount = k == decltype(PictureCache)::capacity ? 1 : k;
    TDIBImagesItem* image = DIBImageList2->DIBImages().Items(k);
    image->DIB().LoadPictureFile(Context.DataDir + "Small\\" + bitmap + ".bmp");
    image->SetDisplayName(picture);
    DIBImage4->IndexMain().SetDIBIndex(k);
    PictureCache[k] = TPage { picture, static_cast<uint8_t>(k) };
    return gallery;
}

std::optional<std::string> TForm1::PlayHoverText()
{
    const TDemos* item = SelectedItem();
    switch (Category) {
    case CategoryCode::Demos:
    case CategoryCode::Fulls:
        return item && item->NeedsInstall == 1 ? kInstallText : kRunText;
    case CategoryCode::Extra:
    case CategoryCode::Extra2:
    case CategoryCode::Shareware:
    case CategoryCode::Readers:
        return item && item->CanRun == 0 ? kInstallText : kRunText;
    case CategoryCode::Drivers:
    case CategoryCode::Updates: return kInstallText;
    case CategoryCode::Movies:
    case CategoryCode::Installed: return kRunText;
    case CategoryCode::Settings: return kSwitchOnText;
    default: return std::nullopt;
    }
}

// A lit image belongs to the action under the pointer: leaving the action for another control,
// for the window's edge or for outside the window puts it out, so no lit image stands on an
// item that does not offer its action.
void TForm1::HideLitActions(const platform::TControl* pointed)
{
    const std::pair<TDIBImage*, TDIBImage*> actions[] = {
        { PlayDIBOff, PlayDIBImage },
        { StopDIBOff, StopDIBImage },
        { ReadmeDIBOff, ReadmeDIBImage },
        { WebDibOff, WebDIBImage },
    };
    for (auto [off, lit] : actions) {
        const bool underPointer = pointed && off->Visible() && (pointed == off || pointed == lit);
        if (!underPointer && lit->Visible())
            lit->Hide();
    }
}

void TForm1::FollowPointer(const platform::Event& event)
{
    switch (event.type) {
    case platform::EventType::MouseMove:
    case platform::EventType::MouseDown:
    case platform::EventType::MouseUp:
        HideLitActions(ControlAtPoint({ event.x, event.y }));
        break;
    case platform::EventType::MouseLeaveWindow:
        HideLitActions();
        break;
    default:
        break;
    }
}

void TForm1::PlayCoverMouseMove(platform::TObject*, platform::TShiftState, int, int)
{
    if (const std::optional<std::string> text = PlayHoverText())
        HelpLabel->SetCaption(*text);
    PlayDIBImage->Show();
}

void TForm1::StopCoverMouseMove(platform::TObject*, platform::TShiftState, int, int)
{
    HelpLabel->SetCaption(Category == CategoryCode::Settings ? kSwitchOffText : kUninstallText);
    StopDIBImage->Show();
}

void TForm1::PublishPointerHints(platform::MethodTable& table)
{
    for (const PointerHint& hint : PointerHints) {
        table.Add<void(platform::TObject*, platform::TShiftState, int, int)>(hint.handler,
            [this, hint](platform::TObject*, platform::TShiftState, int, int) {
                if (hint.text)
                    HelpLabel->SetCaption(hint.text);
                if (auto* lit = hint.lit ? dynamic_cast<platform::TControl*>(FindComponent(hint.lit)) : nullptr)
                    lit->Show();
                if (auto* unlit = hint.unlit ? dynamic_cast<platform::TControl*>(FindComponent(hint.unlit)) : nullptr)
                    unlit->Hide();
            });
    }
}
