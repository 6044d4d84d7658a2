#include "platform/components/Standard.h"

#include "platform/components/ComCtrls.h"
#include "platform/components/ExtCtrls.h"
#include "platform/components/Forms.h"
#include "platform/components/StdCtrls.h"

namespace platform {

void RegisterStandardClasses()
{
    RegisterClass(TForm::StaticClass());
    RegisterClass(TLabel::StaticClass());
    RegisterClass(TImage::StaticClass());
    RegisterClass(TPanel::StaticClass());
    RegisterClass(TTimer::StaticClass());
    RegisterClass(TAnimate::StaticClass());
}

}
