// One value set in a 100 MB hive, as "torvatool reg set" does it: the time and the peak memory
// of the process, against reading the file once (the baseline). Each run is a child process of
// its own, so that its peak is its own. The hive is generated here and removed afterwards.

#include "platform/atomicfile/AtomicFile.h"
#include "platform/hive/HiveFile.h"
#include "platform/hive/RegistryText.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr size_t kHiveBytes = 100u << 20;

// Keys shaped like a real system.reg: class registrations with a default value and a threading
// model, each with its time line.
fs::path MakeHive()
{
    fs::path folder = fs::temp_directory_path() / ("torva-bench-regset-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::path path = folder / "system.reg";
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n";
    char key[160];
    for (unsigned n = 0; text.size() < kHiveBytes; ++n) {
        std::snprintf(key, sizeof key, "\n[Software\\\\Classes\\\\CLSID\\\\{%08X-1234-5678-9ABC-%012X}\\\\InprocServer32] 1700000000\n", n, n * 7919u);
        text += key;
        text += "#time=1d9a8b7c6d5e4f0\n@=\"C:\\\\windows\\\\system32\\\\component.dll\"\n\"ThreadingModel\"=\"Both\"\n";
    }
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

struct ChildRun {
    double seconds = 0;
    double peakBytes = 0;
};

// Runs `work` in a child and reports its wall time and peak resident memory.
ChildRun InChild(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    ChildRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    return run;
}

void Report(benchmark::State& state, const ChildRun& run, double fileBytes)
{
    state.SetIterationTime(run.seconds);
    state.counters["peak_MB"] = run.peakBytes / (1 << 20);
    state.counters["file_MB"] = fileBytes / (1 << 20);
    state.counters["peak_per_file"] = run.peakBytes / fileBytes;
}

void ReadOnce(benchmark::State& state)
{
    fs::path hive = MakeHive();
    double size = static_cast<double>(fs::file_size(hive));
    for (auto _ : state)
        Report(state, InChild([&] { benchmark::DoNotOptimize(platform::ReadHostFile(hive)); }), size);
    fs::remove_all(hive.parent_path());
}

void SetOneValue(benchmark::State& state)
{
    fs::path hive = MakeHive();
    double size = static_cast<double>(fs::file_size(hive));
    for (auto _ : state) {
        Report(state, InChild([&] {
            platform::HiveFile file(hive, u"\\Machine");
            file.Modify([](platform::RegistryFile& registry) {
                return registry.SetValue(u"Software\\Classes\\CLSID\\{00000010-1234-5678-9ABC-00000001EEF0}\\InprocServer32",
                    u"ThreadingModel", 1, platform::RegistryStringBytes(u"Apartment"));
            });
        }),
            size);
    }
    fs::remove_all(hive.parent_path());
}

BENCHMARK(ReadOnce)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SetOneValue)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
