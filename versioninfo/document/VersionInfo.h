//===- VersionInfo.h - What a version resource holds ---------------*- C++ -*-===//
//
// The version resource as values: the fixed file information, the string
// tables and the Translation pairs. What a compiled resource decodes to
// (binary/VersionInfoBlock.h) and what a script's model compiles to
// (script/ScriptModel.h), so the two can be compared.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

/// VS_FFI_FILEFLAGSMASK, the mask every script in Quillmark's layout sets.
inline constexpr std::uint32_t FileFlagsMaskValue = 0x3F;

/// The four parts of a version from its two 32-bit halves.
inline std::array<std::uint16_t, 4> VersionPartsOf(std::uint32_t ms, std::uint32_t ls) {
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

/// VS_FIXEDFILEINFO, field for field.
struct FixedFileInfo {
    std::uint32_t Signature = 0;
    std::uint32_t StrucVersion = 0;
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = 0;
    std::uint32_t FileType = 0;
    std::uint32_t FileSubtype = 0;
    std::uint32_t FileDateMS = 0;
    std::uint32_t FileDateLS = 0;
};

/// One string of a table; key and value in UTF-8, the value up to its
/// first NUL (what every reader of version resources shows).
struct CompiledString {
    std::string Key;
    std::string Value;
    bool IsText = true; ///< false for a binary value (a number list)
};

struct CompiledStringTable {
    std::string Name; ///< the block name, e.g. "040904E4"
    std::vector<CompiledString> Strings;
};

struct CompiledVersionInfo {
    FixedFileInfo Fixed;
    std::vector<CompiledStringTable> Tables;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> Translations; ///< language, code page
};

inline bool operator==(const FixedFileInfo& a, const FixedFileInfo& b) {
    const auto fields = [](const FixedFileInfo& f) {
        return std::array<std::uint32_t, 13>{
            f.Signature,        f.StrucVersion,     f.FileVersionMS, f.FileVersionLS,
            f.ProductVersionMS, f.ProductVersionLS, f.FileFlagsMask, f.FileFlags,
            f.FileOS,           f.FileType,         f.FileSubtype,   f.FileDateMS,
            f.FileDateLS};
    };
    return fields(a) == fields(b);
}
inline bool operator==(const CompiledString& a, const CompiledString& b) {
    return a.Key == b.Key && a.Value == b.Value && a.IsText == b.IsText;
}
inline bool operator==(const CompiledStringTable& a, const CompiledStringTable& b) {
    return a.Name == b.Name && a.Strings == b.Strings;
}
inline bool operator==(const CompiledVersionInfo& a, const CompiledVersionInfo& b) {
    return a.Fixed == b.Fixed && a.Tables == b.Tables && a.Translations == b.Translations;
}

/// VS_FFI_SIGNATURE.
constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BD;

} // namespace qm
