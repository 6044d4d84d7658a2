#include "tools/demo/DemoForm.h"

#include "dib/template/cDIBTemplate.h"
#include "platform/avi/AviClip.h"
#include "platform/layout/LayoutReader.h"
#include "platform/resources/Resources.h"
#include "platform/text/Codepage.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

using namespace platform;

namespace {

std::string Cp1250(const char* utf8)
{
    return Utf8ToCp1250(utf8);
}

}

const ClassInfo& TDemoForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDemoForm>("TDemoForm", &TForm::StaticClass()).Build();
    return info;
}

TDemoForm::TDemoForm(TComponent* owner, std::unique_ptr<IWindowBackend> window)
    : TForm(owner)
{
    Methods().Add<void(TObject*)>("FormCreate", [this](TObject* s) { FormCreate(s); });
    Methods().Add<void(TObject*, uint16_t&, TShiftState)>("FormKeyDown", [this](TObject* s, uint16_t& k, TShiftState sh) { FormKeyDown(s, k, sh); });
    Methods().Add<void(TObject*, TMouseButton, TShiftState, int, int)>("BackgroundMouseDown",
        [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { BackgroundMouseDown(s, b, sh, x, y); });
    Methods().Add<void(TObject*)>("PictureClick", [this](TObject* s) { PictureClick(s); });
    Methods().Add<void(TObject*)>("TickTimerTimer", [this](TObject* s) { TickTimerTimer(s); });
    Methods().Add<void(TObject*)>("SpinnerStop", [this](TObject* s) { SpinnerStop(s); });
    Methods().AddField("Background", &Background);
    Methods().AddField("Picture", &Picture);
    Methods().AddField("TitleLabel", &TitleLabel);
    Methods().AddField("ClickLabel", &ClickLabel);
    Methods().AddField("TickLabel", &TickLabel);
    Methods().AddField("HelpLabel", &HelpLabel);
    Methods().AddField("Spinner", &Spinner);
    Methods().AddField("TickTimer", &TickTimer);
    Methods().Add<void(TObject*)>("LogoClick", [this](TObject* s) { LogoClick(s); });
    Methods().Add<void(TObject*)>("FadeTimerTimer", [this](TObject* s) { FadeTimerTimer(s); });
    Methods().AddField("DemoImages", &DemoImages);
    Methods().AddField("Stage", &Stage);
    Methods().AddField("MenuLabel1", &MenuLabel1);
    Methods().AddField("MenuLabel2", &MenuLabel2);
    Methods().AddField("MenuLabel3", &MenuLabel3);
    Methods().AddField("Logo", &Logo);
    Methods().AddField("FadeTimer", &FadeTimer);
    Methods().AddField("FrameImages", &FrameImages);
    Methods().AddField("FrameBorder", &FrameBorder);
    Methods().AddField("FramePalette", &FramePalette);
    Methods().AddField("FrameStage", &FrameStage);
    Methods().AddField("Mover", &Mover);
    Methods().AddField("Glow", &Glow);

    std::optional<std::string> layout = ResourceText("demo/demo.lay");
    if (!layout)
        throw std::runtime_error("the demo's layout is not in the program");
    // The layout's own classes, registered here so that the layout reads even where no code
    // names one of them and the linker has dropped its unit's static registration.
    for (const ClassInfo* info : { &TDIBBorder::StaticClass(), &TDIBContainer::StaticClass(), &TDIBFadeLabel::StaticClass(), &TDIBImage::StaticClass(),
             &TDIBImageList::StaticClass(), &TDIBPalette::StaticClass(), &TDIBTimer::StaticClass() })
        RegisterClass(*info);
    if (auto read = ReadLayout(*this, *layout, "demo.lay"); !read)
        throw Exception(read.Error().Message());
    if (window)
        SetWindow(std::move(window));
    DoCreate();
}

void TDemoForm::FormCreate(TObject*)
{
    std::vector<uint8_t> clip = MakeSpinnerClip();
    Spinner->LoadClip(clip);
    Spinner->Seek(1);
    PaintDemoLogo(DemoImages->DIBImages().Items(0)->DIB());
    PaintFramePieces(*FrameImages);
    FramePalette->SetPaletteEntries(DemoPaletteEntries());
    CenterOnScreen();
}

void TDemoForm::FormKeyDown(TObject*, uint16_t& key, TShiftState)
{
    if (key == VK_SPACE) {
        Spinner->SetActive(true);
        key = 0;
    } else if (key == 'T') {
        CopyGlowAsTemplate();
        key = 0;
    } else if (key == VK_ESCAPE) {
        Close();
        key = 0;
    }
}

void TDemoForm::BackgroundMouseDown(TObject*, TMouseButton button, TShiftState, int, int)
{
    if (button == TMouseButton::mbLeft)
        StartSystemMove();
}

void TDemoForm::PictureClick(TObject*)
{
    ++m_clicks;
    ClickLabel->SetCaption(Cp1250("Kliknutí: ") + std::to_string(m_clicks));
}

void TDemoForm::TickTimerTimer(TObject*)
{
    ++m_ticks;
    TickLabel->SetCaption(Cp1250("Tik: ") + std::to_string(m_ticks));
}

void TDemoForm::SpinnerStop(TObject*)
{
    HelpLabel->SetCaption(Cp1250("Animace dohrála. Esc ukončí ukázku."));
}

void TDemoForm::LogoClick(TObject*)
{
    // A shown logo fades out, a hidden one in.
    m_fadeStep = Logo->Opacity() > 127 ? -15 : 15;
    FadeTimer->SetEnabled(true);
}

void TDemoForm::FadeTimerTimer(TObject*)
{
    const int opacity = Logo->Opacity() + m_fadeStep;
    Logo->SetOpacity(opacity);
    if (opacity <= 0 || opacity >= 255)
        FadeTimer->SetEnabled(false);
}

void TDemoForm::CopyGlowAsTemplate()
{
    if (GlowCopy)
        return;
    TDIBMemoryStream stream;
    SaveDIBControlTemplate(*Glow, stream);
    stream.SetPosition(0);
    GlowCopy = new TDIBImage(this);
    GlowCopy->SetName("GlowCopy");
    GlowCopy->SetParent(Stage);
    GlowCopy->SetDIBImageList(DemoImages);
    GlowCopy->SetBounds(120, 24, 32, 32);
    LoadDIBControlTemplate(*GlowCopy, stream);
}

void PaintFramePieces(TDIBImageList& list)
{
    auto paint = [&](int index, int width, int height, auto pixel) {
        TMemoryDIB piece(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                piece.SetPixel(x, y, pixel(x, y));
        list.DIBImages().Items(index)->SetDIB(piece);
    };
    paint(0, 6, 6, [](int x, int y) { return (x + y) % 3 ? 0x00C08040u : 0x00FFE0A0u; });
    paint(1, 6, 8, [](int x, int y) { return 0x00302000u + uint32_t(x * 30) * 0x010100u + uint32_t(y * 8); });
    paint(2, 10, 6, [](int x, int y) { return 0x00204060u + uint32_t(y * 25) * 0x010101u + uint32_t(x * 9); });
    paint(3, 32, 32, [](int x, int y) { return ((x / 8 + y / 8) % 2 ? 0x0040A0E0u : 0x00E0E040u) + uint32_t(x + y); });
}

std::array<TDIBPaletteEntry, TDIBPalette::EntryCount> DemoPaletteEntries()
{
    std::array<TDIBPaletteEntry, TDIBPalette::EntryCount> entries = TDIBPalette::GreyRamp();
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries[i++] = { uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0 };
    return entries;
}

void PaintDemoLogo(TAbstractSuperDIB& dib)
{
    constexpr int side = 48;
    dib.SetSize(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double dx = x - 23.5, dy = y - 23.5;
            const double r = std::sqrt(dx * dx + dy * dy);
            const uint32_t light = static_cast<uint32_t>(std::clamp(255 - r * 6, 60.0, 255.0));
            dib.SetPixel(x, y, r < 22 ? (light << 16) | ((light / 2) << 8) | 0x20 : 0xFF00FF);
        }
    dib.SetTransparent(true);
    dib.Changed();
}

std::vector<uint8_t> MakeSpinnerClip()
{
    constexpr int side = 64;
    constexpr int frames = 12;
    Rle8ClipSource source;
    source.width = side;
    source.height = side;
    source.microSecPerFrame = 80000;
    source.palette = { 0x00202030, 0x0000C0FF, 0x00FFA020, 0x00404060 };
    for (int f = 0; f < frames; ++f) {
        std::vector<uint8_t> frame(side * side, 0);
        double angle = f * 3.14159265358979 / frames;
        double c = std::cos(angle), s = std::sin(angle);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                double dx = x - 31.5, dy = y - 31.5;
                double along = dx * c + dy * s, across = -dx * s + dy * c;
                double r = std::sqrt(dx * dx + dy * dy);
                uint8_t index = 0;
                if (r > 28 && r < 31)
                    index = 3;
                if (std::abs(across) < 4 && std::abs(along) < 26)
                    index = along > 0 ? 1 : 2;
                frame[y * side + x] = index;
            }
        source.frames.push_back(std::move(frame));
    }
    return WriteRle8Avi(source);
}
