//===- PeStamp.cpp - A new version resource in an executable --------------===//

#include "versioninfo/binary/PeStamp.h"

#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/ResourceSection.h"
#include "versioninfo/support/BinaryView.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace qm {

namespace {

constexpr std::size_t SectionHeaderSize = 40;
constexpr std::uint32_t ResourceDirectory = 2;
constexpr std::uint32_t SecurityDirectory = 4;
// Initialized data, readable: what linkers give .rsrc.
constexpr std::uint32_t RsrcCharacteristics = 0x40000040u;

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

std::uint64_t AlignUp(std::uint64_t value, std::uint32_t alignment) {
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}

struct SectionHeader {
    std::size_t At; ///< where the header lies in the file
    std::uint32_t VirtualSize, VirtualAddress, RawSize, RawOffset;
};

/// Where the fields of the headers lie, read with every bound checked.
struct PeLayout {
    std::size_t Coff = 0;
    std::size_t Optional = 0;
    std::uint16_t OptionalSize = 0;
    std::size_t Directories = 0;
    std::uint32_t DirectoryCount = 0;
    std::uint32_t SectionAlignment = 0, FileAlignment = 0, SizeOfHeaders = 0;
    std::vector<SectionHeader> Sections;

    std::size_t ChecksumAt() const { return Optional + 64; }
    std::size_t SizeOfImageAt() const { return Optional + 56; }
    std::size_t DirectoryAt(std::uint32_t index) const { return Directories + 8 * index; }
    std::size_t SectionTableEnd() const {
        return Optional + OptionalSize + Sections.size() * SectionHeaderSize;
    }
};

Status Unsafe(const std::string& why) {
    return Status::Fail("Can't stamp this file safely: " + why);
}

Expected<PeLayout> ReadLayout(const BinaryView& view) {
    PeLayout layout;
    const auto peAt = view.U32(0x3C);
    if (view.U16(0) != 0x5A4D || !peAt || view.U32(*peAt) != 0x00004550u)
        return Status::Fail("Not a PE file (.exe or .dll)");
    layout.Coff = *peAt + 4;
    const auto count = view.U16(layout.Coff + 2);
    const auto optionalSize = view.U16(layout.Coff + 16);
    layout.Optional = layout.Coff + 20;
    const auto magic = view.U16(layout.Optional);
    if (!count || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B))
        return Unsafe("its optional header is cut off or of an unknown kind");
    layout.OptionalSize = *optionalSize;
    const std::size_t countAt = layout.Optional + (*magic == 0x10B ? 92 : 108);
    layout.Directories = countAt + 4;
    const auto directories = view.U32(countAt);
    if (!directories || *directories <= SecurityDirectory ||
        layout.DirectoryAt(SecurityDirectory + 1) > layout.Optional + layout.OptionalSize)
        return Unsafe("its optional header has no room for the resource directory");
    layout.DirectoryCount = *directories;
    layout.SectionAlignment = *view.U32(layout.Optional + 32);
    layout.FileAlignment = *view.U32(layout.Optional + 36);
    layout.SizeOfHeaders = *view.U32(layout.Optional + 60);
    const auto powerOfTwo = [](std::uint32_t v) { return v && !(v & (v - 1)); };
    if (!powerOfTwo(layout.FileAlignment) || layout.FileAlignment > 0x10000 ||
        !powerOfTwo(layout.SectionAlignment) || layout.SectionAlignment < layout.FileAlignment)
        return Unsafe("its section and file alignments are not usable");
    const std::size_t table = layout.Optional + layout.OptionalSize;
    if (!view.Has(table, std::size_t(*count) * SectionHeaderSize))
        return Unsafe("its section table runs past the end of the file");
    for (std::size_t i = 0; i < *count; ++i) {
        const std::size_t at = table + i * SectionHeaderSize;
        SectionHeader s{at, *view.U32(at + 8), *view.U32(at + 12), *view.U32(at + 16),
                        *view.U32(at + 20)};
        if (s.RawSize && !view.Has(s.RawOffset, s.RawSize))
            return Unsafe("section " + std::to_string(i + 1) + "'s data runs past the end");
        layout.Sections.push_back(s);
    }
    return layout;
}

