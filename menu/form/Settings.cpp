// The settings page: the two settings of the state file, shown and switched through the main
// action and uninstall buttons, and the blank detail view the page starts from.

#include "menu/form/main_f.h"

#include "dib/image/cDIBImage.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"

namespace {

struct Setting {
    const char* key;
    const char* text;
};

// Entry 1 and entry 2 of the settings page.
constexpr Setting Settings[2] = {
    { "Enhanced", "Zap\xEDn\xE1 okrajov\xFD panel a jeho animace. Vy\x9E"
                  "aduje restart aplikace." },
    { "Slow", "Pro pomalej\x9A\xED po\xE8\xEDta\xE8"
              "e. Vypne n\xECkter\xE9 speci\xE1ln\xED efekty (pr\xF9hlednost obr\xE1zk\xF9)." },
};

}

void TForm1::SetSettings()
{
    if (ItemIndex != 1 && ItemIndex != 2)
        return;
    bool on = (ItemIndex == 1 ? Enhanced : Slow) == 1;
    TextLabel->SetCaption(Settings[ItemIndex - 1].text);
    NameLabel->SetCaption(on ? "STATUS: ZAPNUTO" : "STATUS: VYPNUTO");
    PlayDIBOff->SetVisible(!on);
    StopDIBOff->SetVisible(on);
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

void TForm1::SwitchSelectedSetting(bool on)
{
    if (ItemIndex != 1 && ItemIndex != 2)
        return;
    const int32_t value = on ? 1 : 0;
    // Written first: a refused write leaves the setting and the page as they were.
    Context.StateIni->WriteInteger("Main", Settings[ItemIndex - 1].key, value);
    (ItemIndex == 1 ? Enhanced : Slow) = value;
    SetSettings();
    (on ? PlayDIBImage : StopDIBImage)->Hide();
    (on ? PlayDIBOff : StopDIBOff)->Hide();
}
