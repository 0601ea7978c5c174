//===- ResourceSection.h - Resources laid out as a .rsrc section ----*- C++ -*-===//
//
// Builds what a linker puts in an executable's resource section: the
// three-level directory (type, name, language), sorted as Windows searches
// it, then the data entries, the names and the data. Used for a COFF object
// (the data's addresses then need relocations) and for rewriting an
// executable's resources.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/ResourceFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

/// One resource to lay out, its data owned.
struct SectionResource {
    ResourceId Type;
    ResourceId Name;
    std::uint16_t Language = 0;
    std::string Data;
    std::uint32_t CodePage = 0; ///< the data entry's code page field
    /// Data that stays where it already lies in the image: its address and
    /// size. The entry points there, and Data is not laid out.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> KeptAt;
};

struct BuiltResourceSection {
    std::string Bytes;
    /// Where each data entry's address field lies in Bytes: each holds the
    /// section's address plus the data's offset in it.
    std::vector<std::uint32_t> DataAddressFields;
};

/// The section for `resources`, to be loaded at `sectionRva`; data kept
/// where it lies stays out of it.
BuiltResourceSection BuildResourceSection(std::vector<SectionResource> resources,
                                          std::uint32_t sectionRva);

} // namespace qm
