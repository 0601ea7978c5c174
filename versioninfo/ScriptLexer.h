//===- ScriptLexer.h - Resource script text to active tokens ------*- C++ -*-===//
//
// The first stage of reading a script as a resource compiler does: comments
// dropped, preprocessor lines obeyed as far as the script itself tells
// (#define, #undef, #if/#ifdef/#ifndef/#elif/#else/#endif), and the text
// cut into tokens that remember where they stand in the bytes, so that an
// edit can replace exactly the tokens of one field.
//
// Macros from headers (#include) are unknown here: a name the script does
// not define stays a word, and the parser reports it where it matters.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "Status.h"

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

/// A byte range [Begin, End) of the script text.
struct ScriptSpan {
    std::size_t Begin = 0;
    std::size_t End = 0;
};

enum class TokenKind { Word, Number, String, Punct };

struct ScriptToken {
    TokenKind Kind = TokenKind::Word;
    std::string_view Text; ///< as written (a string with its quotes and L prefix)
    ScriptSpan Span;       ///< where it stands in the script; a macro's use for its expansion
    std::string Macro;     ///< the script's macro this token came from, or ""
    std::string Condition; ///< the #if line of a group with alternatives around it, or ""
};

/// The tokens refer to the text they were made from, which must outlive them.
struct ScriptTokens {
    std::string_view Source;
    std::vector<ScriptToken> Tokens; ///< the active ones, macros expanded
    /// The bodies of the macros expanded, which their tokens' texts point
    /// into (a deque: its strings never move).
    std::deque<std::string> MacroTexts;
    /// Line starts of the text, for turning offsets into line numbers.
    std::vector<std::uint32_t> LineStarts; ///< scripts are at most 64 MB
    /// 1-based line number of a byte offset.
    std::size_t LineOf(std::size_t offset) const;
    /// The bytes of a span.
    std::string_view Text(ScriptSpan span) const {
        return Source.substr(span.Begin, span.End - span.Begin);
    }
};

/// Tokenizes `text` (bytes; a NUL ends it). Fails, naming the line, on an
/// unterminated string or comment, an unbalanced #if/#endif, or a #if whose
/// expression it cannot evaluate.
Expected<ScriptTokens> TokenizeScript(std::string_view text);

/// True for the keywords that open and close a block in either spelling.
bool IsBeginToken(const ScriptToken& token);
bool IsEndToken(const ScriptToken& token);

/// ASCII case-insensitive equality, as resource compilers compare keywords.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

} // namespace qm