/// The end of the image in memory: past the last section.
std::uint64_t ImageEnd(const PeLayout& layout) {
    std::uint64_t end = AlignUp(layout.SizeOfHeaders, layout.SectionAlignment);
    for (const SectionHeader& s : layout.Sections)
        end = std::max(end,
                       AlignUp(std::uint64_t(s.VirtualAddress) + std::max(s.VirtualSize, s.RawSize),
                               layout.SectionAlignment));
    return end;
}

/// The end of the sections' data in the file.
std::uint64_t RawEnd(const PeLayout& layout) {
    std::uint64_t end = layout.SizeOfHeaders;
    for (const SectionHeader& s : layout.Sections)
        end = std::max(end, std::uint64_t(s.RawOffset) + s.RawSize);
    return end;
}

/// The section that holds the resource directory when it can be rebuilt
/// where it is: it begins with the directory and is last in the file and
/// in memory, so it may grow.
const SectionHeader* RebuildableSection(const PeLayout& layout, std::uint32_t directoryRva) {
    if (layout.Sections.empty() || directoryRva == 0)
        return nullptr;
    const SectionHeader& last = layout.Sections.back();
    if (last.VirtualAddress != directoryRva || last.RawOffset < layout.SectionTableEnd())
        return nullptr;
    // Everything else must end before it, in the file and in memory.
    for (const SectionHeader& s : layout.Sections) {
        if (&s == &last)
            continue;
        if (std::uint64_t(s.RawOffset) + s.RawSize > last.RawOffset ||
            std::uint64_t(s.VirtualAddress) + std::max(s.VirtualSize, s.RawSize) >
                last.VirtualAddress)
            return nullptr;
    }
    return &last;
}

/// True when another data directory (imports, debug data...) lies in the
/// section, which a rebuild would then overwrite.
bool OtherDirectoryWithin(const BinaryView& view, const PeLayout& layout,
                          const SectionHeader& section) {
    const std::uint64_t end = std::uint64_t(section.VirtualAddress) + section.RawSize;
    for (std::uint32_t d = 0; d < layout.DirectoryCount && d < 16; ++d) {
        const auto rva = view.U32(layout.DirectoryAt(d));
        const auto size = view.U32(layout.DirectoryAt(d) + 4);
        if (d == ResourceDirectory || d == SecurityDirectory || !rva || !size || !*rva || !*size)
            continue;
        if (*rva < end && std::uint64_t(*rva) + *size > section.VirtualAddress)
            return true;
    }
    return false;
}

/// The resource tree of `pe`, each resource listed once.
Expected<PeResourceTree> ResourceTreeOf(std::string_view pe) {
    Expected<PeResourceTree> tree = ParsePeResourceTree(pe);
    if (!tree)
        return Unsafe(tree.message());
    std::set<std::tuple<bool, std::uint32_t, std::string, bool, std::uint32_t, std::string,
                        std::uint16_t>>
        seen;
    for (const ResourceEntry& entry : tree->Entries) {
        // No linker lists a resource twice; which copy counts is unknowable.
        if (!seen.insert({entry.Type.IsNumber, entry.Type.Number, entry.Type.Text,
                          entry.Name.IsNumber, entry.Name.Number, entry.Name.Text, entry.Language})
                 .second)
            return Unsafe("its resource directory lists a resource twice");
    }
    return tree;
}

bool IsVersionOf(const ResourceEntry& entry, std::uint16_t language) {
    return entry.Type.IsNumber && entry.Type.Number == VersionResourceType &&
           entry.Language == language;
}

/// The resources, owned, with the version copy of the request replaced
/// (or added). With `keepRva`, data other than the new copy's stays where
/// it lies.
std::vector<SectionResource> NewResources(const PeResourceTree& tree, const StampRequest& request,
                                          bool keep) {
    std::vector<SectionResource> resources;
    bool replaced = false;
    for (const ResourceEntry& entry : tree.Entries) {
        SectionResource resource{entry.Type, entry.Name, entry.Language, {}, entry.CodePage, {}};
        if (IsVersionOf(entry, request.Language) && !replaced) {
            resource.Data = std::string(request.VersionData);
            replaced = true;
        } else if (keep) {
            resource.KeptAt = {entry.DataRva, static_cast<std::uint32_t>(entry.Data.size())};
        } else {
            resource.Data = std::string(entry.Data);
        }
        resources.push_back(std::move(resource));
    }
    if (!replaced) {
        ResourceId type, name;
        type.Number = VersionResourceType;
        name.Number = 1; // VS_VERSION_INFO
        resources.push_back(
            {type, name, request.Language, std::string(request.VersionData), 0, {}});
    }
    return resources;
}

