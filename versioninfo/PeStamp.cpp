//===- PeStamp.cpp - A new version resource in an executable --------------===//

#include "versioninfo/PeStamp.h"

#include "versioninfo/BinaryView.h"
#include "versioninfo/PeResources.h"
#include "versioninfo/ResourceSection.h"

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

/// The resources of `pe`, owned, with the version copy of `language`
/// replaced (or added).
Expected<std::vector<SectionResource>> NewResources(std::string_view pe,
                                                    const StampRequest& request) {
    Expected<std::vector<ResourceEntry>> entries = ParsePeResources(pe);
    if (!entries)
        return Unsafe(entries.message());
    std::vector<SectionResource> resources;
    bool replaced = false;
    std::set<std::tuple<bool, std::uint32_t, std::string, bool, std::uint32_t, std::string,
                        std::uint16_t>>
        seen;
    for (const ResourceEntry& entry : *entries) {
        // No linker lists a resource twice; which copy counts is unknowable.
        if (!seen.insert({entry.Type.IsNumber, entry.Type.Number, entry.Type.Text,
                          entry.Name.IsNumber, entry.Name.Number, entry.Name.Text, entry.Language})
                 .second)
            return Unsafe("its resource directory lists a resource twice");
        const bool version = entry.Type.IsNumber && entry.Type.Number == VersionResourceType;
        if (version && entry.Language == request.Language && !replaced) {
            resources.push_back({entry.Type, entry.Name, entry.Language,
                                 std::string(request.VersionData), entry.CodePage});
            replaced = true;
            continue;
        }
        resources.push_back(
            {entry.Type, entry.Name, entry.Language, std::string(entry.Data), entry.CodePage});
    }
    if (!replaced) {
        ResourceId type, name;
        type.Number = VersionResourceType;
        name.Number = 1; // VS_VERSION_INFO
        resources.push_back({type, name, request.Language, std::string(request.VersionData), 0});
    }
    return resources;
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
    const BinaryView view(pe);
    Expected<PeLayout> read = ReadLayout(view);
    if (!read)
        return Status::Fail(read.message());
    const PeLayout& layout = *read;
    std::string out(pe);

    const auto securityRva = view.U32(layout.DirectoryAt(SecurityDirectory));
    const auto securitySize = view.U32(layout.DirectoryAt(SecurityDirectory) + 4);
    std::uint64_t fileEnd = pe.size();
    if (*securityRva && *securitySize) {
        if (!request.Force)
            return Status::Fail("The file is signed; stamping it breaks the signature (use "
                                "--force to stamp it and drop the signature)");
        // The certificates are the file's tail; they no longer sign it.
        if (std::uint64_t(*securityRva) + *securitySize == pe.size() &&
            *securityRva >= RawEnd(layout))
            fileEnd = *securityRva;
        Put32(out, layout.DirectoryAt(SecurityDirectory), 0);
        Put32(out, layout.DirectoryAt(SecurityDirectory) + 4, 0);
    }
    // Bytes past the last section (an installer's payload) stay after it.
    const std::uint64_t rawEnd = RawEnd(layout);
    if (rawEnd < layout.SectionTableEnd())
        return Unsafe("its headers end inside its section table");
    if (rawEnd > fileEnd)
        return Unsafe("its sections run past the end of the file");
    const std::string overlay(pe.substr(rawEnd, fileEnd - rawEnd));

    Expected<std::vector<SectionResource>> resources = NewResources(pe, request);
    if (!resources)
        return Status::Fail(resources.message());
    const std::uint32_t directoryRva = *view.U32(layout.DirectoryAt(ResourceDirectory));

    const SectionHeader* rebuilt = RebuildableSection(layout, directoryRva);
    std::uint32_t sectionRva = 0;
    std::size_t headerAt = 0;
    std::uint32_t rawOffset = 0;
    if (rebuilt) {
        sectionRva = rebuilt->VirtualAddress;
        headerAt = rebuilt->At;
        rawOffset = rebuilt->RawOffset;
    } else {
        // A new last section: its header must fit before the first section's data.
        headerAt = layout.SectionTableEnd();
        std::uint64_t firstData = layout.SizeOfHeaders;
        for (const SectionHeader& s : layout.Sections)
            if (s.RawSize)
                firstData = std::min<std::uint64_t>(firstData, s.RawOffset);
        if (headerAt + SectionHeaderSize > firstData || headerAt + SectionHeaderSize > rawEnd)
            return Unsafe("there is no room in its headers for another section");
        for (std::uint32_t d = 0; d < layout.DirectoryCount && d < 16; ++d) {
            const auto rva = view.U32(layout.DirectoryAt(d));
            const auto size = view.U32(layout.DirectoryAt(d) + 4);
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
        sectionRva = static_cast<std::uint32_t>(imageEnd);
        rawOffset = static_cast<std::uint32_t>(AlignUp(rawEnd, layout.FileAlignment));
        Put16(out, layout.Coff + 2, static_cast<std::uint16_t>(layout.Sections.size() + 1));
    }
    const BuiltResourceSection section = BuildResourceSection(std::move(*resources), sectionRva);
    const std::uint64_t rawSize = AlignUp(section.Bytes.size(), layout.FileAlignment);
    const std::uint64_t imageSize =
        AlignUp(std::uint64_t(sectionRva) + section.Bytes.size(), layout.SectionAlignment);
    if (rawOffset + rawSize > 0xFFFFFFFFull || imageSize > 0xFFFFFFFFull)
        return Unsafe("the new resource section would pass 4 GB");

    out.resize(rebuilt ? rawOffset : rawEnd);
    out.resize(rawOffset, '\0');
    out.append(section.Bytes);
    out.resize(rawOffset + rawSize, '\0');
    // The COFF symbol table a linker may leave (MinGW's ld does) lies in
    // what follows the sections, which has moved.
    const std::uint32_t symbols = *view.U32(layout.Coff + 8);
    if (symbols >= rawEnd && symbols < fileEnd)
        Put32(out, layout.Coff + 8, static_cast<std::uint32_t>(symbols - rawEnd + out.size()));
    out += overlay;

    std::string header(SectionHeaderSize, '\0');
    if (rebuilt)
        header = std::string(pe.substr(headerAt, SectionHeaderSize));
    else
        header.replace(0, 5, ".rsrc");
    Put32(header, 8, static_cast<std::uint32_t>(section.Bytes.size()));
    Put32(header, 12, sectionRva);
    Put32(header, 16, static_cast<std::uint32_t>(rawSize));
    Put32(header, 20, rawOffset);
    if (!rebuilt)
        Put32(header, 36, RsrcCharacteristics);
    out.replace(headerAt, SectionHeaderSize, header);

    Put32(out, layout.DirectoryAt(ResourceDirectory), sectionRva);
    Put32(out, layout.DirectoryAt(ResourceDirectory) + 4,
          static_cast<std::uint32_t>(section.Bytes.size()));
    Put32(out, layout.SizeOfImageAt(), static_cast<std::uint32_t>(imageSize));
    if (*view.U32(layout.ChecksumAt()) != 0) {
        Put32(out, layout.ChecksumAt(), 0);
        Put32(out, layout.ChecksumAt(), PeChecksum(out));
    }
    return out;
}

} // namespace qm
