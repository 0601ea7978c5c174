//===- VersionInfoBlock.cpp - Decoding a compiled VS_VERSIONINFO -----------===//

#include "versioninfo/VersionInfoBlock.h"

#include "versioninfo/BinaryView.h"
#include "versioninfo/Text.h"
#include "versioninfo/Unicode.h"

#include <algorithm>

namespace qm {

namespace {

constexpr std::size_t BlockHeaderSize = 6; // wLength, wValueLength, wType
constexpr std::size_t FixedInfoSize = 52;
constexpr std::uint16_t TextType = 1;

struct Block {
    std::size_t Start = 0;
    std::size_t End = 0;
    std::string Key; ///< UTF-8
    std::uint16_t Type = 0;
    std::string_view Value; ///< the value's bytes, within the block
    std::size_t Stated = 0; ///< the value's size as its header states it, in bytes
    std::size_t ChildrenStart = 0;
};

class Decoder {
public:
    Decoder(std::string_view data, std::size_t fileOffset) : View(data), Base(fileOffset) {}

    /// The block at `start`, which must end by `limit`.
    Expected<Block> ReadBlock(std::size_t start, std::size_t limit) const {
        const std::optional<std::uint16_t> length = View.U16(start);
        const std::optional<std::uint16_t> valueLength = View.U16(start + 2);
        const std::optional<std::uint16_t> type = View.U16(start + 4);
        if (!length || !valueLength || !type || start + BlockHeaderSize > limit)
            return Fail("The block at offset " + Where(start) + " is cut off");
        if (*length < BlockHeaderSize || *length > limit - start)
            return Fail("The block at offset " + Where(start) + " claims " +
                        std::to_string(*length) + " bytes, but its parent leaves " +
                        std::to_string(limit - start));
        Block block;
        block.Start = start;
        block.End = start + *length;
        block.Type = *type;
        std::size_t at = start + BlockHeaderSize;
        for (;;) {
            const std::optional<std::uint16_t> unit = View.U16(at);
            if (!unit || at + 2 > block.End)
                return Fail("The key of the block at offset " + Where(start) +
                            " has no end within the block");
            at += 2;
            if (*unit == 0)
                break;
        }
        block.Key = EncodeUtf8(
            DecodeUtf16Le(View.Slice(start + BlockHeaderSize, at - 2 - start - BlockHeaderSize)));
        // Padding is relative to the resource's start, which is aligned.
        const std::size_t valueStart = std::min(*AlignUp4(at), block.End);
        // Text values count UTF-16 units, binary ones bytes. Compilers differ
        // in that count, so a text value is taken up to the block's end.
        const std::size_t stated =
            block.Type == TextType ? static_cast<std::size_t>(*valueLength) * 2 : *valueLength;
        const std::size_t available = block.End - valueStart;
        if (block.Type != TextType && stated > available)
            return Fail("The value of the block " + Quote(block.Key) + " at offset " +
                        Where(start) + " claims " + std::to_string(stated) +
                        " bytes, but the block leaves " + std::to_string(available));
        const std::size_t valueSize = std::min(stated, available);
        block.Value = View.Slice(valueStart, block.Type == TextType ? available : valueSize);
        block.Stated = stated;
        block.ChildrenStart = std::min(*AlignUp4(valueStart + valueSize), block.End);
        return block;
    }

    /// Calls `visit` for each child of `parent`, in order.
    template <typename Visit> Status ForEachChild(const Block& parent, Visit visit) const {
        std::size_t at = parent.ChildrenStart;
        while (at + BlockHeaderSize <= parent.End) {
            Expected<Block> child = ReadBlock(at, parent.End);
            if (!child)
                return Status::Fail(child.message());
            if (Status visited = visit(*child); !visited)
                return visited;
            const std::optional<std::size_t> next = AlignUp4(child->End);
            if (!next)
                break;
            at = *next; // each child is at least a header long: the loop ends
        }
        return Status::Ok();
    }

    std::string Where(std::size_t offset) const { return HexOffset(Base + offset); }
    static Status Fail(const std::string& message) { return Status::Fail(message); }

