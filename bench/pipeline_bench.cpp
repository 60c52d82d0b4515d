// pipeline_bench.cpp — the whole cmd7420 run in process on the largest
// example (four receive channels with AGC, all six outputs), the same run
// split into its stages so that the costly ones stand out, and a sweep of
// 1,000 configurations compiled by one invocation.
//
//   cmake --build build --target bench_cmd7420
//   build/bench_cmd7420 [--benchmark_repetitions=10 ...]
//
// Every iteration runs in a fresh directory of its own, made while the
// timing is paused and holding links to the examples, exactly as a user's
// run in a new directory: the temporary command file and the outputs are
// created there. Nothing is deleted until the benchmark ends. (Removing the
// previous iteration's outputs instead would time the file system's
// handling of files deleted moments ago; rewriting them in place would time
// ext4 writing their data back at close.) The directories are in /dev/shm
// unless TMPDIR names another place: these figures are the program's, and
// creating files on a disk's file system of a shared machine varies tenfold
// with what else runs there; bench/time_process.sh measures whole runs where
// users run them, against cp. The program's standard output and standard
// error go to /dev/null while it runs, so the benchmark's own report stays
// readable.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "input/cleaning.h"
#include "input/cmdin.h"
#include "config/config.h"
#include "vartable/defaults.h"
#include "diag.h"
#include "diagloc.h"
#include "driver/driver.h"
#include "config/gain.h"
#include "vartable/origins.h"
#include "verify/pfiranalysis.h"
#include "config/preconfig.h"
#include "records.h"
#include "output/outputs.h"
#include "output/replacement.h"
#include "verify/response.h"
#include "output/responseout.h"
#include "output/responseplot.h"
#include "verify/sanity.h"
#include "output/setregs.h"
#include "output/writeit.h"

