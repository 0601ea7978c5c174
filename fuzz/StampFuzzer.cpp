//===- StampFuzzer.cpp - Hostile executables through the stamper ----------===//
//
// The input is an executable to stamp with a small version resource. A file
// the stamper can't rewrite safely must be refused; one it writes must read
// back with the new version resource and every other resource unchanged.
//
//===----------------------------------------------------------------------===//
#include "FuzzCheck.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/PeStamp.h"
#include "versioninfo/binary/ResCompiler.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <tuple>

namespace {

using Key =
    std::tuple<bool, std::uint32_t, std::string, bool, std::uint32_t, std::string, std::uint16_t>;

Key KeyOf(const qm::ResourceEntry& entry) {
    return {entry.Type.IsNumber, entry.Type.Number, entry.Type.Text, entry.Name.IsNumber,
            entry.Name.Number,   entry.Name.Text,   entry.Language};
}

bool IsVersion(const qm::ResourceEntry& entry) {
    return entry.Type.IsNumber && entry.Type.Number == qm::VersionResourceType;
}

const std::string& VersionData() {
    static const std::string data = [] {
        const qm::Expected<std::string> res = qm::CompileVersionResource(
            "1 VERSIONINFO\nFILEVERSION 1,2,3,4\nBEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n"
            "  BLOCK \"040904B0\"\n  BEGIN\n   VALUE \"FileVersion\", \"1.2.3.4\"\n  END\n"
            " END\nEND\n");
        return std::string(qm::ParseResFile(*res)->front().Data);
    }();
    return data;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view pe(reinterpret_cast<const char*>(data), size);
    qm::StampRequest request;
    request.Language = 0x0409;
    request.VersionData = VersionData();
    request.Force = true;
    const qm::Expected<std::string> stamped = qm::StampVersionResource(pe, request);
    if (!stamped)
        return 0;
    const qm::Expected<std::vector<qm::ResourceEntry>> before = qm::ParsePeResources(pe);
    const qm::Expected<std::vector<qm::ResourceEntry>> after = qm::ParsePeResources(*stamped);
    FUZZ_CHECK(before && after);
    // The copy replaced: the first version resource of the language, else a
    // new one named 1.
    Key replaced{true, qm::VersionResourceType, "", true, 1, "", request.Language};
    for (const qm::ResourceEntry& entry : *before)
        if (IsVersion(entry) && entry.Language == request.Language) {
            replaced = KeyOf(entry);
            break;
        }
    std::map<Key, std::string_view> expected;
    for (const qm::ResourceEntry& entry : *before)
        expected[KeyOf(entry)] = entry.Data;
    expected[replaced] = request.VersionData;
    FUZZ_CHECK(after->size() == expected.size());
    for (const qm::ResourceEntry& entry : *after) {
        const auto found = expected.find(KeyOf(entry));
        FUZZ_CHECK(found != expected.end() && found->second == entry.Data);
    }
    return 0;
}
