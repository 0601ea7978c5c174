//===- ScriptModel.h - A VERSIONINFO statement as a compiler reads it -*- C++ -*-===//
//
// The parser stage: from the active tokens of a script to the one
// VERSIONINFO resource it holds, every statement with the span of its
// tokens and the value a resource compiler would give it. Numbers follow
// llvm-rc: a leading 0 is octal, 0x hexadecimal, an L suffix is allowed, and
// + - | & share one precedence, left to right; NOT clears bits.
//
// A value that needs a macro the script does not define (one from a
// header) has no value here; the model says which name it needs.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionInfo.h"
#include "versioninfo/script/ScriptLexer.h"
#include "versioninfo/support/Status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

/// One number as written: a literal, a name, or an expression.
struct ScriptNumber {
    ScriptSpan Span;
    std::optional<std::uint32_t> Value; ///< nothing when it needs an unknown name
    std::string Unknown;                ///< the first name it needs and lacks
    std::string Macro;                  ///< the script's macro it is spelled with, or ""
    bool Literal = false;               ///< one number token, written where it stands
    std::size_t FirstToken = 0;         ///< its tokens, as indices into the tokens
    std::size_t TokenCount = 0;
    bool Long = false; ///< an L suffix: a double word in a binary value
};

/// FILEVERSION, FILEFLAGS, ... : the keyword and its numbers.
struct FixedStatement {
    std::string Keyword; ///< upper case
    ScriptSpan Span;     ///< keyword to last number
    ScriptSpan ValueSpan;
    std::vector<ScriptNumber> Numbers;
    std::string Condition; ///< the #if of a group with alternatives around it, or ""
};

/// One comma-separated item of a VALUE: adjacent strings, or a number.
struct ValueItem {
    std::vector<std::size_t> StringTokens; ///< indices into the tokens; none for a number
    std::size_t Number = 0;                ///< index into the value's Numbers
    std::size_t TokenCount = 0;            ///< how many tokens it is written with
};

/// VALUE "key", ...: a string, or a list of numbers.
struct ValueStatement {
    std::string Key; ///< compiled (escapes resolved), UTF-8
    ScriptSpan Span;
    ScriptSpan ValueSpan; ///< the tokens after the comma
    bool IsText = true;
    bool Resolved = true; ///< false when a piece needs an unknown name
    /// The string tokens of the first item (indices into the tokens); the
    /// compiled text is worked out only when asked for (ValueText).
    std::vector<std::size_t> TextTokens;
    std::vector<ScriptNumber> Numbers; ///< for a binary value
    bool SingleLiteral = false;        ///< exactly one string token (L"..." too), written in place
    std::string Macro;                 ///< a macro of the script it uses, or ""
    std::string Unknown;               ///< a name it needs and lacks, or ""
    std::string Condition;
    std::size_t KeyToken = 0;     ///< the key's string token
    std::vector<ValueItem> Items; ///< every item, in order
};

/// A BLOCK or a VALUE of the resource, where it stands among the others.
struct ScriptNode {
    std::size_t NameToken = 0;           ///< the quoted name of a BLOCK
    std::optional<ValueStatement> Value; ///< set for a VALUE
    std::vector<ScriptNode> Children;    ///< a BLOCK's, in order
};

/// A block of StringFileInfo: its name and its values.
struct ScriptStringTable {
    std::string Name; ///< as written, without quotes
    ScriptSpan NameSpan;
    ScriptSpan Span;         ///< BLOCK to its END
    std::size_t BodyEnd = 0; ///< where its END token begins
    std::vector<ValueStatement> Values;
    std::string Condition;
};

/// Where a VERSIONINFO stands: its file, and from its name to its END.
struct ResourcePlace {
    std::uint16_t File = 0;
    ScriptSpan Span;
};

struct VersionScript {
    ScriptTokens Tokens;
    std::uint16_t File = 0;            ///< the file the resource stands in (0: the script)
    std::size_t Resources = 0;         ///< how many VERSIONINFO resources the script holds
    std::size_t Index = 0;             ///< which of them this is, from 0
    std::vector<ResourcePlace> Places; ///< where each of them stands
    /// The language of the last LANGUAGE statement before it, if any.
    std::optional<std::uint16_t> Language;
    /// MOVEABLE, PURE, DISCARDABLE, ... after VERSIONINFO, as a compiler
    /// writes them in the .res header.
    std::uint16_t MemoryFlags = 0x30;
    std::size_t HeaderLine = 0; ///< 1-based line of the VERSIONINFO keyword in File
    std::size_t NameToken = 0;  ///< the resource's name, before VERSIONINFO
    ScriptSpan Span;            ///< resource ID to final END
    std::size_t EndToken = 0;   ///< the first token after the resource
    std::vector<FixedStatement> Fixed;
    std::vector<ScriptStringTable> Tables;
    std::optional<ValueStatement> Translation;
    /// Statements a compiler would take but that the version resource
    /// model does not know (other VALUEs of VarFileInfo, other blocks).
    std::vector<std::string> Unmodelled;
    /// Every BLOCK and VALUE of the resource's body as a tree, in order.
    std::vector<ScriptNode> Body;

    const FixedStatement* FindFixed(std::string_view keyword) const;
    /// The bytes of a span of the resource's statements, in File.
    std::string_view Text(ScriptSpan span) const { return Tokens.Text(File, span); }
};

/// Finds and parses the active VERSIONINFO resource number `resource`
/// (from 0) of `text`. Fails, naming the line, when there is none or a
/// compiler would refuse it.
Expected<VersionScript> ParseVersionScript(std::string_view text,
                                           const PreprocessOptions& options = {},
                                           std::size_t resource = 0);

/// The VERSIONINFO Windows shows on an English system, as a compiled file's
/// reader picks among its copies: the language-neutral one, then U.S.
/// English (a copy without LANGUAGE compiles as that), else the first.
Expected<VersionScript> ParseCopyWindowsShows(std::string_view text,
                                              const PreprocessOptions& options = {});

/// The language ID of the statement LANGUAGE primary, sub at `tokens[i]`
/// (numbers, or winnt.h's LANG_ and SUBLANG_ names); nothing for another.
std::optional<std::uint16_t> LanguageStatementAt(const std::vector<ScriptToken>& tokens,
                                                 std::size_t i);

/// What a compiler would make of the model. Fields that need unknown names
/// are 0 in `Info`, and fields under an #if with alternatives hold the
/// branch taken without definitions; both are named in `Undetermined`
/// (e.g. "FILEVERSION", "040904B0/CompanyName"), with the reason.
struct ScriptCompiled {
    CompiledVersionInfo Info;
    std::vector<std::pair<std::string, std::string>> Undetermined; ///< field, reason
    bool IsUndetermined(std::string_view field) const;
};
ScriptCompiled CompileScriptModel(const VersionScript& script);

/// The text a compiler gives a string value, up to its first NUL, in UTF-8.
std::string ValueText(const VersionScript& script, const ValueStatement& value);

/// The text of a string token between its quotes (after an L prefix).
std::string_view StringInner(const ScriptToken& token);

/// The value of `text` read as the number of a statement (FILEOS 0x40004L,
/// VOS_NT | VOS__WINDOWS32, ...): what a value kept as written may be.
/// Nothing when it is no number, or more than one.
std::optional<std::uint32_t> NumberOfText(std::string_view text);

/// Undetermined's field name of a string: "<table name>/<key>".
std::string StringFieldName(std::string_view table, std::string_view key);

} // namespace qm
