// The show's pure per-frame computations under Google Benchmark, each fast form beside the plain
// form it replaces where the code keeps one; the ratios are printed at the end of the run.
#include "app/show_state.h"
#include "elements/cube_waves.h"
#include "elements/light_ring.h"
#include "elements/ripple_surface.h"
#include "elements/sparkle.h"
#include "elements/spiral.h"
#include "scenes/scene_parts.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Scene 5's values: the ripple spreads from the origin at the surface's rest depth below a full
// run's tunnel depth (where scene 4 leaves the camera).
double fullRunRippleZ()
{
    showState.tunnelDepth = -6249.75f;
    return rippleSurfaceDepth();
}
const double rippleZ = fullRunRippleZ();
constexpr double scene5LengthMs = 22800.0;

double sceneTimeOf(std::int64_t iteration)
{
    return double(iteration * 37 % std::int64_t(scene5LengthMs));
}

void rippleFramePlain(benchmark::State& state)
{
    auto frame = std::make_unique<RippleFrame>();
    std::int64_t i = 0;
    for (auto _ : state) {
        computeRippleFrameByStrips(0.0, 0.0, rippleZ, sceneTimeOf(i++), *frame);
        benchmark::DoNotOptimize(frame->normals[100][100][0]);
    }
}

void rippleFrameFast(benchmark::State& state)
{
    auto grid = std::make_unique<RippleGrid>();
    auto frame = std::make_unique<RippleFrame>();
    computeRippleGrid(0.0, 0.0, *grid);
    std::int64_t i = 0;
    for (auto _ : state) {
        computeRippleFrame(*grid, rippleZ, sceneTimeOf(i++), *frame);
        benchmark::DoNotOptimize(frame->normals[100][100][0]);
    }
}

// Once per ripple centre, not per frame.
void rippleGrid(benchmark::State& state)
{
    auto grid = std::make_unique<RippleGrid>();
    for (auto _ : state) {
        computeRippleGrid(0.0, 0.0, *grid);
        benchmark::DoNotOptimize(grid->wavelengths[10]);
    }
}

void ringPositions(benchmark::State& state)
{
    int t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(orbitItems(t, 0, 0, -6249, fullRingRadius));
        t = (t + 17) % 25000;
    }
}

void cubeWavePositions(benchmark::State& state)
{
    int t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cubeWavePoints(t));
        t = (t + 17) % 17000;
    }
}

void sparkleCorners(benchmark::State& state)
{
    int z = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sparkleVertices(150, -500, 350, z));
        z = (z - 7) % 5000;
    }
}

void spiralPoints(benchmark::State& state)
{
    float radius = 20.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(spiralVertices(radius));
        radius = radius < 220.0f ? radius + 1.0f : 20.0f;
    }
}

// Prints as usual and keeps each benchmark's time, so the plain/fast pairs can be compared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                cpuMs_[run.benchmark_name()] = run.GetAdjustedCPUTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }

    void printRatio(const char* what, const std::string& plain, const std::string& fast) const
    {
        const auto p = cpuMs_.find(plain);
        const auto f = cpuMs_.find(fast);
        if (p == cpuMs_.end() || f == cpuMs_.end() || f->second <= 0)
            return;
        std::printf("%s (CPU time): plain %.3f ms, fast %.3f ms, fast is %.2fx faster (%.0f%% of the plain time)\n",
                    what, p->second, f->second, p->second / f->second, 100.0 * f->second / p->second);
    }

private:
    std::map<std::string, double> cpuMs_; // per iteration
};

} // namespace

BENCHMARK(rippleFramePlain)->Name("ripple heights+normals/plain (strip by strip)")->Unit(benchmark::kMillisecond);
BENCHMARK(rippleFrameFast)->Name("ripple heights+normals/fast (once per distance)")->Unit(benchmark::kMillisecond);
BENCHMARK(rippleGrid)->Name("ripple distances/once per centre")->Unit(benchmark::kMillisecond);
BENCHMARK(ringPositions)->Name("ring positions (7 items)")->Unit(benchmark::kMicrosecond);
BENCHMARK(cubeWavePositions)->Name("cube-wave positions (287 points)")->Unit(benchmark::kMicrosecond);
BENCHMARK(sparkleCorners)->Name("sparkle corners (48)")->Unit(benchmark::kMicrosecond);
BENCHMARK(spiralPoints)->Name("spiral vertices (200)")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatio("ripple heights and normals per frame", "ripple heights+normals/plain (strip by strip)",
                        "ripple heights+normals/fast (once per distance)");
    benchmark::Shutdown();
    return 0;
}
