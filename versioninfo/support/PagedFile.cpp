//===- PagedFile.cpp - A file read on demand, in pages --------------------===//

#include "versioninfo/support/PagedFile.h"

#include <algorithm>
#include <limits>

namespace qm {

PagedFileView::PagedFileView(platform::PositionedFile& file)
    : File(file), Size(static_cast<std::size_t>(std::min<std::uint64_t>(
                      file.Size(), std::numeric_limits<std::size_t>::max()))) {}

const char* PagedFileView::Page(std::size_t index) const {
    auto found = Pages.find(index);
    if (found != Pages.end())
        return found->second.get();
    const std::size_t start = index * PageSize;
    const std::size_t length = std::min(PageSize, Size - start);
    auto page = std::make_unique<char[]>(PageSize);
    if (!File.ReadAt(start, length, page.get())) {
        if (Failure.empty())
            Failure = File.Error();
        return nullptr;
    }
    Held += PageSize;
    return Pages.emplace(index, std::move(page)).first->second.get();
}

std::optional<unsigned char> PagedFileView::Byte(std::size_t offset) const {
    const char* page = Page(offset / PageSize);
    if (!page)
        return std::nullopt;
    return static_cast<unsigned char>(page[offset % PageSize]);
}

std::optional<std::uint16_t> PagedFileView::U16(std::size_t offset) const {
    if (!Has(offset, 2))
        return std::nullopt;
    const auto low = Byte(offset), high = Byte(offset + 1);
    if (!low || !high)
        return std::nullopt;
    return static_cast<std::uint16_t>(*low | (*high << 8));
}

std::optional<std::uint32_t> PagedFileView::U32(std::size_t offset) const {
    const auto low = U16(offset);
    const auto high = low ? U16(offset + 2) : std::nullopt;
    if (!high)
        return std::nullopt;
    return static_cast<std::uint32_t>(*low | (static_cast<std::uint32_t>(*high) << 16));
}

std::string_view PagedFileView::Slice(std::size_t offset, std::size_t length) const {
    if (!Has(offset, length))
        return {};
    if (length == 0)
        return std::string_view();
    if (offset / PageSize == (offset + length - 1) / PageSize) {
        const char* page = Page(offset / PageSize);
        return page ? std::string_view(page + offset % PageSize, length) : std::string_view();
    }
    std::string piece(length, '\0');
    if (!File.ReadAt(offset, length, piece.data())) {
        if (Failure.empty())
            Failure = File.Error();
        return {};
    }
    Held += length;
    return Pieces.emplace_back(std::move(piece));
}

} // namespace qm
