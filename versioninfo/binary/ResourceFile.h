//===- ResourceFile.h - The resources of a compiled .res file -----*- C++ -*-===//
//
// A 32-bit .res file is a sequence of entries, each a header (data size,
// header size, type, name, flags, language) followed by its data, both
// padded to four bytes; the first entry is an empty marker. The parser
// lists the entries with views into the input; it never copies the data.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// RT_VERSION, the resource type of a version resource.
constexpr std::uint16_t VersionResourceType = 16;

/// A resource type or name: a number, or a text (UTF-8).
struct ResourceId {
    bool IsNumber = true;
    std::uint32_t Number = 0; ///< 16 bits in a .res file, up to 31 in an executable
    std::string Text;
};

struct ResourceEntry {
    ResourceId Type;
    ResourceId Name;
    std::uint16_t Language = 0;
    std::string_view Data;       ///< a view into the bytes given to the parser
    std::size_t Offset = 0;      ///< where Data begins in those bytes
    std::uint32_t CodePage = 0;  ///< an executable's data entry field; 0 in a .res file
    std::size_t EntryOffset = 0; ///< an executable's: where its data entry lies in the file
    std::uint32_t DataRva = 0;   ///< an executable's: the data's address in the image
};

/// True when `bytes` begin with the empty marker entry of a 32-bit .res.
bool LooksLikeResFile(std::string_view bytes);

/// Every entry of a .res file but the empty marker, in file order. Fails
/// with a message naming the offset when a size or a name runs past the
/// end of the file. Never throws.
Expected<std::vector<ResourceEntry>> ParseResFile(std::string_view bytes);

/// True when `bytes` look like a 16-bit .res file (Windows 3.x): entries
/// without the 32-bit file's empty first entry, the first type a number
/// after 0xFF.
bool LooksLike16BitResFile(std::string_view bytes);

} // namespace qm
