//===- LossCheck.cpp - What writing a read script back would lose ---------===//
//
// The script is compared with what the writer forms from the record, line
// by line as a multiset of normalised lines. Normalising drops the layout
// (blanks, the "\0" terminator) and replaces the lines the writer re-forms
// from the record (the header, the fixed-part statements, the twelve string
// keys, the block name, the translation) by their keyword, so only lines
// that have no counterpart in the written script remain as losses. A
// second language block is caught by its count: the written script holds
// each of those lines once.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/LossCheck.h"

#include "versioninfo/document/Lookups.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptWriter.h"
#include "versioninfo/support/Text.h"

#include <cctype>
#include <unordered_map>

namespace qm {

namespace {

/// Blanks collapsed to one, none after a comma, and a quoted value's "\0"
/// terminator dropped.
std::string Compact(std::string_view line) {
    std::string out;
    bool blankBefore = false;
    for (char c : Trim(line)) {
        if (IsBlank(c)) {
            blankBefore = true;
            continue;
        }
        if (blankBefore && !out.empty() && out.back() != ',')
            out += ' ';
        blankBefore = false;
        out += c;
    }
    const std::string_view terminator = "\\0\"";
    if (out.size() > terminator.size() &&
        std::string_view(out).substr(out.size() - terminator.size()) == terminator)
        out.erase(out.size() - terminator.size(), 2);
    return out;
}

bool IsHexBlockName(std::string_view rest) {
    if (rest.size() != 10 || rest.front() != '"' || rest.back() != '"')
        return false;
    for (char c : rest.substr(1, 8))
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

/// The keyword standing for a line the writer re-forms from the record, or
/// the compacted line itself.
std::string Normalised(std::string_view line) {
    std::string compact = Compact(line);
    std::string_view rest = compact;
    const bool commented = StripPrefix(rest, "//");
    rest = TrimLeft(rest);
    if (!commented && rest.find("VERSIONINFO") != std::string_view::npos)
        return "VERSIONINFO";
    if (!commented) {
        for (const char* keyword : {"FILEVERSION", "PRODUCTVERSION", "FILEFLAGSMASK", "FILEFLAGS",
                                    "FILEOS", "FILETYPE", "FILESUBTYPE"})
            if (StartsWithText(rest, keyword))
                return keyword;
    }
    std::string_view value = rest;
    if (StripPrefix(value, "VALUE")) {
        value = TrimLeft(value);
        for (std::string_view key : StringKeys())
            if (StartsWithText(value, "\"" + std::string(key) + "\","))
                return "VALUE \"" + std::string(key) + "\"";
        if (!commented && StartsWithText(value, "\"Translation\","))
            return "VALUE \"Translation\"";
    }
    std::string_view block = rest;
    if (!commented && StripPrefix(block, "BLOCK") && IsHexBlockName(TrimLeft(block)))
        return "BLOCK \"NAME\"";
    return compact;
}

/// The record as the writer can form it: a missing language or code page
/// row (which the edits may yet supply) is taken as the first row, since
/// the block name and translation are compared by keyword only.
VersionRecord Formable(VersionRecord record) {
    if (record.LanguageID < 0 || record.LanguageID >= static_cast<int>(LanguageTable().size()))
        record.LanguageID = 0;
    if (record.CodePage < 0 || record.CodePage >= static_cast<int>(CodePageTable().size()))
        record.CodePage = 0;
    return record;
}

} // namespace

std::vector<std::string> WhatWritingBackLoses(std::string_view bytes, const ReadResult& read) {
    std::vector<std::string> losses;
    for (const std::string& report : read.Reports)
        if (StartsWithText(report, "Can't find"))
            losses.push_back(report);

    std::unordered_map<std::string, int> written;
    if (Expected<Lines> formed = FormScript(Formable(read.Record)))
        for (const std::string& line : *formed)
            ++written[Normalised(line)];
    for (std::size_t i = 0; i < read.ImageLines.size(); ++i) {
        if (Trim(read.ImageLines[i]).empty())
            continue;
        int& left = written[Normalised(read.ImageLines[i])];
        if (left > 0)
            --left;
        else
            losses.push_back("line " + std::to_string(i + 1) + ": " +
                             std::string(Trim(read.ImageLines[i])));
    }

    // The reader stops at a NUL byte; whatever follows it is not in the record.
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) {
        bool textAfter = false;
        for (char c : bytes.substr(nul))
            textAfter = textAfter || !IsBlank(c);
        if (textAfter)
            losses.push_back("the text after the NUL byte at offset " + std::to_string(nul));
    }
    return losses;
}

} // namespace qm
