//===- PeResources.cpp - The resources of a PE file (.exe, .dll) -----------===//

#include "versioninfo/binary/PeResources.h"

#include "versioninfo/support/BinaryView.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>

namespace qm {

namespace {

constexpr std::uint32_t PeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint16_t Pe32Magic = 0x10B;
constexpr std::uint16_t Pe32PlusMagic = 0x20B;
constexpr std::size_t ResourceDirectoryIndex = 2;
constexpr std::size_t SectionHeaderSize = 40;
constexpr std::size_t DirectoryHeaderSize = 16;
constexpr std::size_t DirectoryEntrySize = 8;
constexpr std::uint32_t HighBit = 0x80000000u;
// A real file has a few hundred resources; far more means a hostile tree.
constexpr std::size_t MaxVisitedEntries = 1u << 16;

struct Section {
    std::uint32_t VirtualAddress;
    std::uint32_t VirtualSize;
    std::uint32_t RawSize;
    std::uint32_t RawOffset;
};

/// Finds the section that holds an RVA range. Scanning every section for
/// every resource costs resources x sections, which a hostile file with
/// 65,535 of each turns into seconds; so the sections are sorted once by
/// address. Where their raw ranges overlap (nothing a linker makes) several
/// could hold a range, and the first in the table is the one taken, by a
/// scan as before.
class SectionIndex {
public:
    explicit SectionIndex(const std::vector<Section>& sections) : Sections(sections) {
        ByAddress.reserve(sections.size());
        for (std::size_t i = 0; i < sections.size(); ++i)
            ByAddress.push_back(i);
        std::sort(ByAddress.begin(), ByAddress.end(), [&](std::size_t a, std::size_t b) {
            return sections[a].VirtualAddress < sections[b].VirtualAddress;
        });
        for (std::size_t i = 1; i < ByAddress.size() && Disjoint; ++i) {
            const Section& before = sections[ByAddress[i - 1]];
            const std::uint64_t end =
                static_cast<std::uint64_t>(before.VirtualAddress) + before.RawSize;
            Disjoint = end <= sections[ByAddress[i]].VirtualAddress;
        }
    }

    /// Where `rva` .. `rva + length` lies in the file, or nothing when no
    /// section's raw data holds all of it.
    template <typename View>
    std::optional<std::size_t> FileOffset(const View& view, std::uint32_t rva,
                                          std::uint32_t length) const {
        if (!Disjoint) {
            for (const Section& s : Sections) {
                if (std::optional<std::size_t> at = OffsetIn(s, view, rva, length))
                    return at;
            }
            return std::nullopt;
        }
        // The one section that can hold it: the last starting at or before it.
        const auto after = std::upper_bound(
            ByAddress.begin(), ByAddress.end(), rva,
            [&](std::uint32_t value, std::size_t i) { return value < Sections[i].VirtualAddress; });
        if (after == ByAddress.begin())
            return std::nullopt;
        return OffsetIn(Sections[*(after - 1)], view, rva, length);
    }

private:
    template <typename View>
    static std::optional<std::size_t> OffsetIn(const Section& s, const View& view,
                                               std::uint32_t rva, std::uint32_t length) {
        if (rva < s.VirtualAddress)
            return std::nullopt;
        const std::uint64_t into = rva - s.VirtualAddress;
        if (into + length > s.RawSize)
            return std::nullopt;
        const std::uint64_t offset = static_cast<std::uint64_t>(s.RawOffset) + into;
        if (!view.Has(static_cast<std::size_t>(offset), length))
            return std::nullopt;
        return static_cast<std::size_t>(offset);
    }

