// The detail view of the selected entry.

#include "menu/form/DetailView.h"

#include "menu/form/LayoutControls.h"
#include "menu/MenuState.h"

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

// Colour of the help line (0x00BBGGRR).
constexpr TColor HelpTextColor = 0x2B322F;

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

DetailView::DetailView(MenuState& model, const platform::TComponent& form)
    : m_model(model)
    , m_name(LayoutControl<platform::TLabel>(form, "NameLabel"))
    , m_firm(LayoutControl<platform::TLabel>(form, "FirmLabel"))
    , m_text(LayoutControl<platform::TLabel>(form, "TextLabel"))
    , m_help(LayoutControl<platform::TLabel>(form, "HelpLabel"))
    , m_codecNote(LayoutControl<platform::TLabel>(form, "Label2"))
    , m_frame(LayoutControl<platform::TImage>(form, "PicImage"))
    , m_smallPicture(LayoutControl<TDIBImage>(form, "DIBImage4"))
    , m_pictures(LayoutControl<TDIBImageList>(form, "DIBImageList2"))
    , m_playable(LayoutControl<platform::TImage>(form, "Flag_Playable"))
    , m_unplayable(LayoutControl<platform::TImage>(form, "Flag_Unplayable"))
    , m_czech(LayoutControl<platform::TImage>(form, "Flag_CZ"))
    , m_network(LayoutControl<platform::TImage>(form, "Flag_Net"))
    , m_threeD(LayoutControl<platform::TImage>(form, "Flag_3D"))
    , m_play { ActionButton(form, "PlayDIBOff", "PlayDIBImage") }
    , m_stop { ActionButton(form, "StopDIBOff", "StopDIBImage") }
    , m_readme { ActionButton(form, "ReadmeDIBOff", "ReadmeDIBImage") }
    , m_web { ActionButton(form, "WebDibOff", "WebDIBImage") }
    , m_hintImages { LayoutControl<platform::TImage>(form, "Image2"), LayoutControl<platform::TImage>(form, "Image13"),
        LayoutControl<platform::TImage>(form, "Image11"), LayoutControl<platform::TImage>(form, "Image10") }
{
}

DetailView::Action DetailView::ActionButton(const platform::TComponent& form, const std::string& off, const std::string& lit)
{
    return { LayoutControl<TDIBImage>(form, off), LayoutControl<TDIBImage>(form, lit) };
}

void DetailView::PrepareHelpLine()
{
    m_help->Font().SetColor(HelpTextColor);
}

const std::string& DetailView::Help() const
{
    return m_help->Caption();
}

void DetailView::SetHelp(const std::string& text)
{
    m_help->SetCaption(text);
}

// An empty category has no item to describe: the view stays as the page change blanked it
// rather than showing the zeroed slot 1 (whose missing picture would raise an error box).
void DetailView::Show()
{
    HideLitActions();
    if (m_model.Category() == CategoryCode::Settings)
        ShowSetting();
    else if (m_model.ItemIndex() >= 1 && m_model.ItemIndex() <= m_model.Count())
        ShowSelected();
}

