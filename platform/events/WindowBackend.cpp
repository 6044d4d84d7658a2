#include "platform/events/WindowBackend.h"

namespace platform {

static WindowBackendFactory& Factory()
{
    static WindowBackendFactory factory;
    return factory;
}

void SetWindowBackendFactory(WindowBackendFactory factory)
{
    Factory() = std::move(factory);
}

std::unique_ptr<IWindowBackend> CreateWindowBackend()
{
    if (!Factory())
        return nullptr;
    return Factory()();
}

}
