// The subset of Google Benchmark's interface the project's benchmarks use, for the Windows build,
// where the library is not available: State with its range-for loop, BENCHMARK, BENCHMARK_MAIN
// and DoNotOptimize. Results are printed in Google Benchmark's CSV form so that the two targets'
// runs can be put side by side.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace benchmark {

// Runs the benchmark's loop a given number of times and, as Google Benchmark does, times only the
// loop: from its start to the end of its last iteration, without the set-up before it and the
// clean-up after it.
class State {
public:
    explicit State(int64_t iterations) : m_remaining(iterations) {}

    // What `for (auto _ : state)` binds; its destructor keeps the unused name from warning.
    struct value {
        ~value() {}
    };
    struct iterator {
        State* state;
        bool operator!=(const iterator&) const { return state->keep_running(); }
        void operator++() { --state->m_remaining; }
        value operator*() const { return value{}; }
    };
    iterator begin() {
        m_start = clock::now();
        return iterator{this};
    }
    iterator end() { return iterator{this}; }

    // How long the loop took; zero if it has not ended.
    double seconds() const { return std::chrono::duration<double>(m_finish - m_start).count(); }

private:
    using clock = std::chrono::steady_clock;
    bool keep_running() {
        if (m_remaining > 0) return true;
        m_finish = clock::now();
        return false;
    }
    int64_t m_remaining;
    clock::time_point m_start{}, m_finish{};
};

template <class T>
inline void DoNotOptimize(T& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}
template <class T>
inline void DoNotOptimize(const T& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

namespace internal {
using function = void (*)(State&);
int register_benchmark(const char* name, function body);
int run_all();
}  // namespace internal

}  // namespace benchmark

#define BENCHMARK_CONCAT2(a, b) a##b
#define BENCHMARK_CONCAT(a, b) BENCHMARK_CONCAT2(a, b)
#define BENCHMARK(body)                                              \
    static int BENCHMARK_CONCAT(benchmark_registration_, __LINE__) = \
        ::benchmark::internal::register_benchmark(#body, body)
#define BENCHMARK_MAIN() \
    int main() { return ::benchmark::internal::run_all(); }