    const std::vector<Section>& Sections;
    std::vector<std::size_t> ByAddress;
    bool Disjoint = true;
};

/// The file offset of `rva` and how many bytes from there the section
/// holds on disk (bounded by the file), or nothing.
template <typename View>
std::optional<std::pair<std::size_t, std::size_t>> MapStart(const std::vector<Section>& sections,
                                                            const View& view, std::uint32_t rva) {
    for (const Section& s : sections) {
        if (rva < s.VirtualAddress || rva - s.VirtualAddress >= s.RawSize)
            continue;
        const std::uint64_t offset =
            static_cast<std::uint64_t>(s.RawOffset) + (rva - s.VirtualAddress);
        if (offset >= view.size())
            continue;
        const std::uint64_t inSection = s.RawSize - (rva - s.VirtualAddress);
        const std::uint64_t inFile = view.size() - offset;
        return std::make_pair(static_cast<std::size_t>(offset),
                              static_cast<std::size_t>(std::min(inSection, inFile)));
    }
    return std::nullopt;
}

template <typename View> struct Tree {
    const View& Bytes;
    std::size_t Base;                       ///< file offset of the resource directory
    std::size_t Size;                       ///< its size, bounded by the section and the file
    std::size_t Budget = MaxVisitedEntries; ///< entries still allowed to be read
    std::vector<FileSpan>* Spans = nullptr; ///< where each structure read lies, when asked
};

template <typename View> void NoteSpan(const Tree<View>& tree, std::size_t at, std::size_t size) {
    if (tree.Spans)
        tree.Spans->push_back({at, size});
}

Status BadTree(const std::string& what, std::size_t offset) {
    return Status::Fail("The resource directory " + what + " at offset " + HexOffset(offset) +
                        " lies outside the resource section");
}

/// The entries of the directory at `offset` (relative to the tree's base):
/// pairs of name field and offset field.
template <typename View>
Status ReadDirectory(Tree<View>& tree, std::uint32_t offset,
                     std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries) {
    entries.clear();
    if (offset > tree.Size || tree.Size - offset < DirectoryHeaderSize)
        return BadTree("table", tree.Base + offset);
    const std::size_t at = tree.Base + offset;
    const std::size_t count =
        static_cast<std::size_t>(*tree.Bytes.U16(at + 12)) + *tree.Bytes.U16(at + 14);
    if ((tree.Size - offset - DirectoryHeaderSize) / DirectoryEntrySize < count)
        return BadTree("table of " + std::to_string(count) + " entries", at);
    if (count > tree.Budget)
        return Status::Fail("The resource directory at offset " + HexOffset(tree.Base) +
                            " lists more than " + std::to_string(MaxVisitedEntries) +
                            " entries in all");
    tree.Budget -= count;
    NoteSpan(tree, at, DirectoryHeaderSize + count * DirectoryEntrySize);
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = at + DirectoryHeaderSize + i * DirectoryEntrySize;
        entries.emplace_back(*tree.Bytes.U32(entry), *tree.Bytes.U32(entry + 4));
    }
    return Status::Ok();
}

template <typename View>
Status ReadName(const Tree<View>& tree, std::uint32_t field, ResourceId& id) {
    if (!(field & HighBit)) {
        // IDs are 31 bits here: 0x10010 is no RT_VERSION (16).
        id.IsNumber = true;
        id.Number = field;
        return Status::Ok();
    }
    const std::uint32_t offset = field & ~HighBit;
    if (offset > tree.Size || tree.Size - offset < 2)
        return BadTree("name", tree.Base + offset);
    const std::size_t units = *tree.Bytes.U16(tree.Base + offset);
    // Any length its 16-bit count allows, as long as it lies in the section.
    if ((tree.Size - offset - 2) / 2 < units)
        return BadTree("name of " + std::to_string(units) + " characters", tree.Base + offset);
    NoteSpan(tree, tree.Base + offset, 2 + units * 2);
    id.IsNumber = false;
    id.Text = EncodeUtf8(DecodeUtf16Le(tree.Bytes.Slice(tree.Base + offset + 2, units * 2)));
    return Status::Ok();
}

/// Where a file's resource directory lies by its headers: its RVA and
/// stated size, and the section table to map RVAs with. No ResourceRva for a
/// file without resources.
struct ResourceSite {
    std::uint32_t ResourceRva = 0;
    std::uint32_t ResourceSize = 0;
    std::vector<Section> Sections;
};

template <typename View>
Status ReadSectionTable(const View& view, std::size_t at, std::uint16_t count,
                        std::vector<Section>& sections) {
    if (!view.Has(at, static_cast<std::size_t>(count) * SectionHeaderSize))
        return Status::Fail("The section table at offset " + HexOffset(at) +
                            " runs past the end of the file");
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t header = at + i * SectionHeaderSize;
        sections.push_back({*view.U32(header + 12), *view.U32(header + 8), *view.U32(header + 16),
                            *view.U32(header + 20)});
    }
    return Status::Ok();
}

