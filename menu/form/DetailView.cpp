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

// The settings page's two entries.
const char* const SettingTexts[2] = {
    "Zap\xEDn\xE1 okrajov\xFD panel a jeho animace. Vy\x9E"
    "aduje restart aplikace.",
    "Pro pomalej\x9A\xED po\xE8\xEDta\xE8"
    "e. Vypne n\xECkter\xE9 speci\xE1ln\xED efekty (pr\xF9hlednost obr\xE1zk\xF9).",
};

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
    return !picture.empty() && picture != "NUL";
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
    const int32_t count = Model.Count();
    if (Model.Category() == CategoryCode::Settings)
        SetSettings();
    else if (Model.ItemIndex() >= 1 && Model.ItemIndex() <= count)
        ShowSelectedItem();
    PositionLabel->SetCaption(count != 0 ? std::to_string(Model.ItemIndex()) + " z " + std::to_string(count) : std::string());
}

void TForm1::ShowSelectedItem()
{
    const DiscCatalogue& catalogue = Model.Catalogue;
    const int32_t i = Model.ItemIndex();
    const int32_t language = Model.Context.Language;
    ShowOffered();
    switch (Model.Category()) {
    case CategoryCode::Demos:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
    case CategoryCode::Extra:
    case CategoryCode::Shareware: {
        const TDemos& item = *Model.SelectedItem();
        const bool named = Model.Category() == CategoryCode::Extra;
        NameLabel->SetCaption(named ? item.Name : item.FullName.empty() ? item.Title
                                                                        : item.FullName);
        FirmLabel->SetCaption(item.Firm);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        if (Model.Category() != CategoryCode::Shareware)
            DoFlags(item.Flags);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Drivers: {
        const TDemos& item = catalogue.Drivers[i];
        NameLabel->SetCaption(item.Name);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Updates: {
        const TUpdate& item = catalogue.Updates[i];
        NameLabel->SetCaption(item.Name + " " + item.Subtitle);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Readers: {
        const TDemos& item = catalogue.Readers[i];
        NameLabel->SetCaption(item.Name);
        FirmLabel->SetCaption(item.Firm);
        if (language == 1)
            TextLabel->SetCaption(item.Describe);
        else if (language == 4)
            TextLabel->SetCaption(item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Shots: {
        const TShot& item = catalogue.Shots[i];
        NameLabel->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
        FirmLabel->SetCaption(item.Firm);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Movies: {
        const TMovies& item = catalogue.Movies[i];
        NameLabel->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
        FirmLabel->SetCaption(item.Firm);
        if (language == 0)
            TextLabel->SetCaption(item.Describe0);
        else if (language >= 1 && language <= 6)
            TextLabel->SetCaption(item.Describe);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Installed: {
        const TDemos& item = catalogue.InstalledList[i];
        NameLabel->SetCaption(platform::UpperCaseCp1250(item.Name));
        FirmLabel->SetCaption(item.TechInfo);
        ShowFrame(item.Picture);
        break;
    }
    default: break;
    }
    if (const std::optional<std::string>& picture = Model.SmallPicture())
        LoadSmallPicture(*picture);
}

// The off images stand while their action is offered; their lit images take the clicks.
void TForm1::ShowOffered()
{
    const OfferedActions& offered = Model.Offered();
    PlayDIBOff->SetVisible(offered.play);
    StopDIBOff->SetVisible(offered.stop);
    ReadmeDIBOff->SetVisible(offered.readme);
    WebDibOff->SetVisible(offered.web);
}

void TForm1::ShowDescription(const std::string& short0, const std::string& main, const std::string& second4)
{
    if (const std::string* text = DescriptionFor(Model.Context.Language, short0, main, second4))
        TextLabel->SetCaption(*text);
}

void TForm1::ShowFrame(const std::string& picture)
{
    PicImage->SetVisible(HasPicture(picture));
}

void TForm1::DoFlags(int32_t flags)
{
    Flag_3D->Hide();
    Flag_CZ->Hide();
    Flag_Unplayable->Hide();
    if (Model.Category() == CategoryCode::Demos || Model.Category() == CategoryCode::Extra2)
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

// The model says which entry of the image list holds the picture, or the entry it goes to.
void TForm1::LoadSmallPicture(const std::string& picture)
{
    if (picture.empty()) {
        DIBImage4->Hide();
        return;
    }
    const bool gallery = Model.HasGallery();
    DIBImage4->SetOpacity(gallery ? kSmallPictureOpacityGallery : kSmallPictureOpacityPlain);
    DIBImage4->SetStretch(false);
    DIBImage4->Show();
    if (const int32_t cached = Model.CachedPicture(picture)) {
        DIBImage4->IndexMain().SetDIBIndex(cached);
        return;
    }
    const int32_t k = Model.NextPictureEntry();
    TDIBImagesItem* image = DIBImageList2->DIBImages().Items(k);
    image->DIB().LoadPictureFile(Model.Context.DataDir + "Small\\" + (gallery ? picture + "01" : picture) + ".bmp");
    image->SetDisplayName(picture);
    DIBImage4->IndexMain().SetDIBIndex(k);
    Model.RememberPicture(picture, k);
}

void TForm1::SetSettings()
{
    const int32_t i = Model.ItemIndex();
    if (i != 1 && i != 2)
        return;
    const bool on = (i == 1 ? Model.Settings().enhanced : Model.Settings().slow) == 1;
    TextLabel->SetCaption(SettingTexts[i - 1]);
    NameLabel->SetCaption(on ? "STATUS: ZAPNUTO" : "STATUS: VYPNUTO");
    ShowOffered();
}

void TForm1::SetOff()
{
    FirmLabel->SetCaption("");
    NameLabel->SetCaption("");
    PlayDIBOff->Hide();
    StopDIBOff->Hide();
    ReadmeDIBOff->Hide();
    WebDibOff->Hide();
    Flag_Playable->Hide();
    Flag_Unplayable->Hide();
    Flag_CZ->Hide();
    Flag_Net->Hide();
    Flag_3D->Hide();
    Label2->Hide();
}

std::optional<std::string> TForm1::PlayHoverText()
{
    const TDemos* item = Model.SelectedItem();
    switch (Model.Category()) {
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
    HelpLabel->SetCaption(Model.Category() == CategoryCode::Settings ? kSwitchOffText : kUninstallText);
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