    BinaryView View;
    std::size_t Base;
};

std::string TextUpToNul(std::string_view utf16) {
    std::size_t units = 0;
    while (units * 2 + 1 < utf16.size() && (utf16[units * 2] != 0 || utf16[units * 2 + 1] != 0))
        ++units;
    return EncodeUtf8(DecodeUtf16Le(utf16.substr(0, units * 2)));
}

FixedFileInfo ReadFixedInfo(const BinaryView& value) {
    FixedFileInfo f;
    std::uint32_t* fields[] = {&f.Signature,     &f.StrucVersion,     &f.FileVersionMS,
                               &f.FileVersionLS, &f.ProductVersionMS, &f.ProductVersionLS,
                               &f.FileFlagsMask, &f.FileFlags,        &f.FileOS,
                               &f.FileType,      &f.FileSubtype,      &f.FileDateMS,
                               &f.FileDateLS};
    for (std::size_t i = 0; i < 13; ++i)
        *fields[i] = *value.U32(i * 4);
    return f;
}

} // namespace

Expected<CompiledVersionInfo> DecodeVersionInfo(std::string_view data, std::size_t fileOffset) {
    const Decoder decoder(data, fileOffset);
    Expected<Block> root = decoder.ReadBlock(0, data.size());
    if (!root)
        return Status::Fail(root.message());
    if (root->Key != "VS_VERSION_INFO")
        return Status::Fail("The version resource at offset " + decoder.Where(0) +
                            " begins with the block " + Quote(root->Key) +
                            ", not \"VS_VERSION_INFO\"");
    if (root->Value.size() < FixedInfoSize)
        return Status::Fail("The version resource at offset " + decoder.Where(0) +
                            " has no fixed file information");
    CompiledVersionInfo info;
    info.Fixed = ReadFixedInfo(BinaryView(root->Value));
    if (info.Fixed.Signature != FixedInfoSignature)
        return Status::Fail(
            "The fixed file information at offset " +
            decoder.Where(static_cast<std::size_t>(root->Value.data() - data.data())) +
            " lacks its signature 0xFEEF04BD");

    auto readString = [&](const Block& entry) {
        CompiledString string;
        string.Key = entry.Key;
        string.IsText = entry.Type == TextType;
        if (string.IsText)
            string.Value = TextUpToNul(entry.Value);
        info.Tables.back().Strings.push_back(std::move(string));
        return Status::Ok();
    };
    auto readTable = [&](const Block& table) {
        info.Tables.push_back({table.Key, {}});
        return decoder.ForEachChild(table, readString);
    };
    auto readVar = [&](const Block& var) {
        if (var.Key != "Translation")
            return Status::Ok();
        const BinaryView pairs(var.Value);
        for (std::size_t at = 0; at + 4 <= var.Value.size(); at += 4)
            info.Translations.emplace_back(*pairs.U16(at), *pairs.U16(at + 2));
        return Status::Ok();
    };
    Status children = decoder.ForEachChild(*root, [&](const Block& child) {
        if (child.Key == "StringFileInfo")
            return decoder.ForEachChild(child, readTable);
        if (child.Key == "VarFileInfo")
            return decoder.ForEachChild(child, readVar);
        return Status::Ok();
    });
    if (!children)
        return children;
    return info;
}

namespace {

// A resource nests four levels deep; deeper is a hostile one.
constexpr int MaxOutlineDepth = 32;

std::string HexBytes(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (char c : bytes) {
        hex += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
        hex += digits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

Status OutlineChildren(const Decoder& decoder, const Block& parent, const std::string& path,
                       int depth, std::vector<std::string>& lines) {
    if (depth > MaxOutlineDepth)
        return Status::Fail("The version resource nests blocks more than " +
                            std::to_string(MaxOutlineDepth) + " deep");
    return decoder.ForEachChild(parent, [&](const Block& child) {
        const std::string at = path + "/" + child.Key;
        const std::string_view value = child.Value.substr(0, child.Stated);
        lines.push_back(at + (child.Type == TextType ? " text " + TextUpToNul(value)
                                                     : " binary " + HexBytes(value)));
        return OutlineChildren(decoder, child, at, depth + 1, lines);
    });
}

} // namespace

Expected<std::vector<std::string>> VersionInfoOutline(std::string_view data) {
    const Decoder decoder(data, 0);
    Expected<Block> root = decoder.ReadBlock(0, data.size());
    if (!root)
        return Status::Fail(root.message());
    std::vector<std::string> lines{root->Key + " " + HexBytes(root->Value.substr(0, root->Stated))};
    if (Status walked = OutlineChildren(decoder, *root, root->Key, 0, lines); !walked)
        return walked;
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace qm
