//===- PeResources.h - The resources of a PE file (.exe, .dll) ----*- C++ -*-===//
//
// Finds the resource directory through the optional header, maps it to the
// file through the section table and walks its three levels (type, name,
// language) with loops, not recursion. Entries that point back into the
// tree cannot make the walk endless: it visits a bounded number of entries.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/ResourceFile.h"
#include "versioninfo/support/PagedFile.h"
#include "versioninfo/support/Status.h"

#include <string_view>
#include <vector>

namespace qm {

/// True when `bytes` begin with the "MZ" of an executable.
bool LooksLikePeFile(std::string_view bytes);

/// Every resource of a PE file (PE32 or PE32+), in directory order, with
/// views into `bytes`. A file without a resource directory has none. Fails
/// with a message naming the offset of what is out of bounds. Never throws.
Expected<std::vector<ResourceEntry>> ParsePeResources(std::string_view bytes);

/// Where some bytes lie in a file: offset and size.
struct FileSpan {
    std::size_t Offset = 0;
    std::size_t Size = 0;
};

/// The resources and where the directory itself lies (every table, name
/// and data entry): what a rewrite of the section must keep or move.
struct PeResourceTree {
    std::vector<ResourceEntry> Entries;
    std::vector<FileSpan> DirectorySpans;
};

/// ParsePeResources, with the directory's own spans.
Expected<PeResourceTree> ParsePeResourceTree(std::string_view bytes);

/// The same walk over a file read in pages, with the same checks and
/// messages; only version resources (RT_VERSION) get their data, views into
/// `file`. A failed read is named as such.
Expected<std::vector<ResourceEntry>> ParsePeVersionResources(const PagedFileView& file);

} // namespace qm
