//===- BinaryView.h - Bounds-checked little-endian reads ----------*- C++ -*-===//
//
// The parsers of compiled resources read untrusted bytes. Every read goes
// through here and states how many bytes it needs; a read past the end
// gives nothing instead of touching memory outside the input.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

class BinaryView {
public:
    explicit BinaryView(std::string_view bytes) : Bytes(bytes) {}

    std::size_t size() const { return Bytes.size(); }
    /// True when [offset, offset + length) lies inside the bytes.
    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= Bytes.size() && length <= Bytes.size() - offset;
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const {
        if (!Has(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        if (!Has(offset, 4))
            return std::nullopt;
        return static_cast<std::uint32_t>(Byte(offset) | (Byte(offset + 1) << 8) |
                                          (Byte(offset + 2) << 16) |
                                          (static_cast<std::uint32_t>(Byte(offset + 3)) << 24));
    }
    std::string_view Slice(std::size_t offset, std::size_t length) const {
        return Has(offset, length) ? Bytes.substr(offset, length) : std::string_view();
    }

private:
    std::uint32_t Byte(std::size_t at) const { return static_cast<unsigned char>(Bytes[at]); }
    std::string_view Bytes;
};

/// "0x1C4": offsets in messages, as a hex viewer shows them.
inline std::string HexOffset(std::size_t offset) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%zX", offset);
    return buffer;
}

/// `value` rounded up to a multiple of four, or nothing on overflow.
inline std::optional<std::size_t> AlignUp4(std::size_t value) {
    if (value > static_cast<std::size_t>(-1) - 3)
        return std::nullopt;
    return (value + 3) & ~static_cast<std::size_t>(3);
}

} // namespace qm
