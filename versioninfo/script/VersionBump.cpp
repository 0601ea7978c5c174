//===- VersionBump.cpp - Incrementing one part of the versions -------------===//

#include "versioninfo/script/VersionBump.h"

#include "versioninfo/document/VersionCheck.h"

namespace qm {

namespace {

constexpr int FileVersionKey = Index(StringKey::FileVersion);
constexpr int ProductVersionKey = Index(StringKey::ProductVersion);

/// The new fixed text: the numbers replaced where they stand, so the
/// author's spacing and comment survive; a dotted text becomes the comma
/// form.
std::string RewriteFixed(std::string_view whole, const VersionParts& parts) {
    const std::string_view text = CodeBeforeComment(whole);
    const std::string_view comment = whole.substr(text.size());
    if (CommaFormOfDotted(text))
        return FixedVersionText(parts) + (comment.empty() ? "" : " ") + std::string(comment);
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',', start) : text.size();
        const std::string_view piece = text.substr(start, comma - start);
        const std::size_t lead = piece.size() - TrimLeft(piece).size();
        const std::size_t trail = piece.size() - TrimRight(piece).size();
        out.append(piece.substr(0, lead));
        out += std::to_string(parts[i]);
        out.append(piece.substr(piece.size() - trail));
        if (i < 3)
            out += ',';
        start = comma + 1;
    }
    return out + std::string(comment);
}

/// Rewrites the version at the start of a string value; the shown parts
/// keep their count, growing when a changed part lies beyond them.
std::string RewriteStringValue(const std::string& value, const VersionParts& parts) {
    // The marker (if any) stays; the text after it holds the version.
    std::size_t markerLength = 0;
    if (value.compare(0, 2, "\\0") == 0)
        markerLength = 2;
    else if (value.compare(0, 2, "\\\\") == 0)
        markerLength = 1;
    const std::string_view text = std::string_view(value).substr(markerLength);
    std::size_t end = 0;
    const std::vector<std::uint64_t> shown = LeadingVersionNumbers(text, &end);
    std::size_t begin = 0;
    while (begin < text.size() && !(text[begin] >= '0' && text[begin] <= '9'))
        ++begin;
    std::size_t count = shown.size();
    for (std::size_t i = count; i < 4; ++i) {
        if (parts[i] != 0)
            count = i + 1;
    }
    // Keep the author's separator: a comma form stays a comma form.
    const std::string_view numbers = text.substr(begin, end - begin);
    const std::string separator = numbers.find(',') != std::string_view::npos ? ", " : ".";
    std::string version;
    for (std::size_t i = 0; i < count; ++i)
        version += (i ? separator : "") + std::to_string(parts[i]);
    return value.substr(0, markerLength) + std::string(text.substr(0, begin)) + version +
           std::string(text.substr(end));
}

void BumpString(VersionRecord& record, int key, const VersionParts& before,
                const VersionParts& after, std::vector<std::string>& notes) {
    std::string& value = record.StringValues[key];
    const std::string name(StringKeys()[key]);
    const std::optional<std::string> text = QuotedValueText(value);
    if (!text) {
        if (!TrimRight(value).empty())
            notes.push_back("The string " + name + " is written bare; it was left as it is");
        return;
    }
    const std::vector<std::uint64_t> shown = LeadingVersionNumbers(*text);
    if (shown.empty() || !StringVersionAgrees(shown, before)) {
        notes.push_back("The string " + name + " \"" + *text +
                        "\" did not agree with the old version; it was left as it is");
        return;
    }
    value = RewriteStringValue(value, after);
}

} // namespace

Expected<VersionParts> ReadFixedVersion(std::string_view text, std::string_view field) {
    if (std::optional<std::string> comma = CommaFormOfDotted(CodeBeforeComment(text)))
        return ParseFixedVersion(*comma, field);
    return ParseFixedVersion(text, field);
}

std::optional<std::string> FollowedVersionString(const std::string& value,
                                                 const VersionParts& before,
                                                 const VersionParts& after) {
    const std::optional<std::string> text = QuotedValueText(value);
    if (!text)
        return std::nullopt;
    const std::vector<std::uint64_t> shown = LeadingVersionNumbers(*text);
    if (shown.empty() || !StringVersionAgrees(shown, before))
        return std::nullopt;
    return RewriteStringValue(value, after);
}

std::optional<VersionPart> VersionPartNamed(std::string_view name) {
    if (name == "major")
        return VersionPart::Major;
    if (name == "minor")
        return VersionPart::Minor;
    if (name == "patch")
        return VersionPart::Patch;
    if (name == "build")
        return VersionPart::Build;
    return std::nullopt;
}

Expected<BumpResult> BumpVersion(const VersionRecord& record, VersionPart part) {
    const auto index = static_cast<std::size_t>(part);
    Expected<VersionParts> file = ReadFixedVersion(record.HFileVersion, "FILEVERSION");
    if (!file)
        return Status::Fail("Can't bump: " + file.message());
    Expected<VersionParts> product = ReadFixedVersion(record.HProductVersion, "PRODUCTVERSION");
    if (!product)
        return Status::Fail("Can't bump: " + product.message());
    auto bumped = [&](VersionParts parts, const char* field) -> Expected<VersionParts> {
        if (parts[index] == 0xFFFF)
            return Status::Fail("Can't bump: " + std::string(field) + " part " +
                                std::to_string(index + 1) + " is already 65535");
        ++parts[index];
        for (std::size_t i = index + 1; i < 4; ++i)
            parts[i] = 0;
        return parts;
    };
    Expected<VersionParts> newFile = bumped(*file, "FILEVERSION");
    if (!newFile)
        return Status::Fail(newFile.message());
    Expected<VersionParts> newProduct = bumped(*product, "PRODUCTVERSION");
    if (!newProduct)
        return Status::Fail(newProduct.message());

    BumpResult result{record, {}};
    result.Record.HFileVersion = RewriteFixed(record.HFileVersion, *newFile);
    result.Record.HProductVersion = RewriteFixed(record.HProductVersion, *newProduct);
    BumpString(result.Record, FileVersionKey, *file, *newFile, result.Notes);
    BumpString(result.Record, ProductVersionKey, *product, *newProduct, result.Notes);
    return result;
}

} // namespace qm
