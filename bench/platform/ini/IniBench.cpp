// Reading a full catalogue key by key: the parsed copy against parsing the file per key.

#include "platform/files/Files.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniFile.h"
#include "platform/ini/ProfileFile.h"
#include "platform/machine/Machine.h"

#include "bench/platform/files/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kSections = 250;
constexpr int kKeysPerSection = 20; // 5,000 keys in all

struct Catalogue {
    fs::path root;
    fs::path file;
    std::vector<std::pair<std::string, std::string>> keys;

    Catalogue()
    {
        root = fs::temp_directory_path() / ("torva-inibench-" + std::to_string(::getpid()));
        fs::create_directories(root / "drive_c" / "windows");
        fs::create_directories(root / "dosdevices");
        fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
        file = root / "drive_c" / "windows" / "torvaxp.ini";
        std::ofstream out(file, std::ios::binary);
        for (int s = 1; s <= kSections; ++s) {
            std::string section = "Demo" + std::to_string(s);
            out << "[" << section << "]\r\n; item " << s << "\r\n";
            for (int k = 0; k < kKeysPerSection; ++k) {
                std::string key = "Key" + std::to_string(k);
                out << key << "=\"value of " << section << " " << key << " with some length to it\"\r\n";
                keys.emplace_back(section, key);
            }
            out << "\r\n";
        }
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    }
    ~Catalogue() { fs::remove_all(root); }
};

Catalogue& TheCatalogue()
{
    static Catalogue catalogue;
    return catalogue;
}

void BM_CachedReader(benchmark::State& state)
{
    Catalogue& catalogue = TheCatalogue();
    for (auto _ : state) {
        for (auto& [section, key] : catalogue.keys)
            benchmark::DoNotOptimize(platform::ReadProfileString(catalogue.file, section, key, ""));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(catalogue.keys.size()));
}
BENCHMARK(BM_CachedReader)->Unit(benchmark::kMillisecond);

void BM_WindowsPathReader(benchmark::State& state)
{
    Catalogue& catalogue = TheCatalogue();
    TIniFile ini("C:\\WINDOWS\\TORVAXP.INI");
    for (auto _ : state) {
        for (auto& [section, key] : catalogue.keys)
            benchmark::DoNotOptimize(ini.ReadString(section, key, ""));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(catalogue.keys.size()));
}
BENCHMARK(BM_WindowsPathReader)->Unit(benchmark::kMillisecond);

// The baseline: what a key costs when the file is read and parsed for it. Every 25th key
// of the same catalogue keeps its run short; the ratio compares time per key.
void BM_ReparsePerKey(benchmark::State& state)
{
    Catalogue& catalogue = TheCatalogue();
    constexpr size_t kStride = 25;
    for (auto _ : state) {
        for (size_t i = 0; i < catalogue.keys.size(); i += kStride) {
            auto& [section, key] = catalogue.keys[i];
            std::ifstream in(catalogue.file, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            benchmark::DoNotOptimize(platform::IniDocument::Parse(text).Value(section, key));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(catalogue.keys.size() / kStride));
}
BENCHMARK(BM_ReparsePerKey)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    return torvabench::RunWithRatios(argc, argv, {
                                                     { "BM_ReparsePerKey", "BM_CachedReader", "reparse per key / cached reader (goal: at least 20)" },
                                                     { "BM_ReparsePerKey", "BM_WindowsPathReader", "reparse per key / Windows-path reader" },
                                                 });
}
