// One step of the item list (the Down or Up key) on the Demos page of the headless menu, with the
// detail view it rebuilds and the frame it repaints: once with the item's small picture in the
// cache, once with the picture read and decoded from the disc. Each step is set against a copy
// of the window's surface in the same iteration (the ratio_to_memcpy counter).

#include "menu/form/main_f.h"

#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"
#include "bench/menu/BenchServices.h"
#include "platform/machine/Machine.h"
#include "platform/picture/Picture.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int kDemos = 30;

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

platform::Picture Gradient(int width, int height, int seed)
{
    platform::Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | uint32_t((x * 3 + seed) & 0xFF) << 16
                | uint32_t((y * 5 + seed) & 0xFF) << 8 | uint32_t((x + y) & 0xFF);
    return picture;
}

struct Menu {
    std::filesystem::path root;
    std::shared_ptr<platform::Machine> machine;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    std::optional<BenchServices> system;
    TForm1* form = nullptr;
    std::vector<uint32_t> copy;

    Menu()
    {
        root = std::filesystem::temp_directory_path() / ("torva-bench-list-" + std::to_string(std::random_device()()));
        const auto disc = root / "disc";
        std::filesystem::create_directories(disc / "Torva" / "Small");
        std::ofstream(disc / "TORVA.EXE") << "x";
        std::string catalogue = "[Main]\r\nCD=0206\r\nVersion=1\r\nDemos=" + std::to_string(kDemos) + "\r\n";
        for (int n = 1; n <= kDemos; ++n) {
            const std::string picture = "PIC" + std::to_string(n);
            catalogue += "[Demo" + std::to_string(n) + "]\r\nName=Hra " + std::to_string(n) + "\r\nFirm=Firma\r\n"
                + "Describe1=Popis hry, ktery zabira nekolik radku textu v poli popisu.\r\nPicture=" + picture
                + "\r\nFlags=12\r\nGamename=hra.exe\r\nReadmename=ctime.txt\r\nInstallType=1\r\n";
            // The small picture at the size of the detail view's box; the series' first picture.
            WriteFile(disc / "Torva" / "Small" / (picture + "01.bmp"), platform::EncodeBitmap(Gradient(243, 151, n), 24));
            WriteFile(disc / "Torva" / (picture + "01.jpg"), platform::EncodeJpeg(Gradient(64, 48, n), 80));
        }
        std::ofstream(disc / "Torva" / "torvaxp.ini", std::ios::binary) << catalogue;
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        system.emplace(machine, loop);
        const std::string drive = std::string(1, machine->MapDrive(disc, platform::DRIVE_CDROM)) + ":";

        form = new TForm1(system->services, MenuEnvironment { drive + "\\TORVA.EXE" });
        form->CreateWindowLayout();
        form->Show();
        loop.ProcessMessages();
        form->PaintNow();
        copy.resize(static_cast<size_t>(form->Width()) * form->Height());
    }

    ~Menu()
    {
        platform::TComponent::Free(form);
        platform::SetCurrentMachine(nullptr);
        std::filesystem::remove_all(root);
    }

    // Down from the first item, Up from the second: every step changes the selection.
    void Step()
    {
        uint16_t key = form->Model.ItemIndex() == 1 ? platform::VK_DOWN : platform::VK_UP;
        form->FormKeyDown(form, key, 0);
        form->PaintNow();
    }

    void ForgetPictures()
    {
        form->Model.ForgetPictures();
    }

    void CopySurface()
    {
        const PixelView& surface = form->Surface();
        std::memcpy(copy.data(), surface.bits, static_cast<size_t>(surface.width) * surface.height * 4);
        benchmark::DoNotOptimize(copy.data());
    }
};

void RunSteps(benchmark::State& state, bool cached)
{
    Menu menu;
    menu.Step();
    menu.Step();
    double stepSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        if (!cached)
            menu.ForgetPictures();
        const auto start = std::chrono::steady_clock::now();
        menu.Step();
        const auto stepped = std::chrono::steady_clock::now();
        menu.CopySurface();
        const auto copied = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(stepped - start).count();
        state.SetIterationTime(seconds);
        stepSeconds += seconds;
        copySeconds += std::chrono::duration<double>(copied - stepped).count();
    }
    state.counters["memcpy_us"] = benchmark::Counter(copySeconds * 1e6 / static_cast<double>(state.iterations()));
    state.counters["ratio_to_memcpy"] = benchmark::Counter(stepSeconds / copySeconds);
}

void BM_ListStepCachedPicture(benchmark::State& state) { RunSteps(state, true); }
void BM_ListStepPictureFromDisc(benchmark::State& state) { RunSteps(state, false); }

BENCHMARK(BM_ListStepCachedPicture)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListStepPictureFromDisc)->UseManualTime()->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
