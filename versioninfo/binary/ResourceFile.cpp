//===- ResourceFile.cpp - The resources of a compiled .res file ------------===//

#include "versioninfo/binary/ResourceFile.h"

#include "versioninfo/support/BinaryView.h"
#include "versioninfo/support/Unicode.h"

namespace qm {

namespace {

// DataSize, HeaderSize, then the smallest type and name (two numbers),
// then DataVersion, MemoryFlags, LanguageId, Version, Characteristics.
constexpr std::size_t MinHeaderSize = 32;

/// Reads a type or name at `at` (a number after 0xFFFF, or a NUL-ended
/// UTF-16 text) and moves `at` past it, staying before `end`.
Status ReadId(const BinaryView& view, std::size_t& at, std::size_t end, const char* what,
              ResourceId& id) {
    std::optional<std::uint16_t> first = view.U16(at);
    if (!first || at + 2 > end)
        return Status::Fail(std::string("The resource ") + what + " at offset " + HexOffset(at) +
                            " runs past its header");
    if (*first == 0xFFFF) {
        std::optional<std::uint16_t> number = view.U16(at + 2);
        if (!number || at + 4 > end)
            return Status::Fail(std::string("The resource ") + what + " number at offset " +
                                HexOffset(at) + " runs past its header");
        id.IsNumber = true;
        id.Number = *number;
        at += 4;
        return Status::Ok();
    }
    // A name may be as long as its header allows: compilers take names of
    // hundreds of characters.
    const std::size_t start = at;
    for (;;) {
        std::optional<std::uint16_t> unit = view.U16(at);
        if (!unit || at + 2 > end)
            return Status::Fail(std::string("The resource ") + what + " at offset " +
                                HexOffset(start) + " has no end within its header");
        at += 2;
        if (*unit == 0)
            break;
    }
    id.IsNumber = false;
    id.Text = EncodeUtf8(DecodeUtf16Le(view.Slice(start, at - 2 - start)));
    return Status::Ok();
}

} // namespace

bool LooksLikeResFile(std::string_view bytes) {
    static const char Marker[] = {0,      0,      0, 0, 0x20,   0,      0, 0,
                                  '\xFF', '\xFF', 0, 0, '\xFF', '\xFF', 0, 0};
    return bytes.size() >= sizeof Marker &&
           bytes.compare(0, sizeof Marker, std::string_view(Marker, sizeof Marker)) == 0;
}

bool LooksLike16BitResFile(std::string_view bytes) {
    // Each entry starts with its type: 0xFF and a number, or a name. A
    // script never starts so: 0xFF 0xFE is UTF-16's mark, and a text has no
    // NUL, which a 16-bit number or name end brings at once.
    if (bytes.size() < 4 || bytes[0] != '\xFF' || bytes[1] == '\xFE')
        return false;
    return bytes.substr(0, 16).find('\0') != std::string_view::npos;
}

Expected<std::vector<ResourceEntry>> ParseResFile(std::string_view bytes) {
    if (!LooksLikeResFile(bytes))
        return Status::Fail("Not a 32-bit .res file: it does not begin with the empty entry "
                            "that starts one");
    const BinaryView view(bytes);
    std::vector<ResourceEntry> entries;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::optional<std::uint32_t> dataSize = view.U32(at);
        const std::optional<std::uint32_t> headerSize = view.U32(at + 4);
        if (!dataSize || !headerSize)
            return Status::Fail("The resource entry at offset " + HexOffset(at) +
                                " is cut off: its sizes are missing");
        if (*headerSize < MinHeaderSize || !view.Has(at, *headerSize))
            return Status::Fail("The resource entry at offset " + HexOffset(at) +
                                " has a header size of " + std::to_string(*headerSize) +
                                ", which does not fit in the file");
        const std::size_t headerEnd = at + *headerSize;
        if (!view.Has(headerEnd, *dataSize))
            return Status::Fail("The resource entry at offset " + HexOffset(at) + " claims " +
                                std::to_string(*dataSize) + " bytes of data, but only " +
                                std::to_string(bytes.size() - headerEnd) + " remain");
        ResourceEntry entry;
        std::size_t cursor = at + 8;
        if (Status type = ReadId(view, cursor, headerEnd, "type", entry.Type); !type)
            return type;
        if (Status name = ReadId(view, cursor, headerEnd, "name", entry.Name); !name)
            return name;
        const std::optional<std::size_t> fields = AlignUp4(cursor);
        // DataVersion (4), MemoryFlags (2), then the language.
        const std::optional<std::uint16_t> language = fields ? view.U16(*fields + 6) : std::nullopt;
        if (!language || *fields + 16 > headerEnd)
            return Status::Fail("The resource entry at offset " + HexOffset(at) +
                                " has a header too short for its fields");
        entry.Language = *language;
        entry.Offset = headerEnd;
        entry.Data = view.Slice(headerEnd, *dataSize);
        const bool marker = at == 0;
        if (!marker)
            entries.push_back(std::move(entry));
        const std::optional<std::size_t> next = AlignUp4(headerEnd + *dataSize);
        if (!next)
            break;
        at = *next;
    }
    return entries;
}

} // namespace qm
