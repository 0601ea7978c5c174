//===- PagedFile.h - A file read on demand, in pages ---------------*- C++ -*-===//
//
// An executable can be hundreds of megabytes, of which the version reader
// needs the headers, the section table and the resource directory. This
// view answers the same bounds-checked reads as BinaryView, at the same
// file offsets, but reads only the 4 KiB pages they touch, so memory follows
// what is read, not the file's size.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "platform/FileRead.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qm {

class PagedFileView {
public:
    /// Reads through `file`, which must outlive the view; a file larger
    /// than this process can address is seen cut at that size.
    explicit PagedFileView(platform::PositionedFile& file);

    std::size_t size() const { return Size; }
    /// True when [offset, offset + length) lies inside the file. Reads
    /// nothing.
    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= Size && length <= Size - offset;
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const;
    std::optional<std::uint32_t> U32(std::size_t offset) const;
    /// The bytes at [offset, offset + length), kept as long as the view
    /// lives; empty when out of bounds or unreadable.
    std::string_view Slice(std::size_t offset, std::size_t length) const;

    /// Why a read inside the bounds failed (the file shrank, or the system
    /// failed); empty while every read succeeded. Such a read answers as if
    /// it were out of bounds, so a caller checks this first.
    const std::string& ReadFailure() const { return Failure; }

    /// The bytes read so far and kept: what this view costs in memory.
    std::size_t BytesHeld() const { return Held; }

private:
    static constexpr std::size_t PageSize = 4096;

    const char* Page(std::size_t index) const;
    std::optional<unsigned char> Byte(std::size_t offset) const;

    platform::PositionedFile& File;
    std::size_t Size;
    mutable std::unordered_map<std::size_t, std::unique_ptr<char[]>> Pages;
    mutable std::deque<std::string> Pieces; ///< slices that span pages
    mutable std::string Failure;
    mutable std::size_t Held = 0;
};

} // namespace qm
