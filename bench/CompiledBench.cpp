//===- CompiledBench.cpp - Reading the version back from a 1 MB executable -===//
//
// A 1 MB PE32+ file is made here: 1 MB of code section, then a resource
// section with the version resource of Example 2 (as llvm-rc compiled it,
// taken from the fuzz seeds). Measured: loading the file and finding and
// decoding its version resource, and the in-memory part alone.
//
//   quillmark_bench --benchmark_filter=Compiled
//
//===----------------------------------------------------------------------===//
#include "platform/FileRead.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/PeStamp.h"
#include "versioninfo/support/PagedFile.h"
#include "versioninfo/support/SafeSave.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace qm;

void Put16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value);
    out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, static_cast<std::uint16_t>(value));
    Put16(out, at + 2, static_cast<std::uint16_t>(value >> 16));
}

/// A PE32+ image: headers, a code section of `codeSize` bytes, and a
/// resource section holding `version` as RT_VERSION 1, language 0x409.
std::string ExecutableWithVersion(std::size_t codeSize, const std::string& version) {
    constexpr std::size_t PeAt = 0x40, Optional = PeAt + 24, Sections = Optional + 240;
    constexpr std::uint32_t CodeRva = 0x1000, HeadersSize = 0x400;
    const std::uint32_t rsrcRva =
        CodeRva + static_cast<std::uint32_t>((codeSize + 0xFFF) & ~0xFFFu);
    const std::uint32_t rsrcAt = HeadersSize + static_cast<std::uint32_t>(codeSize);
    // Three one-entry tables (16 + 8 bytes each), one data entry, the data.
    const std::uint32_t dataAt = 3 * 24 + 16;
    const std::uint32_t rsrcSize = dataAt + static_cast<std::uint32_t>(version.size());

    std::string image(rsrcAt + rsrcSize, '\0');
    image[0] = 'M', image[1] = 'Z';
    Put32(image, 0x3C, PeAt);
    image.replace(PeAt, 4, std::string("PE\0\0", 4));
    Put16(image, PeAt + 4, 0x8664);
    Put16(image, PeAt + 6, 2);    // sections
    Put16(image, PeAt + 20, 240); // optional header size
    Put16(image, Optional, 0x20B);
    Put32(image, Optional + 108, 16); // data directories
    Put32(image, Optional + 112 + 2 * 8, rsrcRva);
    Put32(image, Optional + 112 + 2 * 8 + 4, rsrcSize);
    const struct {
        const char* Name;
        std::uint32_t Rva, Size, At;
    } sections[] = {{".text", CodeRva, static_cast<std::uint32_t>(codeSize), HeadersSize},
                    {".rsrc", rsrcRva, rsrcSize, rsrcAt}};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t at = Sections + i * 40;
        image.replace(at, 5, sections[i].Name);
        Put32(image, at + 8, sections[i].Size);
        Put32(image, at + 12, sections[i].Rva);
        Put32(image, at + 16, sections[i].Size);
        Put32(image, at + 20, sections[i].At);
    }
    for (std::size_t i = 0; i < codeSize; ++i)
        image[HeadersSize + i] = static_cast<char>(0x90 ^ (i * 31));
    // type 16 -> name 1 -> language 0x409 -> data entry
    const std::uint32_t ids[] = {16, 1, 0x409};
    for (std::uint32_t level = 0; level < 3; ++level) {
        const std::size_t table = rsrcAt + level * 24;
        Put16(image, table + 14, 1);
        Put32(image, table + 16, ids[level]);
        Put32(image, table + 20, level < 2 ? (0x80000000u | ((level + 1) * 24)) : 3 * 24);
    }
    Put32(image, rsrcAt + 3 * 24, rsrcRva + dataAt);
    Put32(image, rsrcAt + 3 * 24 + 4, static_cast<std::uint32_t>(version.size()));
    image.replace(rsrcAt + dataAt, version.size(), version);
    return image;
}

/// An executable of `megabytes` MB, written to a temporary file.
std::string ExeOnDisk(std::size_t megabytes) {
    Expected<std::string> version = LoadFile(QM_COMPILED_SEEDS "/example2-block.bin");
    if (!version)
        std::fprintf(stderr, "%s\n", version.message().c_str());
    const std::string image =
        ExecutableWithVersion((megabytes << 20) - 0x1000, version ? *version : "");
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("quillmark_bench_" + std::to_string(megabytes) + "mb.exe"))
                                 .string();
    if (!SaveFileSafely(path, image))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return path;
}

std::string OneMegabyteExe() {
    return ExeOnDisk(1);
}

