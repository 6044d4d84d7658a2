#pragma once

// The demonstration form: a stored layout with a picture, labels, a timer and an animation,
// wired to a few handlers, to show the platform layer working as a whole.

#include "dib/border/cDIBBorder.h"
#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/palette/cDIBPalette.h"
#include "dib/control/cDIBPanel.h"
#include "dib/imagelist/cDIBTimer.h"
#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"

#include <array>
#include <cstdint>
#include <memory>

class TDemoForm : public platform::TForm {
    TORVA_CLASS(TDemoForm)
public:
    TDemoForm(platform::TComponent* owner, std::unique_ptr<platform::IWindowBackend> window);

    platform::TPanel* Background = nullptr;
    platform::TImage* Picture = nullptr;
    platform::TLabel* TitleLabel = nullptr;
    platform::TLabel* ClickLabel = nullptr;
    platform::TLabel* TickLabel = nullptr;
    platform::TLabel* HelpLabel = nullptr;
    platform::TAnimate* Spinner = nullptr;
    platform::TTimer* TickTimer = nullptr;
    // The DIB stage: labels that fade back after the pointer leaves, and a picture that fades
    // in at start and out and in again on each click.
    TDIBImageList* DemoImages = nullptr;
    TDIBContainer* Stage = nullptr;
    TDIBFadeLabel* MenuLabel1 = nullptr;
    TDIBFadeLabel* MenuLabel2 = nullptr;
    TDIBFadeLabel* MenuLabel3 = nullptr;
    TDIBImage* Logo = nullptr;
    TDIBTimer* FadeTimer = nullptr;
    // The framed stage: a border of stretched and tiled pieces, a picture that can be dragged,
    // one that lights up under the pointer and that T copies as a template into the other
    // stage, and the palette an 8-bit display shows everything through.
    TDIBImageList* FrameImages = nullptr;
    TDIBBorder* FrameBorder = nullptr;
    TDIBPalette* FramePalette = nullptr;
    TDIBContainer* FrameStage = nullptr;
    TDIBImage* Mover = nullptr;
    TDIBImage* Glow = nullptr;
    TDIBImage* GlowCopy = nullptr;

    int Clicks() const { return m_clicks; }
    int Ticks() const { return m_ticks; }

private:
    void FormCreate(platform::TObject* sender);
    void FormKeyDown(platform::TObject* sender, uint16_t& key, platform::TShiftState shift);
    void BackgroundMouseDown(platform::TObject* sender, platform::TMouseButton button, platform::TShiftState shift, int x, int y);
    void PictureClick(platform::TObject* sender);
    void TickTimerTimer(platform::TObject* sender);
    void SpinnerStop(platform::TObject* sender);
    void LogoClick(platform::TObject* sender);
    void FadeTimerTimer(platform::TObject* sender);
    void CopyGlowAsTemplate();

    int m_clicks = 0;
    int m_ticks = 0;
    int m_fadeStep = 15;
};

// The logo of the DIB stage: a lit disc on the colour key, so only the disc shows.
void PaintDemoLogo(TAbstractSuperDIB& dib);

// The pieces of the framed stage: corner, side, flat edge and a tile for the pictures; and a
// palette of a colour cube and greys for 8-bit displays.
void PaintFramePieces(TDIBImageList& list);
std::array<TDIBPaletteEntry, TDIBPalette::EntryCount> DemoPaletteEntries();

// The spinner's clip: twelve frames of a turning bar, RLE8 as the animation control plays them.
std::vector<uint8_t> MakeSpinnerClip();
