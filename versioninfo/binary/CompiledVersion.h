//===- CompiledVersion.h - The version resource of a .res or PE file -*- C++ -*-===//
//
// Reads back what a resource compiler made: finds the version resource in a
// .res file or an executable, whichever the bytes are. CompiledRecord.h
// turns it into a document, CompareCompiled.h compares it with one.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/document/VersionCheck.h"
#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/support/PagedFile.h"
#include "versioninfo/support/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

enum class CompiledFormat { Res, Pe };

struct CompiledResource {
    CompiledFormat Format = CompiledFormat::Res;
    std::uint16_t Language = 0; ///< the resource's language
    std::size_t Offset = 0;     ///< where its data begins in the file
    CompiledVersionInfo Info;
};

/// True when `bytes` look like a .res file or an executable rather than a
/// script (scripts are text and begin with neither signature).
bool LooksCompiled(std::string_view bytes);

/// Every version resource of a .res file or a PE file (one per language
/// copy), in file order. Fails when the file is neither, is malformed, or
/// holds no version resource.
Expected<std::vector<CompiledResource>> ReadCompiledVersions(std::string_view bytes);

/// ReadCompiledVersions for an executable read in pages: the same answer,
/// reading only the headers, the resource directory and the version data.
Expected<std::vector<CompiledResource>> ReadExecutableVersions(const PagedFileView& file);

/// The version resources of the executable at `path`, read in pages
/// however large it is; nothing when `path` is not a regular file that
/// begins with "MZ" (a script, a .res file or a pipe is loaded whole).
std::optional<Expected<std::vector<CompiledResource>>> ReadExecutableFile(const std::string& path);

/// The copy Windows' GetFileVersionInfo gives on an English system:
/// language neutral, else U.S. English (0x0409), else the first.
std::size_t PreferredVersion(const std::vector<CompiledResource>& resources);

/// The preferred one of `resources`, or their error.
Expected<CompiledResource> PreferredVersionOf(Expected<std::vector<CompiledResource>> resources);

/// The preferred version resource of a .res file or a PE file.
Expected<CompiledResource> ReadCompiledVersion(std::string_view bytes);

} // namespace qm
