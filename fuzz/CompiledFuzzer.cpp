//===- CompiledFuzzer.cpp - Hostile .res and PE files through the readers --===//
//
// The input is a .res file, an executable, or a bare version resource. The
// readers must never read outside the input, never throw and always end;
// what they accept must import to a document that a script can carry, and
// every compiled string must survive the script's escaping unchanged.
//
//===----------------------------------------------------------------------===//
#include "FuzzCheck.h"

#include "versioninfo/binary/CompareCompiled.h"
#include "versioninfo/binary/CompiledRecord.h"
#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/ResourceFile.h"
#include "versioninfo/script/ScriptWriter.h"

#include <cstdint>
#include <string_view>

namespace {

void CheckImport(const qm::CompiledVersionInfo& info) {
    const qm::ImportedRecord imported = qm::RecordFromCompiled(info, {});
    for (const std::string& value : imported.Record.StringValues) {
        for (char c : value)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20); // one script line
    }
    for (const qm::CompiledStringTable& table : info.Tables) {
        for (const qm::CompiledString& string : table.Strings) {
            const std::string text = qm::ScriptTextOfCompiled(string.Value);
            FUZZ_CHECK(qm::CompiledOfScriptText(text) == string.Value);
        }
    }
    (void)qm::CompareWithCompiled(imported.Record, info);
    (void)qm::FormScript(imported.Record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (qm::Expected<qm::CompiledResource> read = qm::ReadCompiledVersion(bytes))
        CheckImport(read->Info);
    // Each stage on its own as well, whatever the signature says.
    for (auto entries : {qm::ParseResFile(bytes), qm::ParsePeResources(bytes)}) {
        if (!entries)
            continue;
        for (const qm::ResourceEntry& entry : *entries) {
            FUZZ_CHECK(entry.Data.data() >= bytes.data() &&
                       entry.Data.data() + entry.Data.size() <= bytes.data() + bytes.size());
        }
    }
    if (qm::Expected<qm::CompiledVersionInfo> info = qm::DecodeVersionInfo(bytes))
        CheckImport(*info);
    return 0;
}