namespace {

namespace fs = std::filesystem;

const char* const kLargest = "rx4_agc.txt";

fs::path scratch_base() {
  std::error_code ignored;
  if (!std::getenv("TMPDIR") && fs::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return fs::temp_directory_path();
}

// A scratch directory with the examples, made the current directory for the
// lifetime of the object; fresh() moves to a new directory inside it that
// links to the same files.
class ExampleDir {
 public:
  ExampleDir() {
    std::string tmpl = (scratch_base() / "cmd7420_bench_XXXXXX").string();
    if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    for (const auto& e : fs::directory_iterator(CMD7420_SOURCE_DIR "/examples"))
      if (e.is_regular_file()) fs::copy_file(e.path(), path_ / e.path().filename());
    old_ = fs::current_path();
    fs::current_path(path_);
  }
  ~ExampleDir() {
    fs::current_path(old_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ExampleDir(const ExampleDir&) = delete;
  ExampleDir& operator=(const ExampleDir&) = delete;

  const fs::path& path() const { return path_; }

  // A new directory with links to every file of the first one (links take
  // no new inodes), made the current directory.
  void fresh() {
    const fs::path dir = path_ / ("run" + std::to_string(runs_++));
    fs::create_directory(dir);
    for (const auto& e : fs::directory_iterator(path_))
      if (e.is_regular_file()) fs::create_hard_link(e.path(), dir / e.path().filename());
    fs::current_path(dir);
  }

 private:
  fs::path path_, old_;
  int runs_ = 0;
};

// Sends standard output and standard error to /dev/null until destroyed.
class Silence {
 public:
  Silence() {
    std::fflush(stdout);
    std::fflush(stderr);
    int null = open("/dev/null", O_WRONLY);
    out_ = dup(1);
    err_ = dup(2);
    dup2(null, 1);
    dup2(null, 2);
    close(null);
  }
  ~Silence() {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(out_, 1);
    dup2(err_, 2);
    close(out_);
    close(err_);
  }
  Silence(const Silence&) = delete;
  Silence& operator=(const Silence&) = delete;

 private:
  int out_, err_;
};

int run_whole(const char* control) {
  char prog[] = "cmd7420";
  std::string name = control;
  char* argv[] = {prog, &name[0], nullptr};
  return run_program(2, argv);
}

void BM_WholeRun(benchmark::State& state) {
  ExampleDir dir;
  int status = 0;
  for (auto _ : state) {
    state.PauseTiming();
    dir.fresh();
    state.ResumeTiming();
    Silence quiet;
    status = run_whole(kLargest);
  }
  if (status != 0) state.SkipWithError("the example did not run cleanly");
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMicrosecond);

// The largest example again with `print response` added: the difference to
// BM_WholeRun is what the response costs a run.
void BM_WholeRunWithResponse(benchmark::State& state) {
  ExampleDir dir;
  const char* control = "rx4_agc_response.txt";
  if (FILE* f = std::fopen(control, "w")) {
    std::fprintf(f, "include %s\nprint response\n", kLargest);
    std::fclose(f);
  }
  int status = 0;
  for (auto _ : state) {
    state.PauseTiming();
    dir.fresh();
    state.ResumeTiming();
    Silence quiet;
    status = run_whole(control);
  }
  if (status != 0) state.SkipWithError("the example did not run cleanly");
}
BENCHMARK(BM_WholeRunWithResponse)->Unit(benchmark::kMicrosecond);

// The response alone, after one run of a four-channel example has left its
// configuration in the records: the model with both texts in memory
// (argument 0), and the same with the two files written and put in place
// (argument 1). rx4_agc.txt has one chain in four channels, transceive.txt
// two.
void BM_Response(benchmark::State& state, const char* control) {
  ExampleDir dir;
  {
    Silence quiet;
    run_whole(control);
  }
  const bool files = state.range(0) == 1;
  state.SetLabel(files ? "with files" : "in memory");
  size_t bytes = 0;
  for (auto _ : state) {
    if (files) {
      state.PauseTiming();
      dir.fresh();
      state.ResumeTiming();
      ResponseTexts texts = response_texts(control);
      add_output_text(control, "csv", kOutResponse, std::move(texts.csv));
      add_output_text(control, "svg", kOutResponse, std::move(texts.svg));
      close_outputs();
    } else {
      ChipResponse resp = chip_response(g, chan);
      bytes = response_csv(resp, control).size() + response_svg(resp, control).size();
      benchmark::DoNotOptimize(bytes);
    }
  }
}
BENCHMARK_CAPTURE(BM_Response, rx4_agc, "rx4_agc.txt")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Response, transceive, "transceive.txt")->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// The run's stages, in the driver's order.
enum Stage { kInterpret, kCompute, kPack, kWrite, kSave, kStages };
const char* const kStageNames[kStages] = {"interpret", "compute", "pack", "write", "save"};

using Clock = std::chrono::steady_clock;

// One whole run, with the time spent in each stage added to `spent`. The
// sequence is the driver's: reading the control file (and saving the
// temporary command file), the computation and check passes, packing,
// formatting the outputs, writing them to their files.
void timed_run(const char* control, double spent[kStages]) {
  bool override_seen = false;
  auto t0 = Clock::now();
  init();
  reset_source_locations(control);
  names_temporary_command_file(control);  // the driver's check, which opens the file
  createTmpCmdFile(control);
  {
    ReplacementFile tmp;
    const std::string text = expanded_text();
    if (tmp.create(temporary_command_file()) == 0 && tmp.write_all(text.data(), text.size()) == 0)
      tmp.commit();
  }
  cmdin(control, Pass::kFirst, &override_seen);
  note_values_read();
  auto t1 = Clock::now();
  mymsgfun("cmd7420 - revWorking, Feb 14 2005\n");
  preconfig();
  ck_mandatory();
  config();
  sanity();
  for (int c = 0; c < 4; ++c) pfir_analysis(c);
  calc_power();
  note_values_computed();
  if (override_seen) cmdin(control, Pass::kOverride, nullptr);
  auto t2 = Clock::now();
  setregs();
  auto t3 = Clock::now();
  writeall();
  auto t4 = Clock::now();
  close_outputs();
  finish_run(0);
  auto t5 = Clock::now();
  const Clock::time_point marks[] = {t0, t1, t2, t3, t4, t5};
  for (int s = 0; s < kStages; ++s)
    spent[s] += std::chrono::duration<double>(marks[s + 1] - marks[s]).count();
}

void BM_Stage(benchmark::State& state) {
  const int stage = static_cast<int>(state.range(0));
  state.SetLabel(kStageNames[stage]);
  ExampleDir dir;
  for (auto _ : state) {
    double spent[kStages] = {};
    dir.fresh();
    {
      Silence quiet;
      timed_run(kLargest, spent);
    }
    state.SetIterationTime(spent[stage]);
  }
}
BENCHMARK(BM_Stage)->DenseRange(kInterpret, kSave)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// A sweep: 1,000 variants of the largest example, each tuning channel A
// elsewhere, compiled by one invocation given all of them, as
// `cmd7420 sweep0000.txt ... sweep0999.txt` compiles them (every run starts
// with init, which resets all state). Each iteration writes into a
// directory of its own, made before it is timed, so that no output replaces
// one of an earlier iteration.
constexpr int kSweep = 1000;

std::string sweep_control(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "sweep%04d.txt", i);
  return name;
}

void write_sweep_family(const fs::path& dir) {
  for (int i = 0; i < kSweep; ++i) {
    if (FILE* f = std::fopen((dir / sweep_control(i)).c_str(), "w")) {
      // 5 to 45 MHz in steps of 0.04 MHz.
      std::fprintf(f, "include %s\nchannel 0\nfreq %.2f\n", kLargest, 5.0 + 0.04 * i);
      std::fclose(f);
    }
  }
}

void BM_Sweep(benchmark::State& state) {
  ExampleDir dir;
  write_sweep_family(dir.path());
  int failed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    dir.fresh();
    state.ResumeTiming();
    {
      Silence quiet;
      std::vector<std::string> names = {"cmd7420"};
      for (int i = 0; i < kSweep; ++i) names.push_back(sweep_control(i));
      std::vector<char*> argv;
      for (std::string& name : names) argv.push_back(&name[0]);
      argv.push_back(nullptr);
      failed += run_program(static_cast<int>(names.size()), argv.data()) != 0;
    }
  }
  if (failed) state.SkipWithError("a configuration of the sweep did not run cleanly");
  state.counters["per_configuration"] = benchmark::Counter(
      kSweep, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Sweep)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
