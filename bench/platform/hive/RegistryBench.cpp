// A status check reads a few values per item from hives of thousands of keys: the cached read
// (one stat per lookup) against parsing the file for every lookup.

#include "platform/hive/HiveFile.h"
#include "platform/hive/RegistryText.h"
#include "platform/text/Codepage.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path MakeHive()
{
    static std::filesystem::path path;
    if (!path.empty())
        return path;
    path = std::filesystem::temp_directory_path() / "torva-bench-registry.reg";
    platform::RegistryFile file = platform::RegistryFile::Create(u"\\Machine", false);
    file.SetClock([] { return int64_t { 1700000000 }; });
    for (int i = 0; i < 5000; ++i) {
        std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Game " + platform::Cp1250ToUtf16(std::to_string(i));
        file.SetValue(key, u"UninstallString", 1, platform::RegistryStringBytes(u"C:\\Games\\uninst.exe -f"));
        file.SetValue(key, u"DisplayName", 1, platform::RegistryStringBytes(u"Hra \x0159"));
    }
    std::ofstream(path, std::ios::binary) << file.Serialize();
    return path;
}

const std::u16string Key = u"software\\microsoft\\windows\\currentversion\\uninstall\\game 4321";

void CachedLookup(benchmark::State& state)
{
    platform::HiveFile hive(MakeHive(), u"\\Machine");
    for (auto _ : state)
        benchmark::DoNotOptimize(hive.Read().FindValue(Key, u"UninstallString"));
}

void ParseEveryLookup(benchmark::State& state)
{
    std::filesystem::path path = MakeHive();
    for (auto _ : state) {
        platform::HiveFile hive(path, u"\\Machine");
        benchmark::DoNotOptimize(hive.Read().FindValue(Key, u"UninstallString"));
    }
}

BENCHMARK(ParseEveryLookup)->Unit(benchmark::kMillisecond);
BENCHMARK(CachedLookup)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
