// The window's stored layout: binding its handlers by name, reading it, and putting the embedded
// artwork into its pictures, image lists and shaper.

#include "menu/form/main_f.h"

#include "menu/form/ItemOpening.h"
#include "menu/form/LayoutControls.h"

#include "dib/image/cDIBFadeLabel.h"
#include "dib/imagelist/cDIBFormShaper.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/control/cDIBPanel.h"
#include "dib/imagelist/cDIBTimer.h"
#include "dib/surface/DIBData.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"
#include "platform/bytes/ByteReader.h"
#include "platform/layout/LayoutReader.h"
#include "platform/picture/Picture.h"
#include "platform/process/Process.h"
#include "platform/resources/Resources.h"
#include "resources/ArtworkNames.h"

#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* LayoutResource = "main_f.lay";

template <class... Args>
void BindMethod(platform::MethodTable& table, TForm1* form, const char* name, void (TForm1::*method)(Args...))
{
    table.Add<void(Args...)>(name, [form, method](Args... args) { (form->*method)(std::forward<Args>(args)...); });
}

void AddNotify(platform::MethodTable& table, const std::string& name, std::function<void()> action)
{
    table.Add<void(platform::TObject*)>(name, [action = std::move(action)](platform::TObject*) { action(); });
}

void AddMouseMove(platform::MethodTable& table, const std::string& name, std::function<void(platform::TObject*, int, int)> action)
{
    table.Add<void(platform::TObject*, platform::TShiftState, int, int)>(name,
        [action = std::move(action)](platform::TObject* sender, platform::TShiftState, int x, int y) { action(sender, x, y); });
}

// The numbered families' handlers take the number. Names match without regard to case, as the
// layout writes DibSection7 and DibSection9.
void PublishNumberedHandlers(platform::MethodTable& table, TForm1& form)
{
    for (int n = 1; n <= 10; ++n) {
        const std::string number = std::to_string(n);

        // The first row's handler is spelt differently in the stored form.
        AddNotify(table, n == 1 ? "DemosLabel1_Click" : "DemosLabel" + number + "Click", [&form, n] { form.ShowChange(form.Model.SelectRow(n - 1)); });
        // An icon and its caption both switch to the icon's page.
        AddNotify(table, "DIBSection" + number + "Click", [&form, n] { form.MainButtonClick(n); });
        AddNotify(table, "Animate" + number + "Start", [&form, n] { form.Animations->Player(n)->Show(); });
        // Hovering a caption moves the markers but does not light its icon.
        AddMouseMove(table, "IconLabel" + number + "MouseMove",
            [&form](platform::TObject* sender, int x, int y) { form.Icons->MoveArrows(sender, x, y); });
        // Pointing at an icon moves the markers and lights it; the first six handlers keep the
        // stored form's older names. The last slot lights its icon without moving the markers,
        // as the stored form has it.
        AddMouseMove(table, (n <= 6 ? "IconImage" : "DIBSection") + number + "MouseMove",
            [&form, n](platform::TObject* sender, int x, int y) {
                if (n != 10)
                    form.Icons->MoveArrows(sender, x, y);
                form.Icons->Light(form.Model.PointIcon(n));
            });
    }
    // The fifth player's end starts the sixth; the ninth's end does nothing.
    AddNotify(table, "Animate5Stop", [&form] { form.Animations->Player(6)->Show(); });
    AddNotify(table, "Animate9Stop", [] {});
}

std::span<const uint8_t> RequireResource(std::string_view name)
{
    auto bytes = platform::FindResource(name);
    if (!bytes)
        throw platform::Exception("The menu's resource " + std::string(name) + " is not in the program");
    return *bytes;
}

// The artwork is stored as raw surface streams (dib/surface/DIBData.h): the exact size is
// checked here, since a resource with bytes to spare was built wrongly.
using dibstream::RawHeightOffset;
using dibstream::RawPixelsOffset;
using dibstream::RawWidthOffset;

struct RawPicture {
    int width = 0;
    int height = 0;
    std::span<const uint8_t> pixels;
};

RawPicture ParseRawPicture(std::string_view name, std::span<const uint8_t> bytes)
{
    if (bytes.size() < RawPixelsOffset)
        throw platform::Exception("The menu's resource " + std::string(name) + " is not a picture");
    platform::ByteReader fields(bytes);
    RawPicture picture { fields.U16(RawWidthOffset), fields.U16(RawHeightOffset), {} };
    size_t pixelBytes = size_t(picture.width) * size_t(picture.height) * 4;
    if (bytes.size() - RawPixelsOffset != pixelBytes)
        throw platform::Exception("The menu's resource " + std::string(name) + " does not hold the pixels it announces");
    picture.pixels = bytes.subspan(RawPixelsOffset, pixelBytes);
    return picture;
}

