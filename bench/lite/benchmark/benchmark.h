#pragma once
// A small stand-in for the part of Google Benchmark that nimbra-bench uses,
// for the Windows twin of the benchmark program (Debian ships Google
// Benchmark for the build host only). Each benchmark runs for about half a
// second of wall time and prints its mean time per iteration.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond };

class State {
 public:
  State(int64_t arg, int64_t iterations) : arg_(arg), left_(iterations), total_(iterations) {}
  int64_t range(int) const { return arg_; }
  void SetComplexityN(int64_t) {}
  void SkipWithError(const char* message) {
    error_ = message;
    left_ = 0;
  }
  int64_t iterations() const { return total_; }
  const std::string& error() const { return error_; }

  // The loop variable's type; its user-provided constructor and destructor
  // keep the compiler from calling an unused loop variable a mistake.
  struct Value {
    Value() {}
    ~Value() {}
  };
  struct Iterator {
    State* s;
    bool operator!=(const Iterator&) const { return s->left_ > 0; }
    void operator++() { --s->left_; }
    Value operator*() const { return Value(); }
  };
  Iterator begin() { return Iterator{this}; }
  Iterator end() { return Iterator{this}; }

 private:
  int64_t arg_;
  int64_t left_;
  int64_t total_;
  std::string error_;
};

template <class T>
inline void DoNotOptimize(T const& value) {
  asm volatile("" : : "r,m"(value) : "memory");
}

namespace internal {

struct Registered {
  std::string name;
  void (*fn)(State&);
  std::vector<int64_t> args;
  TimeUnit unit = kNanosecond;
  Registered* Arg(int64_t a) {
    args.push_back(a);
    return this;
  }
  Registered* Unit(TimeUnit u) {
    unit = u;
    return this;
  }
  Registered* Complexity() { return this; }
};

inline std::vector<Registered*>& Registry() {
  static std::vector<Registered*> all;
  return all;
}

inline Registered* Register(const char* name, void (*fn)(State&)) {
  auto* r = new Registered{name, fn, {}, kNanosecond};
  Registry().push_back(r);
  return r;
}

inline double Run(void (*fn)(State&), int64_t arg, int64_t iterations, std::string* error) {
  State state(arg, iterations);
  const auto t0 = std::chrono::steady_clock::now();
  fn(state);
  const auto t1 = std::chrono::steady_clock::now();
  *error = state.error();
  return std::chrono::duration<double, std::nano>(t1 - t0).count();
}

}  // namespace internal

inline int RunAll() {
  std::printf("%-28s %14s %12s\n", "Benchmark", "Time", "Iterations");
  for (auto* r : internal::Registry()) {
    std::vector<int64_t> args = r->args;
    if (args.empty()) args.push_back(0);
    for (int64_t arg : args) {
      std::string error;
      int64_t n = 1;
      double ns = internal::Run(r->fn, arg, n, &error);
      while (error.empty() && ns < 5e8 && n < (int64_t{1} << 30)) {
        n = ns < 1e6 ? n * 10 : static_cast<int64_t>(n * 5e8 / ns) + 1;
        ns = internal::Run(r->fn, arg, n, &error);
      }
      const double per = ns / static_cast<double>(n);
      const char* unit = r->unit == kMillisecond ? "ms" : r->unit == kMicrosecond ? "us" : "ns";
      const double scaled = r->unit == kMillisecond ? per / 1e6 : r->unit == kMicrosecond ? per / 1e3 : per;
      const std::string name = r->name + "/" + std::to_string(arg);
      if (!error.empty())
        std::printf("%-28s ERROR: %s\n", name.c_str(), error.c_str());
      else
        std::printf("%-28s %11.3f %s %12lld\n", name.c_str(), scaled, unit,
                    static_cast<long long>(n));
    }
  }
  return 0;
}

}  // namespace benchmark

#define BENCHMARK_CAT2(a, b) a##b
#define BENCHMARK_CAT(a, b) BENCHMARK_CAT2(a, b)
#define BENCHMARK(fn)                                                  \
  static ::benchmark::internal::Registered* BENCHMARK_CAT(bench_, __LINE__) \
      [[maybe_unused]] = ::benchmark::internal::Register(#fn, fn)
#define BENCHMARK_MAIN() \
  int main() { return ::benchmark::RunAll(); }
