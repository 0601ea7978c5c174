//===- ScriptLexer.h - Resource script text to active tokens ------*- C++ -*-===//
//
// The first stage of reading a script as a resource compiler does: comments
// dropped, preprocessor lines obeyed (#define, #undef, #if/#ifdef/#ifndef/
// #elif/#else/#endif, #include), macros expanded as C expands them
// (MacroExpander.h), and the text cut into tokens that remember where they
// stand in the bytes, so that an edit can replace exactly the tokens of one
// field.
//
// The headers a version script includes from the system (winver.h,
// windows.h, ...) are known by name rather than read: their names stay
// names, which the parser knows the values of. Other headers are read when
// the options ask for it; otherwise their macros are unknown here, and a
// name that needs one stays a word, which the parser reports where it
// matters.
//
// Only what the parser reads is kept: every token of each VERSIONINFO, and
// the words between resources. The bodies of other resources are passed
// over, so a script costs memory for its version resource, not its size.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/support/Status.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
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

/// Where a token of an expansion stands as written: a literal of a
/// #define's body, in the script or a header it includes.
struct TokenOrigin {
    std::uint16_t File = 0;
    ScriptSpan Span;
    std::string Macro;      ///< the macro whose body holds it
    bool WholeBody = false; ///< it is all the body holds
};

struct ScriptToken {
    TokenKind Kind = TokenKind::Word;
    /// A word that names a macro of a system header the script includes
    /// (winver.h's VS_VERSION_INFO, say), which the parser knows.
    bool Known = false;
    std::uint16_t File = 0; ///< the file it stands in: 0 is the script, else an include
    std::string_view Text;  ///< as written (a string with its quotes and L prefix)
    ScriptSpan Span;        ///< where it stands in its file; a macro's use for its expansion
    std::string Macro;      ///< the macro this token came from, or ""
    /// For a token of an expansion, the #define literal it is, if it is one.
    std::optional<TokenOrigin> Origin;
    /// The #if line of an undetermined group around it (UndeterminedGroup),
    /// or "": the branch the model read may not be the one compiled.
    std::string Condition;
};

/// How the preprocessor is to read a script.
struct PreprocessOptions {
    /// The script's path, so that #include "x" is looked up beside it;
    /// empty for a script that is no file.
    std::string ScriptPath;
    std::vector<std::string> IncludeFolders; ///< where #include looks, in order
    /// Read the headers the script includes that are not known system
    /// headers; without it they are listed and passed over.
    bool ReadIncludes = false;
    /// As a compiler's -D NAME[=VALUE] and -U NAME: defined (as 1 when no
    /// value is given) or undefined before the script is read.
    std::vector<std::string> Defines;
    std::vector<std::string> Undefines;
    /// Files read from here rather than from disk, by path: headers being
    /// edited, whose new text is checked before anything is written.
    std::map<std::string, std::string> Overrides;
};

/// An #if/#elif/#else group whose branch depends on what the compiler is
/// given: its conditions test a name that neither the files read, the
/// options nor the compilers' common switches settle (_WIN64, say).
struct UndeterminedGroup {
    std::uint16_t File = 0;
    ScriptSpan Span;  ///< from its #if to its #endif
    std::string Line; ///< the #if line
    std::string Name; ///< the first name it tests that nothing settles
};

/// A file an #include of the script named.
struct ScriptInclude {
    enum class Outcome { Read, Known, Missing, NotRead };
    std::uint16_t From = 0; ///< the file of the #include line
    std::size_t Offset = 0; ///< where the line stands in it
    std::string Name;       ///< as written between the quotes or brackets
    Outcome How = Outcome::NotRead;
};

/// Where a macro was used: the place in a file that its expansion stands
/// for (a macro used by another's body counts at the outer one's use).
struct MacroSite {
    std::uint16_t File = 0;
    std::uint32_t Offset = 0; ///< files are at most 64 MB
};

/// How often a macro was used, and where its first uses stand: a few are
/// all a version define has, and a bound keeps a hostile script's millions
/// of uses from costing memory each.
struct MacroUseSites {
    static constexpr std::size_t Kept = 32;
    std::size_t Count = 0;
    std::vector<MacroSite> First; ///< at most Kept
    bool AllKept() const { return Count == First.size(); }
};

/// An included file that was read.
struct ScriptFile {
    std::string Path;
    std::string Text;
    std::vector<std::uint32_t> LineStarts;
};

/// The tokens refer to the text they were made from, which must outlive them.
struct ScriptTokens {
    std::string_view Source;
    PreprocessOptions Options;       ///< what they were read with, for reading an edit again
    std::vector<ScriptToken> Tokens; ///< the active ones that the parser reads, macros expanded
    /// The texts of the expansions, which their tokens' texts point into (a
    /// deque: its strings never move).
    std::deque<std::string> MacroTexts;
    /// Line starts of the script, for turning offsets into line numbers.
    std::vector<std::uint32_t> LineStarts; ///< scripts are at most 64 MB
    /// File 1 and on: the included files read; Files[0] stands for the script.
    std::deque<ScriptFile> Files;
    std::vector<ScriptInclude> Includes;
    /// The groups whose branch another compiler may take otherwise, in the
    /// order they end. Their tokens carry the #if line as their Condition.
    std::vector<UndeterminedGroup> Undetermined;
    /// Where each macro was used, in any file, in text and conditions.
    std::map<std::string, MacroUseSites, std::less<>> MacroUses;

    /// 1-based line number of a byte offset of the script.
    std::size_t LineOf(std::size_t offset) const;
    /// The same in file `file`.
    std::size_t LineOf(std::uint16_t file, std::size_t offset) const;
    /// "line N" in the script, "NAME line N" in an included file.
    std::string Where(std::uint16_t file, std::size_t offset) const;
    std::string Where(const ScriptToken& token) const {
        return Where(token.File, token.Span.Begin);
    }
    /// The bytes of a span of the script.
    std::string_view Text(ScriptSpan span) const {
        return Source.substr(span.Begin, span.End - span.Begin);
    }
    /// The text of file `file`: the script's, or an included file's.
    std::string_view FileText(std::uint16_t file) const {
        return file == 0 || file >= Files.size() ? Source : std::string_view(Files[file].Text);
    }
    /// The bytes of a span of file `file`.
    std::string_view Text(std::uint16_t file, ScriptSpan span) const {
        return FileText(file).substr(span.Begin, span.End - span.Begin);
    }
    /// The line starts of file `file`.
    const std::vector<std::uint32_t>& LineStartsOf(std::uint16_t file) const {
        return file == 0 || file >= Files.size() ? LineStarts : Files[file].LineStarts;
    }
};

/// Tokenizes `text` (bytes; a NUL ends it). Fails, naming the line, on an
/// unterminated string or comment, an unbalanced #if/#endif, a #if whose
/// expression it cannot evaluate, and a macro that expands or nests beyond
/// the bounds (MacroExpander.h).
Expected<ScriptTokens> TokenizeScript(std::string_view text, const PreprocessOptions& options = {});

/// The system headers known by name, in lower case.
const std::vector<std::string_view>& KnownSystemHeaders();

/// True for the keywords that open and close a block in either spelling.
bool IsBeginToken(const ScriptToken& token);
bool IsEndToken(const ScriptToken& token);

/// ASCII case-insensitive equality, as resource compilers compare keywords.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

} // namespace qm