/// The section whose data holds `rva`, if any.
const SectionHeader* SectionHolding(const PeLayout& layout, std::uint32_t rva) {
    for (const SectionHeader& s : layout.Sections)
        if (rva >= s.VirtualAddress && rva - s.VirtualAddress < std::max(s.RawSize, s.VirtualSize))
            return &s;
    return nullptr;
}

/// True when the section's bytes are its own: past the headers, and
/// shared with no other section in the file or in memory (a hostile file
/// may overlap them), so rewriting them touches nothing else.
bool StandsAlone(const PeLayout& layout, const SectionHeader& section) {
    if (section.RawSize == 0 || section.RawOffset < layout.SectionTableEnd() ||
        section.RawOffset < layout.SizeOfHeaders)
        return false;
    const auto overlap = [](std::uint64_t a, std::uint64_t aSize, std::uint64_t b,
                            std::uint64_t bSize) { return a < b + bSize && b < a + aSize; };
    for (const SectionHeader& s : layout.Sections) {
        if (&s == &section)
            continue;
        if (overlap(s.RawOffset, s.RawSize, section.RawOffset, section.RawSize) ||
            overlap(s.VirtualAddress, std::max(s.VirtualSize, s.RawSize), section.VirtualAddress,
                    std::max(section.VirtualSize, section.RawSize)))
            return false;
    }
    return true;
}

/// How many bytes from its start the section can hold without moving
/// anything: its raw data, up to where the next section begins in memory.
std::uint64_t RoomOf(const PeLayout& layout, const SectionHeader& section) {
    std::uint64_t room = section.RawSize;
    for (const SectionHeader& s : layout.Sections)
        if (s.VirtualAddress > section.VirtualAddress)
            room = std::min<std::uint64_t>(room, s.VirtualAddress - section.VirtualAddress);
    return room;
}

/// A stamp in the making: the source, its layout, and the new bytes.
struct Stamping {
    std::string_view Pe;
    BinaryView View;
    PeLayout Layout;
    std::string Out;
    std::uint64_t FileEnd = 0; ///< the source's end, without a dropped signature
    std::uint64_t RawEnd = 0;  ///< the end of the sections' data
    std::uint32_t DirectoryRva = 0;

    explicit Stamping(std::string_view pe) : Pe(pe), View(pe), Out(pe) {}

    void SetSectionSize(const SectionHeader& s, std::uint32_t virtualSize) {
        Put32(Out, s.At + 8, virtualSize);
    }
    void SetResourceDirectory(std::uint32_t rva, std::size_t size) {
        Put32(Out, Layout.DirectoryAt(ResourceDirectory), rva);
        Put32(Out, Layout.DirectoryAt(ResourceDirectory) + 4, static_cast<std::uint32_t>(size));
    }
};

/// Reads the layout and drops a signature the request may drop.
Status Prepare(Stamping& st, bool force) {
    Expected<PeLayout> read = ReadLayout(st.View);
    if (!read)
        return Status::Fail(read.message());
    st.Layout = std::move(*read);
    const PeLayout& layout = st.Layout;
    const auto securityRva = st.View.U32(layout.DirectoryAt(SecurityDirectory));
    const auto securitySize = st.View.U32(layout.DirectoryAt(SecurityDirectory) + 4);
    st.FileEnd = st.Pe.size();
    st.RawEnd = RawEnd(layout);
    if (*securityRva && *securitySize) {
        if (!force)
            return Status::Fail("The file is signed; stamping it breaks the signature (use "
                                "--force to stamp it and drop the signature)");
        // The certificates are the file's tail; they no longer sign it.
        if (std::uint64_t(*securityRva) + *securitySize == st.Pe.size() &&
            *securityRva >= st.RawEnd)
            st.FileEnd = *securityRva;
        Put32(st.Out, layout.DirectoryAt(SecurityDirectory), 0);
        Put32(st.Out, layout.DirectoryAt(SecurityDirectory) + 4, 0);
    }
    // Bytes past the last section (an installer's payload) stay after it.
    if (st.RawEnd < layout.SectionTableEnd())
        return Unsafe("its headers end inside its section table");
    if (st.RawEnd > st.FileEnd)
        return Unsafe("its sections run past the end of the file");
    st.DirectoryRva = *st.View.U32(layout.DirectoryAt(ResourceDirectory));
    return Status::Ok();
}

