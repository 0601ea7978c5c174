//===- VersionInfoBlock.cpp - Decoding a compiled VS_VERSIONINFO -----------===//

#include "versioninfo/binary/VersionInfoBlock.h"

#include "versioninfo/support/BinaryView.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

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

namespace {

/// A block as bytes: its head (header, key and value, as read) and its
/// children. An untouched block is written back as it was read.
struct VersionNode {
    std::string Key;
    std::string Head;
    std::string Raw; ///< the block as read; empty once it has changed
    std::vector<VersionNode> Children;
};

Expected<VersionNode> ReadNode(const Decoder& decoder, const Block& block, int depth) {
    if (depth > MaxOutlineDepth)
        return Status::Fail("The version resource nests blocks more than " +
                            std::to_string(MaxOutlineDepth) + " deep");
    VersionNode node;
    node.Key = block.Key;
    node.Head = std::string(decoder.View.Slice(block.Start, block.ChildrenStart - block.Start));
    node.Raw = std::string(decoder.View.Slice(block.Start, block.End - block.Start));
    Status read = decoder.ForEachChild(block, [&](const Block& child) {
        Expected<VersionNode> read = ReadNode(decoder, child, depth + 1);
        if (!read)
            return Status::Fail(read.message());
        node.Children.push_back(std::move(*read));
        return Status::Ok();
    });
    if (!read)
        return read;
    return node;
}

Expected<VersionNode> ReadTree(std::string_view data) {
    const Decoder decoder(data, 0);
    Expected<Block> root = decoder.ReadBlock(0, data.size());
    if (!root)
        return Status::Fail(root.message());
    return ReadNode(decoder, *root, 0);
}

Expected<std::string> WriteNode(const VersionNode& node) {
    if (!node.Raw.empty())
        return node.Raw;
    std::string out = node.Head;
    for (const VersionNode& child : node.Children) {
        out.resize(*AlignUp4(out.size()), '\0');
        Expected<std::string> written = WriteNode(child);
        if (!written)
            return written;
        out += *written;
    }
    if (out.size() > 0xFFFF)
        return Status::Fail("The block " + Quote(node.Key) + " would grow past 65,535 bytes");
    out[0] = static_cast<char>(out.size() & 0xFF);
    out[1] = static_cast<char>(out.size() >> 8);
    return out;
}

bool SameNode(const VersionNode& a, const VersionNode& b) {
    return a.Raw == b.Raw;
}

/// The fixed information's words that differ between `before` and
/// `after`, put into `head`; the rest of `head` stays.
void CarryFixedWords(std::string& head, const std::string& before, const std::string& after) {
    const std::size_t at =
        *AlignUp4(BlockHeaderSize + 2 * (std::string("VS_VERSION_INFO").size() + 1));
    const std::size_t end = at + FixedInfoSize;
    if (head.size() < end || before.size() < end || after.size() < end)
        return;
    for (std::size_t word = at; word < end; word += 4)
        if (before.compare(word, 4, after, word, 4) != 0)
            head.replace(word, 4, after, word, 4);
}

/// Pairs of children of `before` and `after`: by key (the n-th of a key
/// with the n-th), then what is left in order, which is a rename.
std::vector<std::pair<int, int>> PairChildren(const VersionNode& before, const VersionNode& after) {
    std::vector<std::pair<int, int>> pairs;
    std::vector<bool> used(before.Children.size());
    std::vector<int> unpaired;
    for (std::size_t a = 0; a < after.Children.size(); ++a) {
        int match = -1;
        for (std::size_t b = 0; b < before.Children.size() && match < 0; ++b)
            if (!used[b] && before.Children[b].Key == after.Children[a].Key)
                match = static_cast<int>(b);
        if (match >= 0)
            used[match] = true;
        else
            unpaired.push_back(static_cast<int>(a));
        pairs.emplace_back(match, static_cast<int>(a));
    }
    std::size_t next = 0;
    for (std::size_t b = 0; b < before.Children.size(); ++b) {
        if (used[b])
            continue;
        if (next < unpaired.size())
            pairs[unpaired[next++]].first = static_cast<int>(b);
        else
            pairs.emplace_back(static_cast<int>(b), -1); // removed
    }
    return pairs;
}

/// The child of `original` that the n-th child of `before` with its key was read from.
int OriginalOf(const VersionNode& original, const VersionNode& before, int b) {
    const std::string& key = before.Children[b].Key;
    int nth = 0;
    for (int i = 0; i < b; ++i)
        nth += before.Children[i].Key == key;
    for (std::size_t i = 0; i < original.Children.size(); ++i)
        if (original.Children[i].Key == key && nth-- == 0)
            return static_cast<int>(i);
    return -1;
}

void CarryNode(VersionNode& node, const VersionNode& before, const VersionNode& after, bool root);

/// The children's part of the change, made on `node`'s children.
void CarryChildren(VersionNode& node, const VersionNode& before, const VersionNode& after) {
    std::vector<VersionNode> children = node.Children;
    std::vector<bool> removed(children.size());
    std::vector<std::pair<int, VersionNode>> added; // after which original child
    int last = -1;
    for (const auto& [b, a] : PairChildren(before, after)) {
        const int o = b >= 0 ? OriginalOf(node, before, b) : -1;
        if (a < 0) {
            if (o >= 0)
                removed[o] = true;
        } else if (o >= 0) {
            CarryNode(children[o], before.Children[b], after.Children[a], false);
            last = o;
        } else if (b < 0 || !SameNode(before.Children[b], after.Children[a])) {
            added.emplace_back(last, after.Children[a]);
        }
    }
    node.Children.clear();
    for (const auto& [at, child] : added)
        if (at < 0)
            node.Children.push_back(child);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (!removed[i])
            node.Children.push_back(std::move(children[i]));
        for (const auto& [at, child] : added)
            if (at == static_cast<int>(i))
                node.Children.push_back(child);
    }
}

void CarryNode(VersionNode& node, const VersionNode& before, const VersionNode& after, bool root) {
    if (SameNode(before, after))
        return;
    if (!root && before.Children.empty() && after.Children.empty()) {
        node = after; // a value: the edit's bytes, whole
        return;
    }
    node.Raw.clear();
    if (root)
        CarryFixedWords(node.Head, before.Head, after.Head);
    else if (before.Head.compare(2, before.Head.npos, after.Head, 2) != 0) {
        // Renamed (a table's language): all but the length, which follows.
        node.Head = after.Head;
        node.Key = after.Key;
    }
    CarryChildren(node, before, after);
}

} // namespace

Expected<std::string> CarryVersionEdit(std::string_view original, std::string_view before,
                                       std::string_view after) {
    Expected<VersionNode> tree = ReadTree(original);
    Expected<VersionNode> from = ReadTree(before);
    Expected<VersionNode> to = ReadTree(after);
    if (!tree || !from || !to)
        return Status::Fail(!tree ? tree.message() : !from ? from.message() : to.message());
    CarryNode(*tree, *from, *to, true);
    return WriteNode(*tree);
}

} // namespace qm
