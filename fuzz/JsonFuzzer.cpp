//===- JsonFuzzer.cpp - Hostile JSON through quillmark-rc's reader --------===//
//
// Any bytes, as a JSON document for `write --from` (in either shape) and as the value of one
// string: the reader must never crash or hang, and every byte string must
// come back from its JSON form unchanged (the byte rule).
//
//===----------------------------------------------------------------------===//
#include "FuzzCheck.h"

#include "cli/ByteText.h"
#include "cli/GoVersionInfo.h"
#include "cli/RecordJson.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qm::Expected<nlohmann::json> parsed =
        qm::ParseJsonBytes("[" + qm::JsonStringLiteral(bytes) + "]");
    FUZZ_CHECK(parsed.ok());
    FUZZ_CHECK(parsed->at(0).get<std::string>() == bytes);
    (void)qm::RecordFromJson(bytes, qm::NewDocumentDefaults{});
    // goversioninfo's shape too: whatever it reads must make a script.
    if (qm::LooksLikeGoVersionInfo(bytes))
        (void)qm::ScriptOfGoVersionInfo(bytes);
    return 0;
}
