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
#include "versioninfo/SafeSave.h"
#include "versioninfo/ScriptReader.h"
#include "versioninfo/ScriptWriter.h"

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
    Lines imageLines;
    for (auto _ : state) {
        Status status = WriteScript(record, path, imageLines);
        benchmark::DoNotOptimize(status.ok());
    }
    SetBytes(state, path);
    std::filesystem::remove(path);
}

// 0 stands for the typical script; the others are comment-heavy sizes.
void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("bytes")->Arg(0)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_LoadAndSplitBaseline)->Apply(Sizes);
BENCHMARK(BM_ReadScript)->Apply(Sizes);
BENCHMARK(BM_WriteScript)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
