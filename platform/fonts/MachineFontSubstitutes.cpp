#include "platform/fonts/MachineFontSubstitutes.h"

#include "platform/machine/Machine.h"
#include "platform/registry/Registry.h"

namespace platform {

namespace {

constexpr const char* FontSubstitutesKey = "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

}

FontRegistry::SubstituteLookup MachineFontSubstitutes()
{
    return [](std::string_view face) -> std::optional<std::string> {
        if (!HasCurrentMachine() || face.empty())
            return std::nullopt;
        Registry registry(CurrentMachine());
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKeyReadOnly(FontSubstitutesKey))
            return std::nullopt;
        std::string name(face);
        if (!registry.ValueExists(name))
            return std::nullopt;
        std::string value = registry.ReadString(name);
        if (value.empty())
            return std::nullopt;
        return value;
    };
}

}
