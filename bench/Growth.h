#pragma once
// Growth curves for the benchmarks: the cost per output of each benchmark at every size it
// ran (1x, 10x, 100x, 1000x of its smallest size), and the ratio of each per-output cost to
// the one at the size ten times smaller, so a cost that grows faster than the data shows in
// one run. A ratio near 1.0 is flat; 10 would be quadratic.
//
// A run takes part when it has an "outputs" counter (else its first argument is the size). A
// run with a "per_call" counter reports its time per call instead: an operation whose cost
// should not depend on the size at all.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace diags::bench {

struct GrowthPoint {
    std::string family;
    double outputs = 0;
    double nsPerOutput = 0;
};

inline void PrintGrowth(const std::vector<GrowthPoint>& points) {
    std::map<std::string, std::map<double, double>> byFamily;  // family -> outputs -> ns per output
    std::vector<std::string> order;
    for (const GrowthPoint& p : points) {
        if (!byFamily.contains(p.family)) order.push_back(p.family);
        byFamily[p.family][p.outputs] = p.nsPerOutput;
    }
    if (order.empty()) return;
    std::printf("\nGrowth: CPU time per output at each size (a benchmark's own timing where it has one),\n"
                "(ratio to the per-output time at the size 10x smaller)\n");
    for (const std::string& family : order) {
        const auto& sizes = byFamily[family];
        std::printf("%-28s", family.c_str());
        double previousSize = 0, previous = 0;
        const double first = sizes.begin()->second;
        for (const auto& [outputs, ns] : sizes) {
            std::printf("  %gx %.0f: %.3g us", outputs / sizes.begin()->first, outputs, ns / 1000.0);
            if (previous > 0 && previousSize > 0) std::printf(" (%.2f)", ns / previous);
            previousSize = outputs;
            previous = ns;
        }
        if (sizes.size() > 1) std::printf("  | largest/smallest %.2f", previous / first);
        std::printf("\n");
    }
}

// Saves points for a parent process to print (benchmarks that run each size in a child).
inline void AppendGrowth(const std::string& file, const std::vector<GrowthPoint>& points) {
    std::ofstream out(file, std::ios::app);
    for (const GrowthPoint& p : points) out << p.family << '\t' << p.outputs << '\t' << p.nsPerOutput << '\n';
}

inline std::vector<GrowthPoint> ReadGrowth(const std::string& file) {
    std::vector<GrowthPoint> points;
    std::ifstream in(file);
    GrowthPoint p;
    while (std::getline(in, p.family, '\t') && in >> p.outputs >> p.nsPerOutput) {
        in.ignore(1);
        points.push_back(p);
    }
    return points;
}

// The console's report, plus the growth table at the end.
class GrowthReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            double outputs = 0;
            if (const auto it = run.counters.find("outputs"); it != run.counters.end()) outputs = it->second.value;
            else outputs = std::atof(run.run_name.args.c_str());
            if (outputs <= 0) continue;
            // CPU time, which other work on a shared machine disturbs least; a benchmark that
            // times itself (a save waits for the disk) gives its own time.
            const bool ownTime = !run.run_name.time_type.empty();
            const double seconds = (ownTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) /
                                   benchmark::GetTimeUnitMultiplier(run.time_unit);
            std::string family = run.run_name.function_name;
            family = family.substr(0, family.find('/'));
            const bool perCall = run.counters.contains("per_call");
            if (perCall) family += " (per call)";
            points_.push_back({family, outputs, seconds * 1e9 / (perCall ? 1.0 : outputs)});
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (print_) PrintGrowth(points_);
    }
    const std::vector<GrowthPoint>& Points() const noexcept { return points_; }
    void PrintAtEnd(bool print) noexcept { print_ = print; }

private:
    std::vector<GrowthPoint> points_;
    bool print_ = true;
};

// BENCHMARK_MAIN with the growth table.
inline int RunWithGrowth(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace diags::bench
