#pragma once

// The controls of the main window as its stored layout names them. The layout fills these
// fields by name when the form reads it; until then, and in a form without a window, they are
// null. The numbered families (list rows, section icons and captions, side players) are arrays
// of the form, reached by number.

// The DIB library's controls and components (dib/).
class TDIBImage;
class TDIBFadeLabel;
class TDIBContainer;
class TDIBImageList;
class TDIBTimer;
class TDIBFormShaper;

namespace platform {
class TImage;
class TLabel;
class TAnimate;
class TTimer;
}

class TQXShellLink;

struct Form1Controls {
    platform::TLabel* CDNumberLabel = nullptr;
    platform::TImage* Image4 = nullptr;
    platform::TLabel* DebugLabel1 = nullptr;
    platform::TLabel* DebugLabel2 = nullptr;
    TDIBContainer* DIBContainer1 = nullptr;

    // Inside DIBContainer1: backgrounds and overlays.
    platform::TImage* Image14 = nullptr;
    TDIBImage* DIBImage1 = nullptr;
    TDIBImage* DIBImage2 = nullptr;

    // Scroll controls, covers and markers.
    platform::TImage* Image3 = nullptr;
    platform::TImage* Image1 = nullptr;
    platform::TImage* Image11 = nullptr;
    platform::TImage* Image10 = nullptr;
    platform::TImage* Cover2 = nullptr;
    platform::TImage* Cover1 = nullptr;
    platform::TImage* Image5 = nullptr;
    platform::TImage* Image6 = nullptr;
    platform::TImage* Up = nullptr;
    platform::TImage* Down = nullptr;
    platform::TImage* Cover3 = nullptr;
    platform::TImage* Cover4 = nullptr;
    platform::TImage* Image8 = nullptr;
    platform::TImage* Image7 = nullptr;
    platform::TLabel* PositionLabel = nullptr;

    // Detail view.
    platform::TImage* PicImage = nullptr;
    TDIBImage* DIBImage4 = nullptr;
    platform::TLabel* NameLabel = nullptr;
    platform::TLabel* FirmLabel = nullptr;
    platform::TLabel* TextLabel = nullptr;
    platform::TLabel* HelpLabel = nullptr;
    platform::TLabel* Label2 = nullptr;
    TDIBImage* LeftArrow = nullptr;
    TDIBImage* RightArrow = nullptr;
    platform::TImage* Flag_Playable = nullptr;
    platform::TImage* Flag_Unplayable = nullptr;
    platform::TImage* Flag_CZ = nullptr;
    platform::TImage* Flag_Net = nullptr;
    platform::TImage* Flag_3D = nullptr;

    // Action buttons: the always visible "off" images and the "on" images over them.
    TDIBImage* ReadmeDIBOff = nullptr;
    TDIBImage* ReadmeDIBImage = nullptr;
    TDIBImage* WebDibOff = nullptr;
    TDIBImage* WebDIBImage = nullptr;
    TDIBImage* PlayDIBOff = nullptr;
    TDIBImage* PlayDIBImage = nullptr;
    TDIBImage* StopDIBOff = nullptr;
    TDIBImage* StopDIBImage = nullptr;

    // Bottom buttons.
    platform::TImage* Image9 = nullptr;
    platform::TImage* Image2 = nullptr;
    platform::TImage* Image12 = nullptr;
    platform::TImage* Image13 = nullptr;
    platform::TImage* Image15 = nullptr;

    // Non-visual components.
    platform::TTimer* AnimationTimer = nullptr;
    platform::TTimer* StartTimer = nullptr;
    platform::TTimer* ScrollDownTimer = nullptr;
    platform::TTimer* ScrollUpTimer = nullptr;
    TDIBTimer* DIBTimer1 = nullptr;
    TDIBTimer* DIBTimer2 = nullptr;
    TDIBTimer* DIBTimer3 = nullptr;
    TDIBTimer* DIBTimer4 = nullptr;
    platform::TTimer* Timer1 = nullptr;
    TDIBFormShaper* DIBFormShaper1 = nullptr;
    TDIBImageList* DIBImageList1 = nullptr;
    TDIBImageList* DIBImageList2 = nullptr;
    TQXShellLink* QXShellLink1 = nullptr;
};