/// True when the copy's data entry is its own: no other structure of the
/// directory and no resource's data shares its bytes (a hostile tree may
/// make one table entry serve as another's data entry), so it may change.
bool EntryStandsAlone(const PeResourceTree& tree, const ResourceEntry& entry) {
    const std::size_t at = entry.EntryOffset, end = at + 16;
    const auto overlaps = [&](std::size_t offset, std::size_t size) {
        return offset < end && at < offset + size;
    };
    int own = 0;
    for (const FileSpan& s : tree.DirectorySpans)
        if (overlaps(s.Offset, s.Size) && (s.Offset != at || s.Size != 16 || ++own > 1))
            return false;
    for (const ResourceEntry& other : tree.Entries)
        if (overlaps(other.Offset, other.Data.size()))
            return false;
    return true;
}

/// Writes the new copy over the old one where it lies, when the bytes it
/// grows into are padding that nothing else uses. Every other byte of the
/// file stays as it was.
bool PatchInPlace(Stamping& st, const PeResourceTree& tree, const ResourceEntry& old,
                  std::string_view data) {
    const SectionHeader* section = SectionHolding(st.Layout, old.DataRva);
    if (!section || !EntryStandsAlone(tree, old) || !StandsAlone(st.Layout, *section) ||
        old.DataRva - section->VirtualAddress >= section->RawSize)
        return false;
    const std::uint64_t into = old.DataRva - section->VirtualAddress;
    if (into + data.size() > RoomOf(st.Layout, *section))
        return false;
    const std::size_t start = old.Offset, span = std::max(old.Data.size(), data.size());
    const auto overlaps = [&](std::size_t at, std::size_t size) {
        return at < start + span && start < at + size;
    };
    for (const FileSpan& s : tree.DirectorySpans)
        if (overlaps(s.Offset, s.Size))
            return false;
    for (const ResourceEntry& other : tree.Entries)
        if (&other != &old && overlaps(other.Offset, other.Data.size()))
            return false;
    for (std::size_t at = start + old.Data.size(); at < start + data.size(); ++at)
        if (st.Pe[at] != '\0')
            return false;
    st.Out.replace(start, data.size(), data);
    std::fill(st.Out.begin() + start + data.size(), st.Out.begin() + start + span, '\0');
    Put32(st.Out, old.EntryOffset + 4, static_cast<std::uint32_t>(data.size()));
    st.SetSectionSize(*section, static_cast<std::uint32_t>(std::max<std::uint64_t>(
                                    section->VirtualSize, into + data.size())));
    return true;
}

/// Rebuilds the resource section where it stands when the new one fits
/// the room it has, so that the file keeps its size.
bool RebuildInPlace(Stamping& st, const PeResourceTree& tree, const StampRequest& request) {
    if (st.DirectoryRva == 0)
        return false;
    const SectionHeader* section = SectionHolding(st.Layout, st.DirectoryRva);
    if (!section || section->VirtualAddress != st.DirectoryRva ||
        !StandsAlone(st.Layout, *section) || OtherDirectoryWithin(st.View, st.Layout, *section))
        return false;
    const BuiltResourceSection built =
        BuildResourceSection(NewResources(tree, request, false), section->VirtualAddress);
    if (built.Bytes.size() > RoomOf(st.Layout, *section))
        return false;
    std::string bytes = built.Bytes;
    bytes.resize(section->RawSize, '\0');
    st.Out.replace(section->RawOffset, bytes.size(), bytes);
    st.SetSectionSize(*section, static_cast<std::uint32_t>(built.Bytes.size()));
    st.SetResourceDirectory(section->VirtualAddress, built.Bytes.size());
    return true;
}