// A raw picture as the bytes of a 32-bit Windows bitmap file, which is what picture controls
// load.
std::vector<uint8_t> BitmapFileOf(const RawPicture& picture)
{
    std::vector<uint8_t> file = platform::BitmapHeaders(picture.width, picture.height, 32);
    file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
    return file;
}

// The pixels go into the item's surface; the drawing properties the layout gave it stay.
void FillImageListItem(TDIBImagesItem& item, std::string_view name, std::span<const uint8_t> bytes)
{
    RawPicture picture = ParseRawPicture(name, bytes);
    TMemoryDIB& dib = item.DIB();
    dib.SetSize(picture.width, picture.height);
    if (!picture.pixels.empty())
        std::memcpy(dib.Bits(), picture.pixels.data(), picture.pixels.size());
    dib.Changed();
}

// The classes of the layout's objects beyond the standard ones. Registering them here keeps the
// layout readable when no code names one of them: the linker drops a unit, and its own static
// registration with it, when nothing in the program refers to it.
void RegisterLayoutClasses()
{
    for (const platform::ClassInfo* info : { &TDIBContainer::StaticClass(), &TDIBFadeLabel::StaticClass(), &TDIBFormShaper::StaticClass(),
             &TDIBImage::StaticClass(), &TDIBImageList::StaticClass(), &TDIBTimer::StaticClass(), &TQXShellLink::StaticClass() })
        platform::RegisterClass(*info);
}

std::string_view ControlNameOf(std::string_view resource)
{
    resource.remove_prefix(resource.find('/') + 1);
    return resource.substr(0, resource.rfind('.'));
}

}

void TForm1::PublishMethods()
{
    platform::MethodTable& table = Methods();
#define TORVA_BIND(name) BindMethod(table, this, #name, &TForm1::name)
    TORVA_BIND(FormCreate);
    TORVA_BIND(FormShow);
    TORVA_BIND(FormDestroy);
    TORVA_BIND(FormKeyDown);
    PublishNumberedHandlers(table, *this);
    DetailView::PublishPointerHints(
        table, [this]() -> DetailView& { return *Detail; }, [this](const char* name) { return FindComponent(name); });

    AddMouseMove(table, "ScreenImageMouseMove", [this](platform::TObject* sender, int x, int y) { PointAway(sender, x, y); });
    AddMouseMove(table, "PlayCoverMouseMove", [this](platform::TObject*, int, int) { Detail->PlayHover(); });
    AddMouseMove(table, "StopCoverMouseMove", [this](platform::TObject*, int, int) { Detail->StopHover(); });
    AddNotify(table, "PlayDIBImageClick", [this] { ActionClick(MenuAction::Play); });
    AddNotify(table, "StopDIBImageClick", [this] { ActionClick(MenuAction::Stop); });
    AddNotify(table, "ReadmeDIBImageClick", [this] { ActionClick(MenuAction::Readme); });
    AddNotify(table, "WebDIBImageClick", [this] { ActionClick(MenuAction::Web); });
    AddNotify(table, "Timer1Timer", [this] { Model.PollSetup(); });
    // The connect picture, and the debug labels: read the catalogue again, show its file.
    AddNotify(table, "Image15Click", [this] { Model.OpenSignUp(); });
    AddNotify(table, "DebugLabel1Click", [this] { LoadCatalogue(); });
    AddNotify(table, "DebugLabel2Click", [this] { Model.OpenCatalogueFile(); });
    AddNotify(table, "Image12Click", [this] { SetSettingsPage(); });
    // The list buttons under and over the list.
    AddNotify(table, "Image1Click", [this] { ShowChange(Model.ListButton(true)); });
    AddNotify(table, "Image3Click", [this] { ShowChange(Model.ListButton(false)); });

    // The small picture glows under the pointer and opens the viewer; a right click on the
    // picture or the overlay closes it. The layout binds the glow timers crosswise: DIBTimer1
    // runs DIBTimer2Timer, which brightens.
    AddNotify(table, "DIBImage4Click", [this] { Viewer->Open(); });
    table.Add<void(platform::TObject*)>("DIBImage4MouseEnter", [this](platform::TObject* sender) {
        PointAway(sender, 0, 0);
        Viewer->Glow(true);
    });
    AddNotify(table, "DIBImage4MouseLeave", [this] { Viewer->Glow(false); });
    AddNotify(table, "DIBTimer2Timer", [this] { Viewer->GlowUpTick(); });
    AddNotify(table, "DIBTimer1Timer", [this] { Viewer->GlowDownTick(); });
    AddNotify(table, "DIBTimer3Timer", [this] { Viewer->FadeInTick(); });
    AddNotify(table, "DIBTimer4Timer", [this] { Viewer->FadeOutTick(); });
    AddNotify(table, "LeftArrowClick", [this] { Viewer->Step(-1); });
    AddNotify(table, "RightArrowClick", [this] { Viewer->Step(1); });
    table.Add<void(platform::TObject*, platform::TMouseButton, platform::TShiftState, int, int)>("DIBImage1MouseDown",
        [this](platform::TObject*, platform::TMouseButton button, platform::TShiftState, int, int) {
            if (button == platform::TMouseButton::mbRight)
                Viewer->Close();
        });

    // The layout binds the two scroll timers crosswise: ScrollUpTimer (started by the top zone)
    // runs ScrollDownTimerTimer, ScrollDownTimer (the bottom zone) the other.
    AddNotify(table, "ScrollDownTimerTimer", [this] { Icons->ScrollDownTick(); });
    AddNotify(table, "ScrollUpTimerTimer", [this] { Icons->ScrollUpTick(); });
    AddMouseMove(table, "UpMouseMove", [this](platform::TObject* sender, int x, int y) { Icons->PointScrollZone(true, sender, x, y); });
    AddMouseMove(table, "DownMouseMove", [this](platform::TObject* sender, int x, int y) { Icons->PointScrollZone(false, sender, x, y); });
    AddMouseMove(table, "DIBImage4MouseMove", [this](platform::TObject* sender, int x, int y) { Icons->MoveArrows(sender, x, y); });
    // The side animations begin a while after the window shows.
    AddNotify(table, "StartTimerTimer", [this] { Animations->Begin(); });
    AddNotify(table, "AnimationTimerTimer", [this] { Animations->Tick(); });
    // The quit button.
    AddNotify(table, "Image2Click", [this] { AskToLeave(*this); });
    // Bound to the bottom scroll zone in the stored form; clicking it does nothing.
    AddNotify(table, "Image6Click", [] {});
    // The form's wheel events are bound crosswise: OnMouseWheelDown runs FormMouseWheelUp.
    for (bool down : { true, false })
        table.Add<void(platform::TObject*, platform::TShiftState, TPoint, bool&)>(down ? "FormMouseWheelUp" : "FormMouseWheelDown",
            [this, down](platform::TObject*, platform::TShiftState, TPoint at, bool&) { WheelRolled(down, at); });
    // The window has no caption: a left press on its background drags it instead.
    for (const char* background : { "Image4MouseDown", "Image14MouseDown" })
        table.Add<void(platform::TObject*, platform::TMouseButton, platform::TShiftState, int, int)>(background,
            [this](platform::TObject*, platform::TMouseButton button, platform::TShiftState, int, int) {
                if (button == platform::TMouseButton::mbLeft)
                    StartSystemMove();
            });
#undef TORVA_BIND
}