template <typename View> Expected<ResourceSite> ReadPeHeaders(const View& view) {
    if (view.U16(0) != std::uint16_t('M' | 'Z' << 8))
        return Status::Fail("Not an executable: it does not begin with \"MZ\"");
    const std::optional<std::uint32_t> peOffset = view.U32(0x3C);
    if (!peOffset || view.U32(*peOffset) != PeSignature)
        return Status::Fail("Not a PE file: the PE signature is missing at offset " +
                            HexOffset(peOffset ? *peOffset : 0x3C));
    const std::size_t coff = *peOffset + 4;
    const std::optional<std::uint16_t> sectionCount = view.U16(coff + 2);
    const std::optional<std::uint16_t> optionalSize = view.U16(coff + 16);
    const std::size_t optional = coff + 20;
    const std::optional<std::uint16_t> magic = view.U16(optional);
    if (!sectionCount || !optionalSize || !magic)
        return Status::Fail("The PE file header at offset " + HexOffset(coff) + " is cut off");
    if (*magic != Pe32Magic && *magic != Pe32PlusMagic)
        return Status::Fail("The optional header at offset " + HexOffset(optional) +
                            " has an unknown kind");
    const std::size_t directoryCountAt = optional + (*magic == Pe32Magic ? 92 : 108);
    const std::optional<std::uint32_t> directoryCount = view.U32(directoryCountAt);
    if (!directoryCount || directoryCountAt + 4 > optional + *optionalSize)
        return Status::Fail("The optional header at offset " + HexOffset(optional) +
                            " is too short for its data directories");
    ResourceSite site;
    if (*directoryCount <= ResourceDirectoryIndex)
        return site;
    const std::size_t resourceAt = directoryCountAt + 4 + ResourceDirectoryIndex * 8;
    const std::optional<std::uint32_t> resourceRva = view.U32(resourceAt);
    const std::optional<std::uint32_t> resourceSize = view.U32(resourceAt + 4);
    if (!resourceRva || !resourceSize || resourceAt + 8 > optional + *optionalSize)
        return Status::Fail("The resource directory's entry at offset " + HexOffset(resourceAt) +
                            " is cut off");
    if (*resourceRva == 0 || *resourceSize == 0)
        return site;
    site.ResourceRva = *resourceRva;
    site.ResourceSize = *resourceSize;
    if (Status read =
            ReadSectionTable(view, optional + *optionalSize, *sectionCount, site.Sections);
        !read)
        return read;
    return site;
}

/// The resource whose data entry lies at `dataOffset` in the tree.
template <typename View>
Expected<ResourceEntry> ReadDataEntry(const Tree<View>& tree, const SectionIndex& index,
                                      std::uint32_t dataOffset, bool withData) {
    if (dataOffset > tree.Size || tree.Size - dataOffset < 16)
        return BadTree("data entry", tree.Base + dataOffset);
    const std::size_t entryAt = tree.Base + dataOffset;
    NoteSpan(tree, entryAt, 16);
    const std::uint32_t dataRva = *tree.Bytes.U32(entryAt);
    const std::uint32_t dataSize = *tree.Bytes.U32(entryAt + 4);
    const std::optional<std::size_t> data = index.FileOffset(tree.Bytes, dataRva, dataSize);
    if (!data)
        return Status::Fail("The resource data at RVA " + HexOffset(dataRva) + " (" +
                            std::to_string(dataSize) + " bytes, entry at offset " +
                            HexOffset(entryAt) + ") lies outside the file's sections");
    ResourceEntry entry;
    entry.Offset = *data;
    entry.EntryOffset = entryAt;
    entry.DataRva = dataRva;
    entry.CodePage = *tree.Bytes.U32(entryAt + 8);
    if (withData)
        entry.Data = tree.Bytes.Slice(*data, dataSize);
    return entry;
}

using DirectoryEntries = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