/// Replaces the file's tail from `rawOffset` on with `bytes` (padded to
/// the file alignment) and what followed the sections; the COFF symbol
/// table a linker may leave there (MinGW's ld does) moves with it.
std::uint64_t ReplaceTail(Stamping& st, std::uint32_t rawOffset, const std::string& bytes) {
    const std::string overlay(st.Pe.substr(st.RawEnd, st.FileEnd - st.RawEnd));
    const std::uint64_t rawSize = AlignUp(bytes.size(), st.Layout.FileAlignment);
    st.Out.resize(std::min<std::uint64_t>(rawOffset, st.RawEnd));
    st.Out.resize(rawOffset, '\0');
    st.Out.append(bytes);
    st.Out.resize(rawOffset + rawSize, '\0');
    const std::uint32_t symbols = *st.View.U32(st.Layout.Coff + 8);
    if (symbols >= st.RawEnd && symbols < st.FileEnd)
        Put32(st.Out, st.Layout.Coff + 8,
              static_cast<std::uint32_t>(symbols - st.RawEnd + st.Out.size()));
    st.Out += overlay;
    return rawSize;
}

/// Rebuilds the last section, which may grow.
Status GrowLastSection(Stamping& st, const SectionHeader& section, const PeResourceTree& tree,
                       const StampRequest& request) {
    const BuiltResourceSection built =
        BuildResourceSection(NewResources(tree, request, false), section.VirtualAddress);
    const std::uint64_t rawSize = AlignUp(built.Bytes.size(), st.Layout.FileAlignment);
    if (section.RawOffset + rawSize > 0xFFFFFFFFull ||
        AlignUp(std::uint64_t(section.VirtualAddress) + built.Bytes.size(),
                st.Layout.SectionAlignment) > 0xFFFFFFFFull)
        return Unsafe("the new resource section would pass 4 GB");
    ReplaceTail(st, section.RawOffset, built.Bytes);
    st.SetSectionSize(section, static_cast<std::uint32_t>(built.Bytes.size()));
    Put32(st.Out, section.At + 16, static_cast<std::uint32_t>(rawSize));
    st.SetResourceDirectory(section.VirtualAddress, built.Bytes.size());
    return Status::Ok();
}

/// Where a new last section can go: its header's place, address and
/// file offset; refused when the headers have no room for it.
Expected<SectionHeader> NewSectionPlace(const Stamping& st) {
    const PeLayout& layout = st.Layout;
    const std::size_t headerAt = layout.SectionTableEnd();
    std::uint64_t firstData = layout.SizeOfHeaders;
    for (const SectionHeader& s : layout.Sections)
        if (s.RawSize)
            firstData = std::min<std::uint64_t>(firstData, s.RawOffset);
    if (headerAt + SectionHeaderSize > firstData || headerAt + SectionHeaderSize > st.RawEnd)
        return Unsafe("there is no room in its headers for another section");
    for (std::uint32_t d = 0; d < layout.DirectoryCount && d < 16; ++d) {
        const auto rva = st.View.U32(layout.DirectoryAt(d));
        const auto size = st.View.U32(layout.DirectoryAt(d) + 4);
        if (rva && size && *rva && *size && *rva < headerAt + SectionHeaderSize &&
            std::uint64_t(*rva) + *size > headerAt)
            return Unsafe("data directory " + std::to_string(d) +
                          " lies where another section's header would go");
    }
    if (layout.Sections.size() >= 0xFFFF)
        return Unsafe("it has as many sections as a PE file can");
    const std::uint64_t imageEnd = ImageEnd(layout);
    if (imageEnd >= 0xFFFFFFFFull)
        return Unsafe("its sections reach past 4 GB in memory");
    const std::uint64_t rawOffset = AlignUp(st.RawEnd, layout.FileAlignment);
    if (rawOffset > 0xFFFFFFFFull)
        return Unsafe("the new resource section would pass 4 GB");
    return SectionHeader{headerAt, 0, static_cast<std::uint32_t>(imageEnd), 0,
                         static_cast<std::uint32_t>(rawOffset)};
}