void BM_CompiledLoadAndRead1MBExe(benchmark::State& state) {
    const std::string path = OneMegabyteExe();
    for (auto _ : state) {
        Expected<std::string> bytes = LoadFile(path);
        Expected<CompiledResource> read = ReadCompiledVersion(*bytes);
        if (!read)
            state.SkipWithError(read.message().c_str());
        benchmark::DoNotOptimize(read.ok());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

void BM_CompiledReadInMemory1MBExe(benchmark::State& state) {
    const std::string path = OneMegabyteExe();
    const std::string bytes = *LoadFile(path);
    std::filesystem::remove(path);
    for (auto _ : state) {
        Expected<CompiledResource> read = ReadCompiledVersion(bytes);
        benchmark::DoNotOptimize(read.ok());
    }
}

/// A hostile shape: 65,535 sections ahead of the resource section, and
/// 32,000 RT_RCDATA resources (as many as the reader visits) beside the
/// version resource. Every resource's data must be found in the section
/// table.
std::string ManySectionsExe(const std::string& version) {
    constexpr std::uint32_t SectionCount = 65535, Resources = 32000;
    constexpr std::size_t PeAt = 0x40, Optional = PeAt + 24, Table = Optional + 240;
    const std::uint32_t headers =
        static_cast<std::uint32_t>(Table + SectionCount * 40 + 0xFFF) & ~0xFFFu;
    const std::uint32_t rsrcRva = 0x1000 + (SectionCount - 1) * 0x1000;
    // Root (RCDATA, VERSION) -> RCDATA names -> one language each; VERSION 1 -> 0x409.
    const std::uint32_t rootAt = 0, rcdataAt = 16 + 2 * 8;
    const std::uint32_t languagesAt = rcdataAt + 16 + Resources * 8;
    const std::uint32_t versionNamesAt = languagesAt + Resources * 24;
    const std::uint32_t versionLanguageAt = versionNamesAt + 24;
    const std::uint32_t entriesAt = versionLanguageAt + 24;
    const std::uint32_t dataAt = entriesAt + (Resources + 1) * 16;
    const std::uint32_t rsrcSize = dataAt + static_cast<std::uint32_t>(version.size()) + 16;
    std::string image(headers + rsrcSize, '\0');
    image[0] = 'M', image[1] = 'Z';
    Put32(image, 0x3C, PeAt);
    image.replace(PeAt, 4, std::string("PE\0\0", 4));
    Put16(image, PeAt + 4, 0x8664);
    Put16(image, PeAt + 6, static_cast<std::uint16_t>(SectionCount));
    Put16(image, PeAt + 20, 240);
    Put16(image, Optional, 0x20B);
    Put32(image, Optional + 108, 16);
    Put32(image, Optional + 112 + 2 * 8, rsrcRva);
    Put32(image, Optional + 112 + 2 * 8 + 4, rsrcSize);
    for (std::uint32_t i = 0; i < SectionCount; ++i) {
        const std::size_t at = Table + i * 40;
        const bool rsrc = i == SectionCount - 1;
        Put32(image, at + 8, rsrc ? rsrcSize : 0x10);
        Put32(image, at + 12, 0x1000 + i * 0x1000);
        Put32(image, at + 16, rsrc ? rsrcSize : 0x10);
        Put32(image, at + 20, rsrc ? headers : 0x40);
    }
    const std::size_t r = headers;
    const auto table = [&](std::uint32_t at, std::uint16_t ids) { Put16(image, r + at + 14, ids); };
    const auto entry = [&](std::uint32_t table, std::uint32_t i, std::uint32_t id,
                           std::uint32_t to) {
        Put32(image, r + table + 16 + i * 8, id);
        Put32(image, r + table + 16 + i * 8 + 4, to);
    };
    table(rootAt, 2);
    entry(rootAt, 0, 10, 0x80000000u | rcdataAt);
    entry(rootAt, 1, 16, 0x80000000u | versionNamesAt);
    table(rcdataAt, static_cast<std::uint16_t>(Resources));
    for (std::uint32_t i = 0; i < Resources; ++i) {
        const std::uint32_t language = languagesAt + i * 24;
        entry(rcdataAt, i, i + 1, 0x80000000u | language);
        table(language, 1);
        entry(language, 0, 0x409, entriesAt + i * 16);
        Put32(image, r + entriesAt + i * 16,
              rsrcRva + dataAt + static_cast<std::uint32_t>(version.size()));
        Put32(image, r + entriesAt + i * 16 + 4, 16);
    }
    table(versionNamesAt, 1);
    entry(versionNamesAt, 0, 1, 0x80000000u | versionLanguageAt);
    table(versionLanguageAt, 1);
    entry(versionLanguageAt, 0, 0x409, entriesAt + Resources * 16);
    Put32(image, r + entriesAt + Resources * 16, rsrcRva + dataAt);
    Put32(image, r + entriesAt + Resources * 16 + 4, static_cast<std::uint32_t>(version.size()));
    image.replace(r + dataAt, version.size(), version);
    return image;
}

void BM_CompiledManySectionsAndResources(benchmark::State& state) {
    Expected<std::string> version = LoadFile(QM_COMPILED_SEEDS "/example2-block.bin");
    const std::string bytes = ManySectionsExe(version ? *version : "");
    for (auto _ : state) {
        Expected<CompiledResource> read = ReadCompiledVersion(bytes);
        if (!read)
            state.SkipWithError(read.message().c_str());
        benchmark::DoNotOptimize(read.ok());
    }
}

/// An executable of 1 MB to 256 MB read in pages, as quillmark-rc reads
/// one: the time and the bytes held (bytes_held) stay flat as it grows.
void BM_CompiledPagedRead(benchmark::State& state) {
    const std::string path = ExeOnDisk(static_cast<std::size_t>(state.range(0)));
    std::size_t held = 0;
    for (auto _ : state) {
        auto file = platform::PositionedFile::OpenRegular(path);
        const PagedFileView view(*file);
        Expected<std::vector<CompiledResource>> read = ReadExecutableVersions(view);
        if (!read)
            state.SkipWithError(read.message().c_str());
        held = view.BytesHeld();
    }
    state.counters["bytes_held"] = static_cast<double>(held);
    std::filesystem::remove(path);
}

/// ExecutableWithVersion laid out as linkers lay out a program: the
/// alignments set, 1 MB of other resource data beside the version, and a
/// relocation section after the resources, so theirs is not last.
std::string ResourcesNotLast(std::size_t codeSize, const std::string& version) {
    constexpr std::size_t PeAt = 0x40, Optional = PeAt + 24, Sections = Optional + 240;
    constexpr std::uint32_t FileAlignment = 0x200, SectionAlignment = 0x1000;
    // The version's data followed by 1 MB the directory doesn't name.
    std::string image = ExecutableWithVersion(codeSize, version + std::string(1 << 20, '\x5A'));
    const std::size_t rsrc = Sections + 40;
    const std::uint32_t rsrcRva = *reinterpret_cast<const std::uint32_t*>(&image[rsrc + 12]);
    Put32(image, rsrc + 8, static_cast<std::uint32_t>(image.size() - 0x400 - codeSize));
    Put32(image, 0x400 + codeSize + 3 * 24 + 4, static_cast<std::uint32_t>(version.size()));
    Put32(image, Optional + 112 + 2 * 8 + 4,
          3 * 24 + 16 + static_cast<std::uint32_t>(version.size()));
    Put32(image, Optional + 32, SectionAlignment);
    Put32(image, Optional + 36, FileAlignment);
    Put32(image, Optional + 60, 0x400);
    image.resize((image.size() + FileAlignment - 1) & ~std::size_t(FileAlignment - 1), '\0');
    Put32(image, rsrc + 16, static_cast<std::uint32_t>(image.size() - 0x400 - codeSize));
    const std::uint32_t relocRva =
        (rsrcRva + static_cast<std::uint32_t>(image.size()) + SectionAlignment) &
        ~(SectionAlignment - 1);
    const std::size_t reloc = Sections + 80;
    image.replace(reloc, 6, ".reloc");
    Put32(image, reloc + 8, FileAlignment);
    Put32(image, reloc + 12, relocRva);
    Put32(image, reloc + 16, FileAlignment);
    Put32(image, reloc + 20, static_cast<std::uint32_t>(image.size()));
    Put16(image, PeAt + 6, 3);
    image.resize(image.size() + FileAlignment, '\0');
    Put32(image, Optional + 56, relocRva + SectionAlignment); // SizeOfImage
    return image;
}

/// Stamping a 16 MB program whose resource section is not last, with a
/// copy as large as the old (0), one 4 KB larger (1, the section rebuilt
/// in its room) and one 2 MB larger than all the room (2, the copy alone
/// moves to a new section): the time, and how many bytes the file grew.
void BM_StampResourcesNotLast(benchmark::State& state) {
    Expected<std::string> version = LoadFile(QM_COMPILED_SEEDS "/example2-block.bin");
    const std::string pe = ResourcesNotLast((16 << 20) - 0x1000, version ? *version : "");
    std::string data = version ? *version : "";
    data += std::string(state.range(0) == 0 ? 0 : state.range(0) == 1 ? 4096 : 2 << 20, '\0');
    StampRequest request;
    request.Language = 0x409;
    request.VersionData = data;
    std::size_t growth = 0;
    for (auto _ : state) {
        Expected<std::string> stamped = StampVersionResource(pe, request);
        if (!stamped) {
            state.SkipWithError(stamped.message().c_str());
            break;
        }
        growth = stamped->size() - pe.size();
        benchmark::DoNotOptimize(stamped->data());
    }
    state.counters["growth"] = static_cast<double>(growth);
}

BENCHMARK(BM_CompiledLoadAndRead1MBExe)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StampResourcesNotLast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompiledManySectionsAndResources)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompiledReadInMemory1MBExe)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompiledPagedRead)->Arg(1)->Arg(256)->Unit(benchmark::kMicrosecond);

} // namespace
