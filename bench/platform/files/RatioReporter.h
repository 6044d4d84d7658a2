#pragma once

// Console output of Google Benchmark plus ratios between benchmarks of the same run, so speed
// goals are stated against a baseline measured on the same machine at the same time. Ratios
// compare time per item, so a slow baseline may run over fewer items.

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace torvabench {

struct Ratio {
    std::string numerator;   // benchmark name (prefix) of the slower side
    std::string denominator; // benchmark name (prefix) of the faster side
    std::string label;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios)
        : m_ratios(std::move(ratios))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            auto items = run.counters.find("items_per_second");
            if (items != run.counters.end() && items->second.value > 0)
                m_secondsPerItem[run.benchmark_name()] = 1.0 / items->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const Ratio& ratio : m_ratios) {
            double top = Find(ratio.numerator), bottom = Find(ratio.denominator);
            if (top > 0 && bottom > 0)
                std::cout << ratio.label << ": " << top / bottom << "\n";
        }
    }

private:
    double Find(const std::string& prefix) const
    {
        for (auto& [name, seconds] : m_secondsPerItem) {
            if (name.rfind(prefix, 0) == 0)
                return seconds;
        }
        return 0;
    }

    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_secondsPerItem;
};

inline int RunWithRatios(int argc, char** argv, std::vector<Ratio> ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}
