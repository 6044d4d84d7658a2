#include "platform/resources/Resources.h"

#include <algorithm>
#include <map>

namespace platform {

namespace {

// Filled before main by the embedded libraries; constructed on first use so their order of
// initialisation does not matter.
std::map<std::string, std::span<const uint8_t>, std::less<>>& Registry()
{
    static std::map<std::string, std::span<const uint8_t>, std::less<>> registry;
    return registry;
}

}

void RegisterResource(std::string_view name, const uint8_t* data, size_t size)
{
    Registry().emplace(std::string(name), std::span<const uint8_t>(data, size));
}

std::optional<std::span<const uint8_t>> FindResource(std::string_view name)
{
    auto it = Registry().find(name);
    if (it == Registry().end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> ResourceText(std::string_view name)
{
    auto bytes = FindResource(name);
    if (!bytes)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

std::vector<std::string> ResourceNames()
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : Registry())
        names.push_back(name);
    return names;
}

}
