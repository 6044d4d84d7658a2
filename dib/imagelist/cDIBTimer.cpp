#include "dib/imagelist/cDIBTimer.h"

#include "platform/components/ClassBuilder.h"

using namespace platform;

const ClassInfo& TDIBTimer::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBTimer>("TDIBTimer", &TTimer::StaticClass())
                                      .Creatable()
                                      .Boolean("Enabled", &TDIBTimer::Enabled, &TDIBTimer::SetEnabled, false)
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBTimer::StaticClass());

TDIBTimer::TDIBTimer(TComponent* owner)
    : TDIBTimer(owner, CurrentEventLoop())
{
}

TDIBTimer::TDIBTimer(TComponent* owner, EventLoop& loop)
    : TTimer(owner, loop)
{
    SetEnabled(false);
}