void DetailView::ShowSelected()
{
    const DiscCatalogue& catalogue = m_model.Catalogue;
    const int32_t i = m_model.ItemIndex();
    const int32_t language = m_model.Context.Language;
    ShowOffered();
    switch (m_model.Category()) {
    case CategoryCode::Demos:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
    case CategoryCode::Extra:
    case CategoryCode::Shareware: {
        const TDemos& item = *m_model.SelectedItem();
        const bool named = m_model.Category() == CategoryCode::Extra;
        m_name->SetCaption(named ? item.Name : item.FullName.empty() ? item.Title
                                                                     : item.FullName);
        m_firm->SetCaption(item.Firm);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        if (m_model.Category() != CategoryCode::Shareware)
            DoFlags(item.Flags);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Drivers: {
        const TDemos& item = catalogue.Drivers[i];
        m_name->SetCaption(item.Name);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Updates: {
        const TUpdate& item = catalogue.Updates[i];
        m_name->SetCaption(item.Name + " " + item.Subtitle);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Readers: {
        const TDemos& item = catalogue.Readers[i];
        m_name->SetCaption(item.Name);
        m_firm->SetCaption(item.Firm);
        if (language == 1)
            m_text->SetCaption(item.Describe);
        else if (language == 4)
            m_text->SetCaption(item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Shots: {
        const TShot& item = catalogue.Shots[i];
        m_name->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
        m_firm->SetCaption(item.Firm);
        ShowDescription(item.Describe0, item.Describe, item.Describe4);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Movies: {
        const TMovies& item = catalogue.Movies[i];
        m_name->SetCaption(item.FullName.empty() ? item.Name : item.FullName);
        m_firm->SetCaption(item.Firm);
        if (language == 0)
            m_text->SetCaption(item.Describe0);
        else if (language >= 1 && language <= 6)
            m_text->SetCaption(item.Describe);
        ShowFrame(item.Picture);
        break;
    }
    case CategoryCode::Installed: {
        const TDemos& item = catalogue.InstalledList[i];
        m_name->SetCaption(platform::UpperCaseCp1250(item.Name));
        m_firm->SetCaption(item.TechInfo);
        ShowFrame(item.Picture);
        break;
    }
    default: break;
    }
    if (const std::optional<std::string>& picture = m_model.SmallPicture())
        LoadSmallPicture(*picture);
}

void DetailView::ShowOffered()
{
    const OfferedActions& offered = m_model.Offered();
    m_play.off->SetVisible(offered.play);
    m_stop.off->SetVisible(offered.stop);
    m_readme.off->SetVisible(offered.readme);
    m_web.off->SetVisible(offered.web);
}

void DetailView::ShowDescription(const std::string& short0, const std::string& main, const std::string& second4)
{
    if (const std::string* text = DescriptionFor(m_model.Context.Language, short0, main, second4))
        m_text->SetCaption(*text);
}

void DetailView::ShowFrame(const std::string& picture)
{
    m_frame->SetVisible(HasPicture(picture));
}

void DetailView::DoFlags(int32_t flags)
{
    m_threeD->Hide();
    m_czech->Hide();
    m_unplayable->Hide();
    if (m_model.Category() == CategoryCode::Demos || m_model.Category() == CategoryCode::Extra2)
        m_playable->Show();
    const bool network = flags >= NetworkPlayFlag && flags <= NetworkPlayFlag + int32_t(ItemOffer::Czech);
    switch (static_cast<ItemOffer>(network ? flags - NetworkPlayFlag : flags)) {
    case ItemOffer::ThreeD:
    case ItemOffer::ThreeDToo: m_threeD->Show(); break;
    case ItemOffer::Czech: m_czech->Show(); break;
    case ItemOffer::Unplayable:
        m_unplayable->Show();
        m_playable->Hide();
        break;
    default: break;
    }
    m_network->SetVisible(network);
}

void DetailView::LoadSmallPicture(const std::string& picture)
{
    if (picture.empty()) {
        m_smallPicture->Hide();
        return;
    }
    const bool gallery = m_model.HasGallery();
    m_smallPicture->SetOpacity(gallery ? kSmallPictureOpacityGallery : kSmallPictureOpacityPlain);
    m_smallPicture->SetStretch(false);
    m_smallPicture->Show();
    if (const int32_t cached = m_model.CachedPicture(picture)) {
        m_smallPicture->IndexMain().SetDIBIndex(cached);
        return;
    }
    const int32_t k = m_model.NextPictureEntry();
    TDIBImagesItem* image = m_pictures->DIBImages().Items(k);
    image->DIB().LoadPictureFile(m_model.Context.DataDir + "Small\\" + (gallery ? picture + "01" : picture) + ".bmp");
    image->SetDisplayName(picture);
    m_smallPicture->IndexMain().SetDIBIndex(k);
    m_model.RememberPicture(picture, k);
}

void DetailView::ShowSetting()
{
    const int32_t i = m_model.ItemIndex();
    if (i != 1 && i != 2)
        return;
    const bool on = (i == 1 ? m_model.Settings().enhanced : m_model.Settings().slow) == 1;
    m_text->SetCaption(SettingTexts[i - 1]);
    m_name->SetCaption(on ? "STATUS: ZAPNUTO" : "STATUS: VYPNUTO");
    ShowOffered();
}

void DetailView::SettingSwitched(bool on)
{
    ShowSetting();
    const Action& pressed = on ? m_play : m_stop;
    pressed.lit->Hide();
    pressed.off->Hide();
}

void DetailView::Blank()
{
    m_firm->SetCaption("");
    m_name->SetCaption("");
    for (const Action* action : { &m_play, &m_stop, &m_readme, &m_web })
        action->off->Hide();
    m_playable->Hide();
    m_unplayable->Hide();
    m_czech->Hide();
    m_network->Hide();
    m_threeD->Hide();
    m_codecNote->Hide();
}

void DetailView::ShowPageLook(const PageKind& kind, const std::string& text)
{
    if (kind.look & ChecksItems)
        m_text->Show();
    if (kind.text)
        m_text->SetCaption(text);
    if (kind.look & OpaquePicture)
        m_smallPicture->SetOpacity(255);
    m_smallPicture->SetVisible(kind.look & ShowsPicture);
    if (kind.look & ShowsUnplayable)
        m_unplayable->Show();
    if (kind.look & ShowsCodecNote)
        m_codecNote->Show();
}

void DetailView::ShowInstalledPageLook(const std::string& text)
{
    m_text->SetCaption(text);
    m_smallPicture->SetVisible(false);
}

void DetailView::ShowSettingsPageLook()
{
    m_smallPicture->Hide();
    m_text->SetCaption("");
    m_frame->Hide();
}
std::optional<std::string> DetailView::PlayHoverText()
{
    const TDemos* item = m_model.SelectedItem();
    switch (m_model.Category()) {
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
void DetailView::HideLitActions(const platform::TControl* pointed)
{
    for (const Action* action : { &m_play, &m_stop, &m_readme, &m_web }) {
        const bool underPointer = pointed && action->off->Visible() && (pointed == action->off || pointed == action->lit);
        if (!underPointer && action->lit->Visible())
            action->lit->Hide();
    }
}

void DetailView::ClearHints()
{
    m_help->SetCaption("");
    for (const Action* action : { &m_readme, &m_stop, &m_play, &m_web })
        action->lit->Hide();
    for (platform::TImage* image : m_hintImages)
        image->Hide();
}

void DetailView::PlayHover()
{
    if (const std::optional<std::string> text = PlayHoverText())
        m_help->SetCaption(*text);
    m_play.lit->Show();
}

void DetailView::StopHover()
{
    m_help->SetCaption(m_model.Category() == CategoryCode::Settings ? kSwitchOffText : kUninstallText);
    m_stop.lit->Show();
}

void DetailView::PublishPointerHints(platform::MethodTable& table, std::function<DetailView&()> view,
    std::function<platform::TComponent*(const char*)> find)
{
    for (const PointerHint& hint : PointerHints) {
        table.Add<void(platform::TObject*, platform::TShiftState, int, int)>(hint.handler,
            [view, find, hint](platform::TObject*, platform::TShiftState, int, int) {
                if (hint.text)
                    view().m_help->SetCaption(hint.text);
                if (auto* lit = hint.lit ? dynamic_cast<platform::TControl*>(find(hint.lit)) : nullptr)
                    lit->Show();
                if (auto* unlit = hint.unlit ? dynamic_cast<platform::TControl*>(find(hint.unlit)) : nullptr)
                    unlit->Hide();
            });
    }
}
