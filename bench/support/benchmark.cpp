#include "benchmark/benchmark.h"

#include <cstdio>

namespace benchmark::internal {

namespace {

struct entry {
    const char* name;
    function body;
};

std::vector<entry>& registry() {
    static std::vector<entry> entries;
    return entries;
}

double seconds_for(function body, int64_t iterations) {
    State state(iterations);
    body(state);
    return state.seconds();
}

}  // namespace

int register_benchmark(const char* name, function body) {
    registry().push_back({name, body});
    return 0;
}

// Like Google Benchmark, grows the iteration count until a run lasts at least half a second.
int run_all() {
    constexpr double MINIMUM_SECONDS = 0.5;
    std::printf("name,iterations,real_time,cpu_time,time_unit\n");
    for (const entry& benchmark : registry()) {
        int64_t iterations = 1;
        double seconds = seconds_for(benchmark.body, iterations);
        while (seconds < MINIMUM_SECONDS) {
            double factor = seconds > 0 ? MINIMUM_SECONDS * 1.4 / seconds : 10.0;
            iterations = static_cast<int64_t>(iterations * (factor > 10.0 ? 10.0 : (factor < 2.0 ? 2.0 : factor)));
            seconds = seconds_for(benchmark.body, iterations);
        }
        double nanoseconds = seconds * 1e9 / static_cast<double>(iterations);
        std::printf("\"%s\",%lld,%.1f,%.1f,ns\n", benchmark.name, static_cast<long long>(iterations), nanoseconds,
                    nanoseconds);
    }
    return 0;
}

}  // namespace benchmark::internal
