//===- ScriptBench.cpp - Read and write costs of the script stages ---------===//
//
// Measures the reader and the writer on a typical script (Example 2) and on
// large scripts made mostly of comment lines, against a baseline that only
// loads the file and splits its lines. The reader should stay linear and
// within a small factor of that baseline.
//
//   quillmark_bench --benchmark_filter=10MB
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/SafeSave.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace qm;

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("quillmark_bench_" + name)).string();
}

std::string ExampleText() {
    Expected<std::string> bytes = LoadFile(std::string(QM_EXAMPLES_DIR) + "/Example2.rc");
    return bytes ? *bytes : std::string();
}

// A script of about `size` bytes: comment lines of varied length, then the
// version resource of Example 2.
std::string LargeScript(size_t size) {
    std::string text;
    text.reserve(size + 4096);
    for (unsigned n = 0; text.size() < size; ++n) {
        text += "// Change log entry ";
        text += std::to_string(n);
        text += ": adjusted the build of module ";
        text.append(n % 37, 'x');
        text += "\r\n";
    }
    return text + ExampleText();
}

// Writes the script of `bytes` to a file once per size and returns its path.
std::string ScriptFile(size_t size) {
    const std::string path = TempPath("read_" + std::to_string(size) + ".rc");
    const std::string bytes = size == 0 ? ExampleText() : LargeScript(size);
    if (!SaveFileSafely(path, bytes))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return path;
}

void SetBytes(benchmark::State& state, const std::string& path) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}

void BM_LoadAndSplitBaseline(benchmark::State& state) {
    const std::string path = ScriptFile(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        Expected<std::string> bytes = LoadFile(path);
        Lines lines = SplitLines(*bytes);
        benchmark::DoNotOptimize(lines.data());
    }
    SetBytes(state, path);
    std::filesystem::remove(path);
}

void BM_ReadScript(benchmark::State& state) {
    const std::string path = ScriptFile(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        Expected<std::string> bytes = LoadFile(path);
        ReadResult result = ReadScriptText(*bytes, {});
        benchmark::DoNotOptimize(result.Record.ComIncLines.data());
    }
    SetBytes(state, path);
    std::filesystem::remove(path);
}

void BM_WriteScript(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0));
    const std::string source = size == 0 ? ExampleText() : LargeScript(size);
    const VersionRecord record = ReadScriptText(source, {}).Record;
    const std::string path = TempPath("write.rc");
    for (auto _ : state) {
        Status status = WriteScript(record, path);
        benchmark::DoNotOptimize(status.ok());
    }
    SetBytes(state, path);
    std::filesystem::remove(path);
}

// The shapes that cost the reader most for their size: the shortest lines
// a script may have in bulk, one huge line, one huge string value. Besides
// the time, the counter "peak_x_input" gives the process's peak resident
// size so far over the input's (the bound is 10 for any input up to the
// cap); shape 0 runs first and costs most.
std::string WorstShape(int shape, size_t size) {
    const std::string example = ExampleText();
    std::string text;
    text.reserve(size + example.size());
    if (shape == 0) {
        while (text.size() < size)
            text += "// 34567890\n";
        return text + example;
    }
    if (shape == 1)
        return "// " + std::string(size, 'x') + "\n" + example;
    text = example;
    text.insert(text.find("\"Example\\0\"") + 1, std::string(size, 'v'));
    return text;
}

double PeakResidentBytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    double kilobytes = 0;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %lf kB", &kilobytes) == 1)
            break;
    if (status)
        std::fclose(status);
    return kilobytes * 1024;
}

void BM_ReadWorstShape(benchmark::State& state) {
    const std::string bytes = WorstShape(static_cast<int>(state.range(0)), 32u << 20);
    for (auto _ : state) {
        ReadResult result = ReadScriptText(bytes, {}, false);
        benchmark::DoNotOptimize(result.Record.ComIncLines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
    state.counters["peak_x_input"] = PeakResidentBytes() / static_cast<double>(bytes.size());
}

// 0 stands for the typical script; the others are comment-heavy sizes.
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("bytes")->Arg(0)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_LoadAndSplitBaseline)->Apply(Sizes);
// 0: 12-byte comment lines, 1: one long line, 2: one long string value.
BENCHMARK(BM_ReadWorstShape)->ArgName("shape")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadScript)->Apply(Sizes);
BENCHMARK(BM_WriteScript)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
