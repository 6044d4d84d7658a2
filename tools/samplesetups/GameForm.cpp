#include "tools/samplesetups/GameForm.h"

#include "platform/text/Codepage.h"

using namespace platform;

const ClassInfo& TGameForm::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TGameForm>("TGameForm", &TForm::StaticClass()).Build();
    return info;
}

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 200;

TLabel* MakeLabel(TForm& form, const std::string& caption, int top, int height, int size, TColor color)
{
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetAlignment(TAlignment::taCenter);
    label->SetBounds(0, top, kWidth, height);
    label->SetTransparent(true);
    label->Font().SetName("Tahoma");
    label->Font().SetSize(size);
    label->Font().SetColor(color);
    label->SetCaption(caption);
    return label;
}

}

TGameForm::TGameForm(TComponent* owner, std::unique_ptr<IWindowBackend> window, const std::string& title, uint32_t closeAfterMs)
    : TForm(owner)
{
    SetBounds(0, 0, kWidth, kHeight);
    SetColor(0x00302018);
    SetCaption(title);
    SetKeyPreview(true);
    TitleLabel = MakeLabel(*this, title, 60, 48, 20, 0x0040D0FF);
    HelpLabel = MakeLabel(*this, Utf8ToCp1250("Ukázková hra z disku Torva. Esc nebo klepnutí ji ukončí."), 130, 24, 9, 0x00C0C0C0);
    CloseTimer = new TTimer(this);
    CloseTimer->SetInterval(closeAfterMs);
    CloseTimer->SetOnTimer([this](TObject* sender) { CloseTimerTimer(sender); });
    CloseTimer->SetEnabled(true);
    OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
        if (key == VK_ESCAPE)
            Close();
    };
    OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Close(); };
    if (window)
        SetWindow(std::move(window));
    DoCreate();
    CenterOnScreen();
}

void TGameForm::CloseTimerTimer(TObject*)
{
    CloseTimer->SetEnabled(false);
    Close();
}
