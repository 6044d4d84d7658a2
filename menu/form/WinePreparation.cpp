#include "menu/form/main_f.h"

#include "platform/components/ExtCtrls.h"
#include "platform/components/StdCtrls.h"
#include "platform/process/Process.h"
#include "platform/text/Codepage.h"

namespace {

const char* const kPreparingWineText = "Připravuji Wine…";
constexpr uint32_t kPreparationPollMs = 250;

}

// Wine's own "being updated" window is kept off the desktop, so the menu says it instead. A hint
// the pointer brings up takes the line for a while; the sign comes back on an empty line and
// goes when the set-up ends.
void TForm1::ShowWinePreparation()
{
    const std::string sign = platform::Utf8ToCp1250(kPreparingWineText);
    Detail->SetHelp(sign);
    if (!m_winePreparationTimer) {
        m_winePreparationTimer = new platform::TTimer(this);
        m_winePreparationTimer->SetInterval(kPreparationPollMs);
    }
    m_winePreparationTimer->SetOnTimer([this, sign](platform::TObject*) {
        if (Model.Services().processes.PreparingWinePrefix()) {
            if (Detail->Help().empty())
                Detail->SetHelp(sign);
            return;
        }
        if (Detail->Help() == sign)
            Detail->SetHelp("");
        m_winePreparationTimer->SetEnabled(false);
    });
    m_winePreparationTimer->SetEnabled(true);
}
