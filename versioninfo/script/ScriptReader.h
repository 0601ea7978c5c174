//===- ScriptReader.h - Resource script text to VersionRecord -----*- C++ -*-===//
//
// Two readers in one. A line scanner looks for a fixed sequence of landmarks
// (the VERSIONINFO header, BEGIN, the StringFileInfo block, the language
// block, END) and takes a closed set of keyword lines in between; it gives
// the comment and include lines, the version texts as written, and the
// reports of a script cut short. Where the script parses as a compiler
// reads it (ScriptModel), the parsed values decide: numbers and
// expressions, conditionals, macros, block names in any case, several
// string tables. It is a pure function of the file's bytes and the defaults.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"
#include "versioninfo/script/ScriptLexer.h"
#include "versioninfo/support/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct ReadResult {
    /// The record as read (new-document values where the script is silent).
    VersionRecord Record;
    /// The file's lines, as the File Image page lists them. Filled even when
    /// a conversion error stopped the read; the window then leaves the File
    /// Image page empty instead of listing them.
    Lines ImageLines;
    /// The "Parsing" reports, in the order they are shown.
    std::vector<std::string> Reports;
    /// Set when a piece of the block name failed to convert: the read
    /// stopped there, Record holds what was read so far and Reports is empty.
    std::optional<std::string> ConversionError;
    /// The file was UTF-16 with a byte-order mark; ImageLines and Record
    /// hold its text as UTF-8.
    bool Utf16 = false;
    /// Set when the file was not read at all (CheckScriptLines failed); the
    /// reason is in ConversionError too.
    bool Refused = false;
    /// Why a resource compiler would refuse the script, whose lines the
    /// read still found a whole version block in. No "Parsing" report: the
    /// lines were read as ever.
    std::optional<std::string> CompilerRefusal;
};

/// Refuses, saying why, a text of very many short lines: more than 65,536
/// lines averaging fewer than 12 bytes. Every line costs the reader a fixed
/// amount of memory, so such a file would need many times its size; no
/// script looks like that.
Status CheckScriptLines(std::string_view bytes);

/// Reads a script from its bytes. Never throws. Without `keepImageLines`
/// ImageLines comes back empty, and the read needs less memory.
/// `options` say how its preprocessor lines are followed.
/// `copy` says which VERSIONINFO of a script holding several is read: the
/// first, which the window edits, or the one Windows shows.
enum class ScriptCopy { First, WindowsShows };
ReadResult ReadScriptText(std::string_view bytes, const NewDocumentDefaults& defaults,
                          bool keepImageLines = true, const PreprocessOptions& options = {},
                          ScriptCopy copy = ScriptCopy::First);

/// The lines a read would give as ComIncLines, without reading the rest:
/// those before the VERSIONINFO header, or all of them without one. Refuses
/// what ReadScriptText refuses to read.
Expected<Lines> ScriptLeadingLines(std::string_view bytes);

} // namespace qm
