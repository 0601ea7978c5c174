//===- ResourceSection.cpp - Resources laid out as a .rsrc section --------===//
//
// The layout is the one Microsoft's linker makes: every directory table
// first (all types, then the name tables, then the language tables), then
// the data entries, then the names (a length and UTF-16 units), then the
// data, each piece on an eight-byte boundary. Named entries come before
// numbered ones in each table, names in ordinal order, numbers ascending:
// Windows finds resources by a binary search over them.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/binary/ResourceSection.h"

#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <map>

namespace qm {

namespace {

constexpr std::uint32_t SubdirectoryBit = 0x80000000u;
constexpr std::uint32_t NameBit = 0x80000000u;

std::u16string Utf16Of(const std::string& utf8) {
    return EncodeUtf16(DecodeUtf8(utf8));
}

/// The order of a directory's entries: names (by UTF-16 ordinal) first.
struct IdOrder {
    bool operator()(const ResourceId& a, const ResourceId& b) const {
        if (a.IsNumber != b.IsNumber)
            return !a.IsNumber;
        return a.IsNumber ? a.Number < b.Number : Utf16Of(a.Text) < Utf16Of(b.Text);
    }
};

using LanguageTable = std::map<std::uint16_t, const SectionResource*>;
using NameTable = std::map<ResourceId, LanguageTable, IdOrder>;
using TypeTable = std::map<ResourceId, NameTable, IdOrder>;

void Put16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

std::size_t AlignTo8(std::size_t size) {
    return (size + 7) & ~std::size_t(7);
}

/// Lays the section out in two passes: sizes and offsets, then bytes.
class SectionLayout {
public:
    SectionLayout(const TypeTable& types, std::uint32_t sectionRva)
        : Types(types), SectionRva(sectionRva) {}

    BuiltResourceSection Build() {
        // Directory tables, breadth first.
        std::size_t at = TableSize(Types.size());
        for (const auto& [type, names] : Types) {
            NameTableAt[&names] = at;
            at += TableSize(names.size());
        }
        for (const auto& [type, names] : Types)
            for (const auto& [name, languages] : names) {
                LanguageTableAt[&languages] = at;
                at += TableSize(languages.size());
            }
        for (const auto& [type, names] : Types)
            for (const auto& [name, languages] : names)
                for (const auto& [language, resource] : languages) {
                    DataEntryAt[resource] = at;
                    InOrder.push_back(resource);
                    at += 16;
                }
        // Names, each once.
        for (const auto& [type, names] : Types) {
            AddName(type, at);
            for (const auto& [name, languages] : names)
                AddName(name, at);
        }
        at = AlignTo8(at);
        for (const SectionResource* resource : InOrder) {
            if (resource->KeptAt)
                continue;
            DataAt[resource] = at;
            at = AlignTo8(at + resource->Data.size());
        }
        Out.Bytes.assign(at, '\0');
        WriteTables();
        return std::move(Out);
    }

private:
    static std::size_t TableSize(std::size_t entries) { return 16 + 8 * entries; }

    void AddName(const ResourceId& id, std::size_t& at) {
        if (id.IsNumber || NameAt.count(id.Text))
            return;
        NameAt[id.Text] = at;
        at += 2 + 2 * Utf16Of(id.Text).size();
    }

    std::uint32_t NameField(const ResourceId& id) const {
        return id.IsNumber ? id.Number : NameBit | static_cast<std::uint32_t>(NameAt.at(id.Text));
    }

    /// A table's header and entries; `target` gives each entry's offset field.
    template <typename Table, typename Target>
    void WriteTable(std::size_t at, const Table& table, Target target) {
        std::size_t named = 0;
        for (const auto& entry : table)
            named += IsNamed(entry.first);
        Put16(Out.Bytes, at + 12, static_cast<std::uint32_t>(named));
        Put16(Out.Bytes, at + 14, static_cast<std::uint32_t>(table.size() - named));
        std::size_t entryAt = at + 16;
        for (const auto& [key, value] : table) {
            Put32(Out.Bytes, entryAt, KeyField(key));
            Put32(Out.Bytes, entryAt + 4, target(value));
            entryAt += 8;
        }
    }

    static bool IsNamed(const ResourceId& id) { return !id.IsNumber; }
    static bool IsNamed(std::uint16_t) { return false; }
    std::uint32_t KeyField(const ResourceId& id) const { return NameField(id); }
    static std::uint32_t KeyField(std::uint16_t language) { return language; }

    void WriteTables() {
        WriteTable(0, Types, [&](const NameTable& names) {
            return SubdirectoryBit | static_cast<std::uint32_t>(NameTableAt.at(&names));
        });
        for (const auto& [type, names] : Types) {
            WriteTable(NameTableAt.at(&names), names, [&](const LanguageTable& languages) {
                return SubdirectoryBit | static_cast<std::uint32_t>(LanguageTableAt.at(&languages));
            });
            for (const auto& [name, languages] : names)
                WriteTable(LanguageTableAt.at(&languages), languages,
                           [&](const SectionResource* resource) {
                               return static_cast<std::uint32_t>(DataEntryAt.at(resource));
                           });
        }
        for (const SectionResource* resource : InOrder) {
            const std::size_t entry = DataEntryAt.at(resource);
            Put32(Out.Bytes, entry + 8, resource->CodePage);
            if (resource->KeptAt) {
                Put32(Out.Bytes, entry, resource->KeptAt->first);
                Put32(Out.Bytes, entry + 4, resource->KeptAt->second);
                continue;
            }
            const std::size_t data = DataAt.at(resource);
            Put32(Out.Bytes, entry, SectionRva + static_cast<std::uint32_t>(data));
            Put32(Out.Bytes, entry + 4, static_cast<std::uint32_t>(resource->Data.size()));
            Out.DataAddressFields.push_back(static_cast<std::uint32_t>(entry));
            Out.Bytes.replace(data, resource->Data.size(), resource->Data);
        }
        for (const auto& [text, at] : NameAt) {
            const std::u16string units = Utf16Of(text);
            Put16(Out.Bytes, at, static_cast<std::uint32_t>(units.size()));
            for (std::size_t i = 0; i < units.size(); ++i)
                Put16(Out.Bytes, at + 2 + 2 * i, units[i]);
        }
    }

    const TypeTable& Types;
    std::uint32_t SectionRva;
    std::map<const NameTable*, std::size_t> NameTableAt;
    std::map<const LanguageTable*, std::size_t> LanguageTableAt;
    std::map<const SectionResource*, std::size_t> DataEntryAt;
    std::map<const SectionResource*, std::size_t> DataAt;
    std::vector<const SectionResource*> InOrder; ///< in directory order
    std::map<std::string, std::size_t> NameAt;
    BuiltResourceSection Out;
};

} // namespace

BuiltResourceSection BuildResourceSection(std::vector<SectionResource> resources,
                                          std::uint32_t sectionRva) {
    TypeTable types;
    for (const SectionResource& resource : resources)
        types[resource.Type][resource.Name][resource.Language] = &resource;
    return SectionLayout(types, sectionRva).Build();
}

} // namespace qm