/// Adds a last section holding only what must move: the new copy, and the
/// directory too when the copy is new (or its data entry can't change).
/// Everything else stays where it is.
Status AppendSection(Stamping& st, const PeResourceTree& tree, const ResourceEntry* old,
                     const StampRequest& request) {
    Expected<SectionHeader> place = NewSectionPlace(st);
    if (!place)
        return Status::Fail(place.message());
    if (old && !EntryStandsAlone(tree, *old))
        old = nullptr; // a directory of its own, then
    std::string bytes(request.VersionData);
    if (!old)
        bytes =
            BuildResourceSection(NewResources(tree, request, true), place->VirtualAddress).Bytes;
    if (std::uint64_t(place->RawOffset) + AlignUp(bytes.size(), st.Layout.FileAlignment) >
            0xFFFFFFFFull ||
        AlignUp(std::uint64_t(place->VirtualAddress) + bytes.size(), st.Layout.SectionAlignment) >
            0xFFFFFFFFull)
        return Unsafe("the new resource section would pass 4 GB");
    const std::uint64_t rawSize = ReplaceTail(st, place->RawOffset, bytes);
    std::string header(SectionHeaderSize, '\0');
    header.replace(0, 5, ".rsrc");
    Put32(header, 8, static_cast<std::uint32_t>(bytes.size()));
    Put32(header, 12, place->VirtualAddress);
    Put32(header, 16, static_cast<std::uint32_t>(rawSize));
    Put32(header, 20, place->RawOffset);
    Put32(header, 36, RsrcCharacteristics);
    st.Out.replace(place->At, SectionHeaderSize, header);
    Put16(st.Out, st.Layout.Coff + 2, static_cast<std::uint16_t>(st.Layout.Sections.size() + 1));
    if (old) {
        Put32(st.Out, old->EntryOffset, place->VirtualAddress);
        Put32(st.Out, old->EntryOffset + 4, static_cast<std::uint32_t>(bytes.size()));
    } else {
        st.SetResourceDirectory(place->VirtualAddress, bytes.size());
    }
    return Status::Ok();
}

/// SizeOfImage, to the end of the last section in memory when that moved
/// (else only if a section grew past it), and the checksum where one is set.
void FinishHeaders(Stamping& st, bool lastSectionChanged) {
    const Expected<PeLayout> now = ReadLayout(BinaryView(st.Out));
    std::uint64_t needed = 0;
    for (const SectionHeader& s : now ? now->Sections : std::vector<SectionHeader>())
        needed = std::max(needed, AlignUp(std::uint64_t(s.VirtualAddress) + s.VirtualSize,
                                          st.Layout.SectionAlignment));
    const std::uint32_t current = *st.View.U32(st.Layout.SizeOfImageAt());
    if (now && (lastSectionChanged || needed > current))
        Put32(st.Out, st.Layout.SizeOfImageAt(), static_cast<std::uint32_t>(needed));
    if (*st.View.U32(st.Layout.ChecksumAt()) != 0) {
        Put32(st.Out, st.Layout.ChecksumAt(), 0);
        Put32(st.Out, st.Layout.ChecksumAt(), PeChecksum(st.Out));
    }
}

} // namespace

std::uint32_t PeChecksum(std::string_view image) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < image.size(); i += 2) {
        std::uint32_t word = static_cast<unsigned char>(image[i]);
        if (i + 1 < image.size())
            word |= static_cast<std::uint32_t>(static_cast<unsigned char>(image[i + 1])) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + image.size());
}

Expected<std::string> StampVersionResource(std::string_view pe, const StampRequest& request) {
    Stamping st(pe);
    if (Status prepared = Prepare(st, request.Force); !prepared)
        return prepared;
    Expected<PeResourceTree> tree = ResourceTreeOf(pe);
    if (!tree)
        return Status::Fail(tree.message());
    const auto found = std::find_if(tree->Entries.begin(), tree->Entries.end(), [&](const auto& e) {
        return IsVersionOf(e, request.Language);
    });
    const ResourceEntry* old = found == tree->Entries.end() ? nullptr : &*found;
    // The least that does: the copy where it lies, the section where it
    // stands, the last section grown, and only then a new section.
    st.Out.resize(st.FileEnd);
    const bool inPlace = (old && PatchInPlace(st, *tree, *old, request.VersionData)) ||
                         RebuildInPlace(st, *tree, request);
    if (!inPlace) {
        const SectionHeader* last = RebuildableSection(st.Layout, st.DirectoryRva);
        Status placed = last && !OtherDirectoryWithin(st.View, st.Layout, *last)
                            ? GrowLastSection(st, *last, *tree, request)
                            : AppendSection(st, *tree, old, request);
        if (!placed)
            return placed;
    }
    FinishHeaders(st, !inPlace);
    return std::move(st.Out);
}

} // namespace qm
