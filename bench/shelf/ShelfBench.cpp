// The shelf's speed and size over a shelf of 100 cover-disc images of 700 MB each: small images
// made with xorriso at set-up and extended sparse with truncate, each with a catalogue of 200
// items, in a temporary folder removed afterwards.
//
// Counters: ratio_to_bsdtar is a cold index's time (no cache file) over the time bsdtar -xOf
// takes to read each image's catalogue in the same iteration (the goal is at most 1.5);
// warm_ms is a start with the cache present (at most 100); keystroke_ms a search over the 100
// discs (under 5); resident_mb what holding the index adds to the process (under 100).

#include "platform/text/Codepage.h"
#include "shelf/ShelfIndex.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int DiscCount = 100;
constexpr const char* ImageSize = "700M";

// A catalogue of 200 items (the lists' sizes as a full disc has them), in code page 1250.
std::string Catalogue(int disc)
{
    const char* words[] = { "strategie", "závody", "válka", "hrad", "vesmír", "legie", "ocelový", "drak", "pirát", "farma", "šachy",
        "tank", "letadlo", "podzemí", "kůň", "žluťoučký", "ďábel", "město", "řeka", "věž" };
    std::mt19937 random(static_cast<unsigned>(disc));
    auto text = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i)
            out += std::string(i ? " " : "") + words[random() % std::size(words)];
        return out;
    };
    char id[8];
    std::snprintf(id, sizeof id, "%02d%02d", disc % 12 + 1, disc / 12 % 100);
    const std::pair<const char*, int> lists[] = { { "Demo", 30 }, { "Full", 15 }, { "Share", 25 }, { "Shot", 35 }, { "Reader", 40 }, { "Movie", 30 },
        { "Extra", 15 }, { "Driver", 10 } };
    std::string ini = std::string("[Main]\r\nCD=") + id + "\r\nCDLabel=Torva " + id + "\r\nDemos=30\r\nFulls=15\r\nShareware=25\r\nShots=35\r\n"
        + "Readers=40\r\nMovies=30\r\nExtra=15\r\nDrivers=10\r\nVersion=1\r\n";
    for (const auto& [prefix, count] : lists)
        for (int n = 1; n <= count; ++n)
            ini += std::string("[") + prefix + std::to_string(n) + "]\r\nName=" + text(3) + "\r\nFirm=" + text(2) + "\r\nDescribe1=" + text(30) + "\r\n";
    return platform::Utf8ToCp1250(ini);
}

struct Shelf {
    fs::path root;
    fs::path folder;
    bool made = false;

    Shelf()
    {
        root = fs::temp_directory_path() / ("torva-bench-shelf-" + std::to_string(std::random_device()()));
        folder = root / "shelf";
        fs::create_directories(folder);
        made = true;
        for (int disc = 0; disc < DiscCount && made; ++disc) {
            fs::path tree = root / "tree";
            fs::create_directories(tree / "Torva");
            std::ofstream(tree / "Torva" / "torvaxp.ini", std::ios::binary) << Catalogue(disc);
            std::ofstream(tree / "README.TXT") << "Torva " << disc << "\n";
            fs::path iso = folder / ("Torva " + std::to_string(disc) + ".iso");
            std::string command = "xorriso -report_about FAILURE -outdev '" + iso.string() + "' -joliet on -map '" + tree.string()
                + "' / >/dev/null 2>&1 && truncate -s " + ImageSize + " '" + iso.string() + "'";
            made = std::system(command.c_str()) == 0;
            fs::remove_all(tree);
        }
    }
    ~Shelf() { fs::remove_all(root); }

    fs::path Cache() const { return root / "cache" / "index"; }
    shelf::ShelfIndex Index() const { return shelf::ShelfIndex::Build({ { folder }, Cache(), std::nullopt, true }); }
};

// The shelf, made at the first call; nothing, and the benchmark skipped, when it could not be.
Shelf* TheShelf(benchmark::State& state)
{
    static Shelf shelf;
    if (!shelf.made) {
        state.SkipWithError("xorriso or truncate could not make the shelf");
        return nullptr;
    }
    return &shelf;
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

// First, while the process has allocated little else.
uint64_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

void BM_ResidentSizeOfTheIndex(benchmark::State& state)
{
    Shelf* made = TheShelf(state);
    if (!made)
        return;
    Shelf& shelf = *made;
    double grown = 0;
    for (auto _ : state) {
        fs::remove(shelf.Cache());
        uint64_t before = ResidentBytes();
        shelf::ShelfIndex index = shelf.Index();
        grown = static_cast<double>(ResidentBytes() - std::min(before, ResidentBytes()));
        benchmark::DoNotOptimize(index.Discs().data());
    }
    state.counters["resident_mb"] = grown / (1 << 20);
}
BENCHMARK(BM_ResidentSizeOfTheIndex)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ColdIndexOf100Images(benchmark::State& state)
{
    Shelf* made = TheShelf(state);
    if (!made)
        return;
    Shelf& shelf = *made;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        fs::remove(shelf.Cache());
        auto start = std::chrono::steady_clock::now();
        shelf::ShelfIndex index = shelf.Index();
        auto middle = std::chrono::steady_clock::now();
        for (int disc = 0; disc < DiscCount; ++disc) {
            fs::path iso = shelf.folder / ("Torva " + std::to_string(disc) + ".iso");
            if (std::system(("bsdtar -xOf '" + iso.string() + "' Torva/torvaxp.ini >/dev/null").c_str()) != 0)
                state.SkipWithError("bsdtar could not read a catalogue");
        }
        auto end = std::chrono::steady_clock::now();
        ours += Seconds(middle - start);
        theirs += Seconds(end - middle);
        if (index.Discs().size() != DiscCount || index.Discs().front().items.size() != 200)
            state.SkipWithError("the index did not read every disc");
    }
    state.counters["ratio_to_bsdtar"] = theirs > 0 ? ours / theirs : 0;
    state.counters["ours_ms"] = ours * 1000 / static_cast<double>(state.iterations());
    state.counters["bsdtar_ms"] = theirs * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ColdIndexOf100Images)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_WarmIndexOf100Images(benchmark::State& state)
{
    Shelf* made = TheShelf(state);
    if (!made)
        return;
    Shelf& shelf = *made;
    shelf.Index();
    double total = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        shelf::ShelfIndex index = shelf.Index();
        total += Seconds(std::chrono::steady_clock::now() - start);
        if (index.Stats().discsRead != 0)
            state.SkipWithError("the warm start read a disc");
    }
    state.counters["warm_ms"] = total * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WarmIndexOf100Images)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// One keystroke after another of a query being typed, each searched over every disc.
void BM_SearchKeystrokeOver100Discs(benchmark::State& state)
{
    Shelf* made = TheShelf(state);
    if (!made)
        return;
    Shelf& shelf = *made;
    shelf::ShelfIndex index = shelf.Index();
    const std::string typed = platform::Utf8ToCp1250("žluťoučký ďábel");
    size_t at = 0, hits = 0;
    double total = 0;
    for (auto _ : state) {
        at = at % typed.size() + 1;
        auto start = std::chrono::steady_clock::now();
        hits += index.Search(typed.substr(0, at)).size();
        total += Seconds(std::chrono::steady_clock::now() - start);
    }
    benchmark::DoNotOptimize(hits);
    state.counters["keystroke_ms"] = total * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchKeystrokeOver100Discs)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
