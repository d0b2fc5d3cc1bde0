// What the host benchmarks share: a reporter that can compare two benchmarks
// of one run, per-unit counters, and cold caches before each timed run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

// The least of a benchmark's repetitions is its figure: other work on the
// machine can only make a run slower. Benchmarks that repeat use this.
inline double Least(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

inline benchmark::internal::Benchmark* Repeated(benchmark::internal::Benchmark* benchmark, int repetitions) {
  return benchmark->Repetitions(repetitions)->ComputeStatistics("least", Least);
}

// A console reporter that shows one line per benchmark (its least run when it
// repeats), and keeps the counters of those lines so that a program can print
// figures that compare two benchmarks of the same run.
// Benchmarks are named by function and arguments ("BM_Remove/devices:1000/
// patterns:1"); colours only on a terminal.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  // Names are shown without the settings (min_time, repeats), so the column
  // needs no room for them.
  bool ReportContext(const Context& context) override {
    Context narrower(context);
    narrower.name_field_width = std::min(context.name_field_width, size_t{46});
    return ConsoleReporter::ReportContext(narrower);
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      bool least = run.run_type == Run::RT_Aggregate && run.aggregate_name == "least";
      if (!run.error_occurred && !single && !least) continue;
      Run line = run;
      line.run_name.min_time.clear();
      line.run_name.repetitions.clear();
      shown.push_back(line);
      if (run.error_occurred) continue;
      for (const auto& counter : run.counters) counters_[line.run_name.str()][counter.first] = counter.second.value;
    }
    lines_.insert(lines_.end(), shown.begin(), shown.end());
  }

  // Repetitions finish in shuffled order; the table comes in the order the
  // benchmarks are declared.
  void Finalize() override {
    std::stable_sort(lines_.begin(), lines_.end(), [](const Run& a, const Run& b) {
      return a.family_index != b.family_index ? a.family_index < b.family_index
                                              : a.per_family_instance_index < b.per_family_instance_index;
    });
    if (!lines_.empty()) ConsoleReporter::ReportRuns(lines_);
    ConsoleReporter::Finalize();
  }

  // A counter of a benchmark that ran, or false when it did not run.
  bool Counter(const std::string& benchmark, const std::string& counter, double* value) const {
    auto run = counters_.find(benchmark);
    if (run == counters_.end()) return false;
    auto found = run->second.find(counter);
    if (found == run->second.end()) return false;
    *value = found->second;
    return true;
  }

  // Prints "label: a / b = ratio" for one counter of two benchmarks, when
  // both ran.
  void PrintRatio(const char* label, const std::string& counter, const std::string& numerator,
                  const std::string& denominator) const {
    double top = 0;
    double bottom = 0;
    if (!Counter(numerator, counter, &top) || !Counter(denominator, counter, &bottom) || bottom <= 0) return;
    std::printf("%-58s %6.3f\n", label, top / bottom);
  }

 private:
  std::map<std::string, std::map<std::string, double>> counters_;
  std::vector<Run> lines_;
};

// Seconds per unit of work: Google Benchmark shows the inverted rate in the
// time column's style (ns, us), the time one unit took.
inline benchmark::Counter PerUnit(double unitsPerIteration) {
  return benchmark::Counter(unitsPerIteration,
                            benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A real run starts in a fresh process, with nothing of the machine's state in
// the processor's caches. Timed runs repeated over a small simulated machine
// would find all of it there and make small machines look cheaper per device
// than large ones; writing over more memory than the caches hold first puts
// every size on the same footing. Some processors have last-level caches of
// 96 MB and more (64 MB was measurably too little here), hence 256 MB. Call
// it with the timer paused.
inline void ColdCaches() {
  static std::vector<char> sweep(size_t{256} << 20);
  for (size_t i = 0; i < sweep.size(); i += 64) sweep[i] = static_cast<char>(sweep[i] + 1);
  benchmark::ClobberMemory();
}

// Runs the program's benchmarks with the repetitions of all of them shuffled
// together, so that a change of load on the machine falls on every benchmark
// alike rather than on the ones that ran at the time; the command line may
// say otherwise. False on an unknown argument.
inline bool RunBenchmarks(int argc, char** argv, SummaryReporter* reporter) {
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> arguments(argv, argv + argc);
  arguments.insert(arguments.begin() + 1, interleave);
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return false;
  benchmark::RunSpecifiedBenchmarks(reporter);
  return true;
}
