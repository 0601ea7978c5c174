//===- VersionInfoBlock.h - Decoding a compiled VS_VERSIONINFO ----*- C++ -*-===//
//
// A version resource is a tree of blocks, each a length, a value length, a
// type, a UTF-16 key and a value, padded to four bytes, then its children:
// VS_VERSION_INFO holds the fixed file information and the blocks
// StringFileInfo (string tables of key/value pairs) and VarFileInfo (the
// Translation pairs). The tree is fixed in depth, so the decoder walks it
// with loops; every length is checked against its parent's end.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

/// VS_FIXEDFILEINFO, field for field.
/// VS_FFI_FILEFLAGSMASK, the mask every script in Quillmark's layout sets.
inline constexpr std::uint32_t FileFlagsMaskValue = 0x3F;

/// The four parts of a version from its two 32-bit halves.
inline std::array<std::uint16_t, 4> VersionPartsOf(std::uint32_t ms, std::uint32_t ls) {
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
}

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

/// Decodes the data of a version resource. `fileOffset` is where `data`
/// starts in its file, so that messages name file offsets. Fails with a
/// message naming the block and its offset when a length runs past its
/// parent, a key has no end or the fixed information is missing. Blocks
/// it does not know are skipped. Never throws.
Expected<CompiledVersionInfo> DecodeVersionInfo(std::string_view data, std::size_t fileOffset = 0);

/// Everything a version resource holds, whatever its layout: one line per
/// block and value (its path of keys, its kind, its text up to the first
/// NUL or its bytes) and the fixed information's bytes, sorted. Two
/// resources with the same outline read the same through VerQueryValue.
Expected<std::vector<std::string>> VersionInfoOutline(std::string_view data);

/// `original` with the change that turned `before` into `after`, where
/// those are what one script compiles to before and after an edit and the
/// script was read from `original`. What the edit leaves alone keeps its
/// bytes, including what no script can carry (binary values, blocks of
/// their own, the file date): fixed information is changed word by word,
/// a changed string or Translation is taken whole from `after`, a string
/// the edit adds goes after its neighbour, and one it removes goes. Fails
/// when a resource can't be read as a tree or the result outgrows the
/// format's 16-bit lengths.
Expected<std::string> CarryVersionEdit(std::string_view original, std::string_view before,
                                       std::string_view after);

} // namespace qm
