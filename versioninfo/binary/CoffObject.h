//===- CoffObject.h - Resources as a COFF object file -------------*- C++ -*-===//
//
// What windres -O coff and cvtres make: an object file with one .rsrc
// section holding the resource directory and data, and a relocation for
// each data address, so that MinGW's ld and lld-link take it as it is.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/ResourceSection.h"
#include "versioninfo/support/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class CoffMachine : std::uint16_t { X86 = 0x014C, X64 = 0x8664, Arm64 = 0xAA64 };

/// "x86", "x64" (also "amd64", "x86_64") or "arm64".
std::optional<CoffMachine> CoffMachineNamed(std::string_view name);

/// The object file for `resources`, for `machine`.
std::string CoffObjectOf(std::vector<SectionResource> resources, CoffMachine machine);

/// Every resource of a .res file, as a COFF object.
Expected<std::string> CoffObjectOfRes(std::string_view res, CoffMachine machine);

} // namespace qm