void TForm1::CreateWindowLayout()
{
    PublishMethods();
    auto text = platform::ResourceText(LayoutResource);
    if (!text)
        throw platform::Exception(std::string("The menu's resource ") + LayoutResource + " is not in the program");
    RegisterLayoutClasses();
    // The layout is built into the program, so a refusal is the program's fault.
    if (auto read = platform::ReadLayout(*this, *text, LayoutResource); !read)
        throw platform::Exception(read.Error().Message());
    AttachArtwork();
    MakeViews();
    Model.Launcher().WatchDocumentOpeners();
    DoCreate();
}

void TForm1::AttachArtwork()
{
    for (const artwork::ArtPicture& art : artwork::FormPictures) {
        std::span<const uint8_t> bytes = RequireResource(art.resource);
        std::string name(ControlNameOf(art.resource));
        platform::TComponent* component = FindComponent(name);
        if (auto* image = dynamic_cast<platform::TImage*>(component)) {
            if (art.format == artwork::ArtFormat::RawDib)
                image->Picture().LoadFromBytes(BitmapFileOf(ParseRawPicture(art.resource, bytes)));
            else
                image->Picture().LoadFromBytes(bytes);
        } else if (auto* shaper = dynamic_cast<TDIBFormShaper*>(component)) {
            shaper->Bitmap().LoadFromBytes(bytes);
        } else {
            throw platform::Exception("The menu's picture " + std::string(art.resource) + " has no control of that name");
        }
    }

    auto fillList = [](TDIBImageList& list, const std::string& folder) {
        for (int i = 0; i < list.DIBImages().Count(); ++i) {
            std::string resource = folder + std::to_string(i) + ".dib";
            FillImageListItem(*list.DIBImages().Items(i), resource, RequireResource(resource));
        }
    };
    for (const char* list : { "DIBImageList1", "DIBImageList2" })
        fillList(*LayoutControl<TDIBImageList>(*this, list), std::string("art/") + list + "/");
}
