//===- CoffObject.cpp - Resources as a COFF object file -------------------===//

#include "versioninfo/binary/CoffObject.h"

namespace qm {

namespace {

constexpr std::size_t FileHeaderSize = 20;
constexpr std::size_t SectionHeaderSize = 40;
constexpr std::size_t RelocationSize = 10;
// Initialized data, readable, four-byte aligned.
constexpr std::uint32_t RsrcCharacteristics = 0x40000040u | 0x00300000u;
constexpr std::uint8_t StaticSymbol = 3;

void Add16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Add32(std::string& out, std::uint32_t value) {
    Add16(out, value & 0xFFFF);
    Add16(out, value >> 16);
}

/// The relocation that adds the image's address of the section to a
/// 32-bit field, without the image base (an RVA).
std::uint16_t AddressRelocation(CoffMachine machine) {
    switch (machine) {
    case CoffMachine::X86:
        return 0x0007; // IMAGE_REL_I386_DIR32NB
    case CoffMachine::Arm64:
        return 0x0002; // IMAGE_REL_ARM64_ADDR32NB
    case CoffMachine::X64:
        break;
    }
    return 0x0003; // IMAGE_REL_AMD64_ADDR32NB
}

} // namespace

std::optional<CoffMachine> CoffMachineNamed(std::string_view name) {
    if (name == "x86" || name == "i386")
        return CoffMachine::X86;
    if (name == "x64" || name == "amd64" || name == "x86_64")
        return CoffMachine::X64;
    if (name == "arm64" || name == "aarch64")
        return CoffMachine::Arm64;
    return std::nullopt;
}

std::string CoffObjectOf(std::vector<SectionResource> resources, CoffMachine machine) {
    // Laid out at address 0: each address field then holds the data's offset
    // in the section, which the relocation turns into its RVA.
    const BuiltResourceSection section = BuildResourceSection(std::move(resources), 0);
    const std::size_t rawAt = FileHeaderSize + SectionHeaderSize;
    const std::size_t relocationsAt = rawAt + section.Bytes.size();
    const auto relocations = static_cast<std::uint32_t>(section.DataAddressFields.size());
    const std::size_t symbolsAt = relocationsAt + relocations * RelocationSize;

    std::string out;
    Add16(out, static_cast<std::uint16_t>(machine));
    Add16(out, 1); // sections
    Add32(out, 0); // time stamp: none, so that builds are reproducible
    Add32(out, static_cast<std::uint32_t>(symbolsAt));
    // The section's symbol and its auxiliary record; for x86 also @feat.00.
    Add32(out, machine == CoffMachine::X86 ? 3 : 2);
    Add16(out, 0);                                        // no optional header
    Add16(out, machine == CoffMachine::X86 ? 0x0100 : 0); // 32-bit machine

    out += std::string(".rsrc\0\0\0", 8);
    Add32(out, 0), Add32(out, 0); // virtual size and address
    Add32(out, static_cast<std::uint32_t>(section.Bytes.size()));
    Add32(out, static_cast<std::uint32_t>(rawAt));
    Add32(out, relocations ? static_cast<std::uint32_t>(relocationsAt) : 0);
    Add32(out, 0); // line numbers
    Add16(out, relocations), Add16(out, 0);
    Add32(out, RsrcCharacteristics);

    out += section.Bytes;
    for (std::uint32_t field : section.DataAddressFields) {
        Add32(out, field);
        Add32(out, 0); // the section's symbol
        Add16(out, AddressRelocation(machine));
    }

    out += std::string(".rsrc\0\0\0", 8);
    Add32(out, 0); // value
    Add16(out, 1); // section number
    Add16(out, 0); // type
    out += static_cast<char>(StaticSymbol);
    out += static_cast<char>(1); // one auxiliary record
    Add32(out, static_cast<std::uint32_t>(section.Bytes.size()));
    Add16(out, relocations), Add16(out, 0);
    Add32(out, 0), Add16(out, 0);
    out += std::string(4, '\0'); // selection and padding to 18 bytes
    if (machine == CoffMachine::X86) {
        // What cvtres writes: the object is safe for /SAFESEH (bit 0) and
        // was made by a tool that knows the flag (bit 4). lld-link, which
        // links x86 with /SAFESEH by default, refuses objects without it.
        out += std::string("@feat.00", 8);
        Add32(out, 0x11);
        Add16(out, 0xFFFF); // an absolute symbol
        Add16(out, 0);
        out += static_cast<char>(StaticSymbol);
        out += static_cast<char>(0);
    }
    Add32(out, 4); // an empty string table
    return out;
}

Expected<std::string> CoffObjectOfRes(std::string_view res, CoffMachine machine) {
    Expected<std::vector<ResourceEntry>> entries = ParseResFile(res);
    if (!entries)
        return Status::Fail(entries.message());
    std::vector<SectionResource> resources;
    for (const ResourceEntry& entry : *entries)
        resources.push_back(
            {entry.Type, entry.Name, entry.Language, std::string(entry.Data), 0, {}});
    return CoffObjectOf(std::move(resources), machine);
}

} // namespace qm
