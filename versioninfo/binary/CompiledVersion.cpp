//===- CompiledVersion.cpp - The version resource of a .res or PE file -----===//

#include "versioninfo/binary/CompiledVersion.h"

#include "platform/FileRead.h"
#include "versioninfo/binary/PeResources.h"
#include "versioninfo/binary/ResourceFile.h"
#include "versioninfo/document/Lookups.h"
#include "versioninfo/support/Unicode.h"

#include <cstdio>

namespace qm {

namespace {

Expected<std::vector<CompiledResource>>
VersionsAmong(const Expected<std::vector<ResourceEntry>>& entries, CompiledFormat format) {
    if (!entries)
        return Status::Fail(entries.message());
    std::vector<CompiledResource> resources;
    for (const ResourceEntry& entry : *entries) {
        if (!entry.Type.IsNumber || entry.Type.Number != VersionResourceType)
            continue;
        Expected<CompiledVersionInfo> info = DecodeVersionInfo(entry.Data, entry.Offset);
        if (!info)
            return Status::Fail(info.message());
        resources.push_back({format, entry.Language, entry.Offset, std::move(*info)});
    }
    if (resources.empty())
        return Status::Fail("The file holds no version resource");
    return resources;
}

} // namespace

bool LooksCompiled(std::string_view bytes) {
    return LooksLikeResFile(bytes) || LooksLikePeFile(bytes) || LooksLike16BitResFile(bytes);
}

Expected<std::vector<CompiledResource>> ReadCompiledVersions(std::string_view bytes) {
    CompiledFormat format = CompiledFormat::Res;
    Expected<std::vector<ResourceEntry>> entries = Status::Fail("");
    if (LooksLikeResFile(bytes)) {
        entries = ParseResFile(bytes);
    } else if (LooksLikePeFile(bytes)) {
        format = CompiledFormat::Pe;
        entries = ParsePeResources(bytes);
    } else if (LooksLike16BitResFile(bytes)) {
        return Status::Fail("A 16-bit resource file (the Windows 3.x format), which Quillmark "
                            "does not read; compile the script for 32 bits (rc /r, llvm-rc)");
    } else {
        return Status::Fail("Neither a .res file nor an executable");
    }
    return VersionsAmong(entries, format);
}

Expected<std::vector<CompiledResource>> ReadExecutableVersions(const PagedFileView& file) {
    return VersionsAmong(ParsePeVersionResources(file), CompiledFormat::Pe);
}

std::optional<Expected<std::vector<CompiledResource>>> ReadExecutableFile(const std::string& path) {
    const auto file = platform::PositionedFile::OpenRegular(path);
    char signature[2];
    if (!file || file->Size() < 2 || !file->ReadAt(0, 2, signature) ||
        !LooksLikePeFile(std::string_view(signature, 2)))
        return std::nullopt;
    return ReadExecutableVersions(PagedFileView(*file));
}

std::size_t PreferredVersion(const std::vector<CompiledResource>& resources) {
    for (std::uint16_t language : {std::uint16_t(0), std::uint16_t(0x0409)})
        for (std::size_t i = 0; i < resources.size(); ++i)
            if (resources[i].Language == language)
                return i;
    return 0;
}

Expected<CompiledResource> ReadCompiledVersion(std::string_view bytes) {
    return PreferredVersionOf(ReadCompiledVersions(bytes));
}

Expected<CompiledResource> PreferredVersionOf(Expected<std::vector<CompiledResource>> resources) {
    if (!resources)
        return Status::Fail(resources.message());
    return std::move((*resources)[PreferredVersion(*resources)]);
}

} // namespace qm