/// Every resource under one name: the third level, one data entry per
/// language.
template <typename View>
Status ReadLanguages(Tree<View>& tree, const SectionIndex& index, const ResourceId& type,
                     const ResourceId& name, std::uint32_t offset, bool withData,
                     std::vector<ResourceEntry>& resources) {
    DirectoryEntries languages;
    if (Status read = ReadDirectory(tree, offset, languages); !read)
        return read;
    for (const auto& [languageField, dataOffset] : languages) {
        if (dataOffset & HighBit)
            continue; // a fourth level is not part of the format
        Expected<ResourceEntry> entry = ReadDataEntry(tree, index, dataOffset, withData);
        if (!entry)
            return entry.status();
        entry->Type = type;
        entry->Name = name;
        entry->Language = static_cast<std::uint16_t>(languageField);
        resources.push_back(std::move(*entry));
    }
    return Status::Ok();
}

/// The three levels of the tree: type, name, language.
template <typename View>
Status WalkTree(Tree<View>& tree, const SectionIndex& index,
                bool (*wantData)(const ResourceId& type), std::vector<ResourceEntry>& resources) {
    DirectoryEntries types, names;
    if (Status read = ReadDirectory(tree, 0, types); !read)
        return read;
    for (const auto& [typeField, typeOffset] : types) {
        ResourceId type;
        if (Status named = ReadName(tree, typeField, type); !named)
            return named;
        if (!(typeOffset & HighBit))
            continue; // a leaf at the type level belongs to no resource
        if (Status read = ReadDirectory(tree, typeOffset & ~HighBit, names); !read)
            return read;
        for (const auto& [nameField, nameOffset] : names) {
            ResourceId name;
            if (Status named = ReadName(tree, nameField, name); !named)
                return named;
            if (!(nameOffset & HighBit))
                continue;
            if (Status read = ReadLanguages(tree, index, type, name, nameOffset & ~HighBit,
                                            wantData(type), resources);
                !read)
                return read;
        }
    }
    return Status::Ok();
}

/// The walk over a file in memory or read in pages. Entries whose type
/// `wantData` turns down get their offset but no data, so a paged file
/// never reads them.
template <typename View>
Expected<std::vector<ResourceEntry>> ParsePe(const View& view,
                                             bool (*wantData)(const ResourceId& type),
                                             std::vector<FileSpan>* spans = nullptr) {
    Expected<ResourceSite> site = ReadPeHeaders(view);
    if (!site)
        return site.status();
    if (site->ResourceRva == 0)
        return std::vector<ResourceEntry>();
    // The directory's stated size may exceed what the section holds on
    // disk; the tree is read within what is really there.
    const auto start = MapStart(site->Sections, view, site->ResourceRva);
    if (!start)
        return Status::Fail("The resource directory (RVA " + HexOffset(site->ResourceRva) +
                            ") lies in no section of the file");
    Tree<View> tree{view, start->first, std::min<std::size_t>(start->second, site->ResourceSize)};
    tree.Spans = spans;
    const SectionIndex index(site->Sections);
    std::vector<ResourceEntry> resources;
    if (Status walked = WalkTree(tree, index, wantData, resources); !walked)
        return walked;
    return resources;
}

bool EveryType(const ResourceId&) {
    return true;
}

bool VersionType(const ResourceId& type) {
    return type.IsNumber && type.Number == VersionResourceType;
}

} // namespace

bool LooksLikePeFile(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z';
}

Expected<std::vector<ResourceEntry>> ParsePeResources(std::string_view bytes) {
    return ParsePe(BinaryView(bytes), EveryType);
}

Expected<PeResourceTree> ParsePeResourceTree(std::string_view bytes) {
    PeResourceTree tree;
    Expected<std::vector<ResourceEntry>> entries =
        ParsePe(BinaryView(bytes), EveryType, &tree.DirectorySpans);
    if (!entries)
        return Status::Fail(entries.message());
    tree.Entries = std::move(*entries);
    return tree;
}

Expected<std::vector<ResourceEntry>> ParsePeVersionResources(const PagedFileView& file) {
    Expected<std::vector<ResourceEntry>> entries = ParsePe(file, VersionType);
    // A read that failed looks like a bound that failed; say what it was.
    if (!file.ReadFailure().empty())
        return Status::Fail("Can't read the file: " + file.ReadFailure());
    return entries;
}

} // namespace qm
