/** @file The whole client in the sample world against the scripted shard, pacing off: main-thread CPU per pass that ran the world step while the player walks, and per pass that ran only the interface step. */
// bench-links: client_program shard_kernel sample_install_writer
// bench-sources: tests/e2e/client_harness.cpp tests/support/temp_dir.cpp
#include "client/core/app.h"
#include "client/world/object_manager.h"
#include "client/world/walk.h"
#include "tests/e2e/client_harness.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

/** The value below which the given share of the values lie (0.5: the median). */
double quantile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
}

/**
 * One client run: log in, enter the world, settle, then walk east and west along a row of six
 * cells for `kPasses` passes. The clock moves 40 ms a pass, so the interface step (33 ms apart)
 * runs in every pass and the world step (76 ms apart) in every second one; a pass's CPU time is
 * the main thread's time from the start of one pass to the start of the next.
 */
void BM_ClientWalkingInTheWorld(benchmark::State& state)
{
    constexpr int kPasses = 1000;
    for (auto _ : state) {
        testsupport::ShardSettings settings;
        settings.objects = testsupport::DefaultShardObjects(settings);
        e2e::ClientRun client(settings);
        client.enterWorld(u"tester", u"secret");
        int settle = 0;
        client.then("settled", [&] { return ++settle > 20; });
        int measured = 0;
        client.then("walked", [&] { return measured >= kPasses; });

        bool worldStep = false;
        bool wrapped = false;
        bool measuring = false;
        double passStart = 0;
        int steps = 0;
        std::vector<double> world, interfaceOnly;
        client.afterSteps = [&] {
            const double now = threadCpuMs();
            if (measuring) {
                (worldStep ? world : interfaceOnly).push_back(now - passStart);
                ++measured;
            }
            if (!wrapped && g_bInGame && settle > 20) {
                // From here on a drawn frame marks a pass that ran the world step.
                auto draw = TickHooks().drawFrame;
                TickHooks().drawFrame = [draw, &worldStep] {
                    worldStep = true;
                    if (draw)
                        draw();
                };
                wrapped = true;
                measuring = true;
            }
            if (measuring && Walk::State().count == 0) {
                RequestWalk((steps / 6) % 2 == 0 ? 3 : 7, 0, true);
                ++steps;
            }
            worldStep = false;
            passStart = threadCpuMs();
        };
        const int code = client.run(20000);
        if (code != 0 || !client.stoppedAt().empty()) {
            state.SkipWithError(("the run stopped at " + client.stoppedAt()).c_str());
            return;
        }
        state.counters["world_pass_ms"] = quantile(world, 0.5);
        state.counters["world_pass_p90_ms"] = quantile(world, 0.9);
        state.counters["interface_pass_ms"] = quantile(interfaceOnly, 0.5);
        state.counters["interface_pass_p90_ms"] = quantile(interfaceOnly, 0.9);
        state.counters["world_passes"] = static_cast<double>(world.size());
        state.counters["interface_passes"] = static_cast<double>(interfaceOnly.size());
        state.counters["steps_acknowledged"] = client.shard().stepsAccepted();
        state.counters["steps_refused"] = client.shard().stepsRejected();
    }
}
BENCHMARK(BM_ClientWalkingInTheWorld)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
