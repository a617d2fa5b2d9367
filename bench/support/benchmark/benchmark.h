// The subset of Google Benchmark's interface the project's benchmarks use, for the Windows build,
// where the library is not available: State with its range-for loop, BENCHMARK, BENCHMARK_MAIN
// and DoNotOptimize. Results are printed in Google Benchmark's CSV form so that the two targets'
// runs can be put side by side.
#pragma once

#include <cstdint>
#include <vector>

namespace benchmark {

class State {
public:
    explicit State(int64_t iterations) : m_remaining(iterations) {}

    // What `for (auto _ : state)` binds; its destructor keeps the unused name from warning.
    struct value {
        ~value() {}
    };
    struct iterator {
        int64_t* remaining;
        bool operator!=(const iterator&) const { return *remaining > 0; }
        void operator++() { --*remaining; }
        value operator*() const { return value{}; }
    };
    iterator begin() { return iterator{&m_remaining}; }
    iterator end() { return iterator{&m_remaining}; }

private:
    int64_t m_remaining;
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
