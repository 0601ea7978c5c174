//===- ScriptLexer.cpp - Resource script text to active tokens -------------===//
//
// Three parts. The scanner walks the bytes of a file: preprocessor lines
// are taken where a line's first non-blank character is '#', everything
// between a false #if and its #endif is skipped, and the rest is cut into
// the tokens of a resource script. The macro expander (MacroExpander.h)
// takes those tokens and expands the macros among them. The text of each
// expansion is then cut into script tokens again, as a resource compiler
// reads the preprocessor's output; they carry the span of the macro's use,
// so that an edit never reaches into a #define. Last, a filter keeps what
// the parser reads.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptLexer.h"

#include "versioninfo/script/MacroExpander.h"
#include "versioninfo/script/ScriptConditions.h"
#include "versioninfo/support/SafeSave.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cstdint>

namespace qm {

namespace {

bool IsPunct(char c) {
    switch (c) {
    case ',':
    case '|':
    case '&':
    case '+':
    case '-':
    case '~':
    case '(':
    case ')':
    case '{':
    case '}':
        return true;
    default:
        return false;
    }
}

bool IsWord(const ScriptToken& token, std::string_view word) {
    return token.Kind == TokenKind::Word && EqualsIgnoringCase(token.Text, word);
}

/// What a system header gives a version script, by its name.
struct KnownHeader {
    std::string_view Name;
    unsigned Names; ///< KnownNames
};

constexpr unsigned WinverNames = static_cast<unsigned>(KnownNames::Winver);
constexpr unsigned WinntNames = static_cast<unsigned>(KnownNames::Winnt);

constexpr KnownHeader KnownHeaders[] = {
    {"winver.h", WinverNames},
    {"verrsrc.h", WinverNames},
    {"windows.h", WinverNames | WinntNames},
    {"winres.h", WinverNames | WinntNames},
    {"winresrc.h", WinverNames | WinntNames},
    {"afxres.h", WinverNames | WinntNames},
    {"winnt.h", WinntNames},
    {"winnt.rh", WinntNames},
    {"winuser.h", 0},
    {"winuser.rh", 0},
    {"commctrl.h", 0},
    {"ntverp.h", 0},
};

const KnownHeader* KnownHeaderNamed(std::string_view name) {
    name = name.substr(name.find_last_of("/\\") + 1);
    for (const KnownHeader& header : KnownHeaders)
        if (EqualsIgnoringCase(header.Name, name))
            return &header;
    return nullptr;
}

std::vector<std::uint32_t> LineStartsOf(std::string_view text) {
    std::vector<std::uint32_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            starts.push_back(static_cast<std::uint32_t>(i + 1));
    return starts;
}

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

//===-- The scanner -----------------------------------------------------===//

/// Script tokens of one text. It knows nothing of directives: the lexer
/// asks it for the next token only where a token may stand.
class Scanner {
public:
    explicit Scanner(std::string_view text, std::size_t at = 0) : Text(text), At(at) {}

    std::string_view Text;
    std::size_t At;

    bool AtEnd() const { return At >= Text.size(); }
    char Peek() const { return Text[At]; }
    bool LooksAt(std::string_view what) const { return Text.compare(At, what.size(), what) == 0; }

    void SkipToLineEnd() {
        while (At < Text.size() && Text[At] != '\n' && Text[At] != '\r')
            ++At;
    }

    // A block comment; false when it has no end.
    bool SkipBlockComment() {
        const std::size_t end = Text.find("*/", At + 2);
        if (end == std::string_view::npos)
            return false;
        At = end + 2;
        return true;
    }

    // A string ends at the next quote that is not doubled; it may not run
    // past its line, as the compilers require. From At, which is at the
    // quote, to after the closing one.
    bool ReadString() {
        std::size_t i = At + 1;
        for (;;) {
            if (i >= Text.size() || Text[i] == '\n' || Text[i] == '\r')
                return false;
            if (Text[i] == '"') {
                if (i + 1 < Text.size() && Text[i + 1] == '"') {
                    i += 2;
                    continue;
                }
                break;
            }
            ++i;
        }
        At = i + 1;
        return true;
    }

    // The token at At, which is no blank or comment. Fails only on a
    // string without its end.
    bool ReadToken(ScriptToken& token) {
        const std::size_t start = At;
        const char c = Text[At];
        if (c == '"' || ((c == 'L' || c == 'l') && At + 1 < Text.size() && Text[At + 1] == '"' &&
                         (start == 0 || !IsIdentifierChar(Text[start - 1])))) {
            if (c != '"')
                ++At;
            if (!ReadString()) {
                At = start;
                return false;
            }
            token.Kind = TokenKind::String;
        } else if (IsPunct(c)) {
            ++At;
            token.Kind = TokenKind::Punct;
        } else {
            token.Kind = IsAsciiDigit(c) ? TokenKind::Number : TokenKind::Word;
            // Words are cut where an identifier ends when they start like
            // one, so "A|B" is three tokens; other words (a file name of an
            // ICON, say) run to the next blank or punctuation.
            const bool identifier = IsIdentifierChar(c);
            while (At < Text.size() && !IsBlank(Text[At]) && !IsPunct(Text[At]) &&
                   Text[At] != '"' && (!identifier || IsIdentifierChar(Text[At])) &&
                   !LooksAt("//") && !LooksAt("/*"))
                ++At;
            if (At == start)
                ++At;
        }
        token.Span = {start, At};
        token.Text = Text.substr(start, At - start);
        return true;
    }
};

/// The script tokens of a macro's expanded text, which holds no directives.
Expected<std::vector<ScriptToken>> ScanExpansion(std::string_view text) {
    std::vector<ScriptToken> tokens;
    Scanner scanner(text);
    while (!scanner.AtEnd()) {
        if (IsBlank(scanner.Peek())) {
            ++scanner.At;
            continue;
        }
        ScriptToken token;
        if (!scanner.ReadToken(token))
            return Status::Parse("a macro gives a string that has no end: " + Quote(text));
        tokens.push_back(std::move(token));
    }
    return tokens;
}

PpToken PreprocessingToken(const ScriptToken& token, bool spaceBefore) {
    PpToken pp;
    pp.Text = token.Text;
    pp.Span = token.Span;
    pp.File = token.File;
    pp.SpaceBefore = spaceBefore;
    switch (token.Kind) {
    case TokenKind::String:
        pp.Type = PpToken::Kind::String;
        break;
    case TokenKind::Number:
        pp.Type = PpToken::Kind::Number;
        break;
    case TokenKind::Punct:
        pp.Type = PpToken::Kind::Punct;
        break;
    case TokenKind::Word:
        pp.Type = !token.Text.empty() && !IsAsciiDigit(token.Text[0]) &&
                          std::all_of(token.Text.begin(), token.Text.end(), IsIdentifierChar)
                      ? PpToken::Kind::Identifier
                      : PpToken::Kind::Other;
        break;
    }
    return pp;
}

TokenKind ScriptKindOf(PpToken::Kind kind) {
    switch (kind) {
    case PpToken::Kind::String:
        return TokenKind::String;
    case PpToken::Kind::Number:
        return TokenKind::Number;
    case PpToken::Kind::Punct:
        return TokenKind::Punct;
    default:
        return TokenKind::Word;
    }
}

//===-- The filter ------------------------------------------------------===//

/// Keeps what the parser reads: each VERSIONINFO whole, and the words
/// between resources up to a bound (with always the last of them, which
/// may name a VERSIONINFO). A version resource holds at most 64 KB when
/// compiled, so one of more tokens than the bound is refused as what no
/// compiler would take.
class Keeper {
public:
    explicit Keeper(ScriptTokens& out) : Out(out) {}

    Status Keep(ScriptToken token, std::size_t inputBytes) {
        const bool begin = IsBeginToken(token);
        const bool end = IsEndToken(token);
        if (InVersion) {
            if (++VersionTokens > 8192 + inputBytes / 32)
                return Status::Parse(Out.Where(token) +
                                     ": the VERSIONINFO holds more tokens than a version "
                                     "resource can (it compiles to at most 64 KB)");
            Out.Tokens.push_back(std::move(token));
            Depth += begin;
            if (end && Depth > 0 && --Depth == 0)
                InVersion = false;
            return Status::Ok();
        }
        if (Depth == 0 && IsWord(token, "VERSIONINFO")) {
            if (Last) {
                Out.Tokens.push_back(std::move(*Last));
                Last.reset();
            }
            InVersion = true;
            VersionTokens = 0;
            Out.Tokens.push_back(std::move(token));
            return Status::Ok();
        }
        if (begin) {
            ++Depth;
        } else if (end) {
            Depth = Depth > 0 ? Depth - 1 : 0;
        } else if (Depth == 0) {
            if (TopTokens < 4096 + inputBytes / 256) {
                ++TopTokens;
                Out.Tokens.push_back(std::move(token));
            } else {
                Last = std::move(token);
                ++LastTaken;
            }
        }
        return Status::Ok();
    }

    /// Changes whenever a token is kept, so that a caller can tell whether
    /// any of its tokens (which may point into its text) was.
    std::size_t KeptSoFar() const { return Out.Tokens.size() + LastTaken; }

private:
    ScriptTokens& Out;
    bool InVersion = false;
    std::size_t Depth = 0;
    std::size_t VersionTokens = 0;
    std::size_t TopTokens = 0;
    std::optional<ScriptToken> Last;
    std::size_t LastTaken = 0;
};

//===-- The lexer -------------------------------------------------------===//

// Names a condition may test whose state the compilers share with the
// model: defined for all (RC_INVOKED, _WIN32), or, the common project
// switches, for none unless given. Any other name may be predefined by a
// compiler for its target (_WIN64, _MSC_VER, ...).
constexpr std::string_view SettledNames[] = {
    "RC_INVOKED", "_WIN32",      "_DEBUG",           "NDEBUG", "DEBUG",    "UNICODE",
    "_UNICODE",   "WIN32",       "APSTUDIO_INVOKED", "_MAC",   "_AFXDLL",  "_USRDLL",
    "_WINDOWS",   "_CONSOLE",    "AFX_RESOURCE_DLL", "_X86_",  "__GNUC__", "__MINGW32__",
    "_M_IX86",    "__cplusplus", "__STDC__"};

struct ConditionGroup {
    bool ParentActive = true;
    bool Taken = false; ///< a branch of this group was already active
    bool Active = true; ///< the current branch is active
    std::string Line;   ///< the #if line, for reports
    std::size_t FirstToken = 0;
    std::size_t Begin = 0;           ///< where its #if stands
    std::vector<std::string> Tested; ///< names its conditions found undefined
};

/// A group once its #endif is read, settled or not when all is read.
struct ClosedGroup {
    UndeterminedGroup Group;
    std::size_t FirstToken = 0;
    std::size_t EndToken = 0;
    std::vector<std::string> Tested;
};

/// A file being read: the script, or a header it includes.
struct OpenFile {
    Scanner Scan;
    std::uint16_t File = 0;
    std::vector<ConditionGroup> Groups;
};

class Lexer {
public:
    static constexpr std::size_t MaxIncludeNesting = 64;

    Lexer(std::string_view text, const PreprocessOptions& options)
        : Options(options),
          Expander(Macros, (1u << 20) + text.size(),
                   [this](PpToken& token, Status& failure) { return NextSource(token, failure); }),
          Keep(Out) {
        Out.Source = text;
        Out.Options = options;
        Out.LineStarts = LineStartsOf(text);
        Out.Files.emplace_back(); // the script itself
        Out.Files.front().Path = options.ScriptPath;
        InputBytes = text.size();
        // The names a resource compiler defines before it reads a script,
        // and those its command line gives.
        (void)Macros.Define("RC_INVOKED 1");
        (void)Macros.Define("_WIN32 1");
        for (const std::string& define : options.Defines) {
            const std::size_t equals = define.find('=');
            (void)Macros.Define(equals == std::string::npos
                                    ? define + " 1"
                                    : define.substr(0, equals) + " " + define.substr(equals + 1));
            Settled.push_back(define.substr(0, equals));
        }
        for (const std::string& name : options.Undefines) {
            Macros.Undefine(name);
            Settled.push_back(name);
        }
        Open.push_back({Scanner(text), 0, {}});
        // A UTF-8 signature ("UTF-8 with signature" in Visual Studio) is no
        // token: the preprocessor skips it.
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            Open.back().Scan.At = 3;
    }

    Expected<ScriptTokens> Run() {
        PpToken token;
        Status failure = Status::Ok();
        while (failure && Expander.Next(token, failure)) {
            failure = Take(token);
            if (Expander.Idle()) {
                Macros.ForgetRetired();
                Expander.ForgetUsesBefore(ExpansionUse ? ExpansionUse : UINT32_MAX);
            }
        }
        if (failure)
            failure = FlushExpansion();
        if (!failure)
            return Status::Parse(Located(failure));
        MarkUndeterminedGroups();
        Out.MacroUses = Macros.UseSites();
        return std::move(Out);
    }

private:
    bool IsSettled(std::string_view name) const {
        return name.substr(0, 9) == "AFX_TARG_" ||
               std::find(std::begin(SettledNames), std::end(SettledNames), name) !=
                   std::end(SettledNames) ||
               std::find(Settled.begin(), Settled.end(), name) != Settled.end();
    }

    // Once all is read, every name any file #defines or #undefs counts as
    // settled (an include guard's, say); a group that tests another
    // undefined name marks its tokens, inner groups first.
    void MarkUndeterminedGroups() {
        for (ClosedGroup& closed : Closed) {
            const auto unsettled =
                std::find_if(closed.Tested.begin(), closed.Tested.end(),
                             [this](const std::string& name) { return !IsSettled(name); });
            if (unsettled == closed.Tested.end())
                continue;
            closed.Group.Name = *unsettled;
            for (std::size_t i = closed.FirstToken; i < closed.EndToken; ++i)
                if (Out.Tokens[i].Condition.empty())
                    Out.Tokens[i].Condition = closed.Group.Line;
            Out.Undetermined.push_back(std::move(closed.Group));
        }
    }

    OpenFile& Current() { return Open.back(); }
    bool Active() { return Current().Groups.empty() || Current().Groups.back().Active; }

    std::string Here() { return Out.Where(Current().File, Current().Scan.At); }

    // A failure of the expander names no line; the line is where reading
    // stands.
    std::string Located(const Status& failure) {
        const std::string& message = failure.message();
        if (message.compare(0, 5, "line ") == 0 || message.find(" line ") != std::string::npos ||
            Open.empty())
            return message;
        return Here() + ": " + message;
    }

    bool AtLineStart(const Scanner& scan) const {
        std::size_t pos = scan.At;
        while (pos > 0 && scan.Text[pos - 1] != '\n' && scan.Text[pos - 1] != '\r' &&
               !(pos == 3 && scan.Text.substr(0, 3) == "\xEF\xBB\xBF")) {
            if (!IsBlank(scan.Text[pos - 1]))
                return false;
            --pos;
        }
        return true;
    }

    // The next token of the sources for the expander: directives are obeyed
    // and skipped text passed over on the way.
    bool NextSource(PpToken& token, Status& failure) {
        bool space = false;
        for (;;) {
            Scanner& scan = Current().Scan;
            if (scan.AtEnd()) {
                if (Status closed = CloseFile(); !closed) {
                    failure = closed;
                    return false;
                }
                if (Open.empty())
                    return false;
                space = true;
                continue;
            }
            const char c = scan.Peek();
            if (IsBlank(c)) {
                ++scan.At;
                space = true;
            } else if (scan.LooksAt("//")) {
                scan.SkipToLineEnd();
            } else if (scan.LooksAt("/*")) {
                const std::size_t start = scan.At;
                if (!scan.SkipBlockComment()) {
                    failure = Status::Parse(Out.Where(Current().File, start) +
                                            ": the comment has no end");
                    return false;
                }
                space = true;
            } else if (c == '#' && AtLineStart(scan)) {
                if (Status done = Directive(); !done) {
                    failure = done;
                    return false;
                }
                space = true;
            } else if (!Active()) {
                // Skipped text is still walked for strings that might hide a
                // '#', but gives nothing. A quote there may be an
                // apostrophe's cousin in prose: unterminated, it ends at its
                // line.
                if (c != '"' || !scan.ReadString()) {
                    if (c == '"')
                        scan.SkipToLineEnd();
                    else
                        ++scan.At;
                }
            } else {
                ScriptToken read;
                read.File = Current().File;
                if (!scan.ReadToken(read)) {
                    failure = Status::Parse(Here() + ": the string has no end on its line");
                    return false;
                }
                token = PreprocessingToken(read, space);
                return true;
            }
        }
    }

    Status CloseFile() {
        OpenFile& file = Current();
        if (!file.Groups.empty())
            return Status::Parse(Out.Where(file.File, file.Scan.Text.size()) +
                                 ": #endif missing for \"" + file.Groups.back().Line + "\"");
        Open.pop_back();
        return Status::Ok();
    }

    //===-- From the expander to the tokens --------------------------===//

    Status Take(const PpToken& token) {
        if (token.Use == 0) {
            if (Status flushed = FlushExpansion(); !flushed)
                return flushed;
            ScriptToken out;
            out.Kind = ScriptKindOf(token.Type);
            out.File = token.File;
            out.Text = token.Text;
            out.Span = token.Span;
            return Emit(std::move(out));
        }
        if (token.Use != ExpansionUse) {
            if (Status flushed = FlushExpansion(); !flushed)
                return flushed;
            ExpansionUse = token.Use;
        }
        // The expansion's text as the preprocessor writes it out: a blank
        // where the source had one, or where two tokens would run into one.
        const bool join = !ExpansionText.empty() && !token.Text.empty() &&
                          IsIdentifierChar(ExpansionText.back()) &&
                          IsIdentifierChar(token.Text.front());
        if (!ExpansionText.empty() && (token.SpaceBefore || join))
            ExpansionText += ' ';
        if (token.Definition && token.Definition->BodyOffset) {
            const MacroDefinition& from = *token.Definition;
            Pieces.push_back({{ExpansionText.size(), ExpansionText.size() + token.Text.size()},
                              TokenOrigin{from.File,
                                          {*from.BodyOffset + token.Span.Begin,
                                           *from.BodyOffset + token.Span.End},
                                          from.Name,
                                          from.Tokens.size() == 1}});
        }
        ExpansionText += token.Text;
        return Status::Ok();
    }

    Status FlushExpansion() {
        if (ExpansionUse == 0)
            return Status::Ok();
        const MacroExpander::Use& use = Expander.UseOf(ExpansionUse);
        ExpansionUse = 0;
        const std::string_view text = Out.MacroTexts.emplace_back(std::move(ExpansionText));
        ExpansionText.clear();
        const std::vector<Piece> pieces = std::move(Pieces);
        Pieces.clear();
        Expected<std::vector<ScriptToken>> tokens = ScanExpansion(text);
        if (!tokens)
            return Status::Fail(Out.Where(use.File, use.Span.Begin) + ": " + tokens.message(),
                                tokens.kind());
        const std::size_t kept = Keep.KeptSoFar();
        for (ScriptToken& token : *tokens) {
            for (const Piece& piece : pieces)
                if (piece.Range.Begin == token.Span.Begin && piece.Range.End == token.Span.End)
                    token.Origin = piece.Origin;
            token.File = use.File;
            token.Span = use.Span;
            token.Macro = use.Macro;
            if (Status emitted = Emit(std::move(token)); !emitted)
                return emitted;
        }
        // An expansion none of whose tokens are kept (one in another
        // resource's body, say) needs its text no longer.
        if (Keep.KeptSoFar() == kept)
            Out.MacroTexts.pop_back();
        return Status::Ok();
    }

    Status Emit(ScriptToken token) {
        if (token.Kind == TokenKind::Word)
            if (const MacroDefinition* macro = Macros.Find(token.Text))
                token.Known = macro->Known;
        return Keep.Keep(std::move(token), InputBytes);
    }

    //===-- Directives ------------------------------------------------===//

    // The directive's logical line: backslash-newline joins lines; comments
    // are dropped. `plain` tells whether the line stands in the file as
    // returned, up to its end or its closing // comment.
    std::string ReadDirectiveLine(Scanner& scan, bool& plain) {
        std::string line;
        plain = true;
        while (!scan.AtEnd()) {
            const char c = scan.Peek();
            const std::string_view text = scan.Text;
            if (c == '\\' && scan.At + 1 < text.size() &&
                (text[scan.At + 1] == '\n' || text[scan.At + 1] == '\r')) {
                scan.At += (text[scan.At + 1] == '\r' && scan.At + 2 < text.size() &&
                            text[scan.At + 2] == '\n')
                               ? 3
                               : 2;
                line += ' ';
                plain = false;
                continue;
            }
            if (c == '\n' || c == '\r')
                break;
            if (scan.LooksAt("//")) {
                scan.SkipToLineEnd();
                break;
            }
            if (scan.LooksAt("/*")) {
                const std::size_t end = text.find("*/", scan.At + 2);
                scan.At = end == std::string_view::npos ? text.size() : end + 2;
                line += ' ';
                plain = false;
                continue;
            }
            line += c;
            ++scan.At;
        }
        return line;
    }

    /// A directive line as read: its name, its argument, and where it stood.
    struct DirectiveLine {
        std::string Where;         ///< "file(line)" for messages
        std::string Line;          ///< the text after '#', continuations joined
        std::size_t LineStart;     ///< where Line began in the source
        bool Plain;                ///< Line is the source's text unchanged
        std::string Name;          ///< "if", "define", ...
        std::string_view Argument; ///< into Line
        std::string Whole;         ///< "#" and the line, trimmed, for reports
    };

    Status Directive() {
        if (Status flushed = FlushExpansion(); !flushed)
            return flushed;
        Scanner& scan = Current().Scan;
        DirectiveLine d;
        d.Where = Here();
        ++scan.At; // '#'
        d.LineStart = scan.At;
        d.Plain = true;
        d.Line = ReadDirectiveLine(scan, d.Plain);
        std::string_view rest = TrimLeft(d.Line);
        std::size_t nameEnd = 0;
        while (nameEnd < rest.size() && IsIdentifierChar(rest[nameEnd]))
            ++nameEnd;
        d.Name = std::string(rest.substr(0, nameEnd));
        d.Argument = Trim(rest.substr(nameEnd));
        d.Whole = "#" + std::string(Trim(d.Line));

        if (d.Name == "if" || d.Name == "ifdef" || d.Name == "ifndef")
            return OpenGroup(d);
        if (d.Name == "elif" || d.Name == "else")
            return NextBranch(d);
        if (d.Name == "endif")
            return CloseGroup(d);
        if (d.Name == "define" || d.Name == "undef")
            NoteName(Settled, d.Argument.substr(0, std::min(d.Argument.size(),
                                                            d.Argument.find_first_of(" \t("))));
        if (!Active())
            return Status::Ok();
        return DefineOrInclude(d);
    }

    Status OpenGroup(const DirectiveLine& d) {
        ConditionGroup group;
        group.ParentActive = Active();
        group.Line = d.Whole;
        group.FirstToken = Out.Tokens.size();
        group.Begin = Current().Scan.At;
        bool value = false;
        if (group.ParentActive) {
            Expected<bool> condition = Condition(d.Name, d.Argument, group.Tested);
            if (!condition)
                return Status::Fail(d.Where + ": " + condition.message(), condition.kind());
            value = *condition;
        }
        group.Active = group.ParentActive && value;
        group.Taken = group.Active;
        Current().Groups.push_back(std::move(group));
        return Status::Ok();
    }

    Status NextBranch(const DirectiveLine& d) {
        std::vector<ConditionGroup>& groups = Current().Groups;
        if (groups.empty())
            return Status::Parse(d.Where + ": #" + d.Name + " without #if");
        ConditionGroup& group = groups.back();
        bool value = d.Name == "else";
        if (d.Name == "elif" && group.ParentActive && !group.Taken) {
            Expected<bool> condition = Condition("if", d.Argument, group.Tested);
            if (!condition)
                return Status::Fail(d.Where + ": " + condition.message(), condition.kind());
            value = *condition;
        }
        group.Active = group.ParentActive && !group.Taken && value;
        group.Taken = group.Taken || group.Active;
        return Status::Ok();
    }

    Status CloseGroup(const DirectiveLine& d) {
        std::vector<ConditionGroup>& groups = Current().Groups;
        if (groups.empty())
            return Status::Parse(d.Where + ": #endif without #if");
        ConditionGroup group = std::move(groups.back());
        groups.pop_back();
        if (group.ParentActive)
            Closed.push_back({{Current().File, {group.Begin, Current().Scan.At}, group.Line, {}},
                              group.FirstToken,
                              Out.Tokens.size(),
                              std::move(group.Tested)});
        return Status::Ok();
    }

    /// The directives of an active line that change the macros or the input.
    Status DefineOrInclude(const DirectiveLine& d) {
        if (Expander.Idle())
            Macros.ForgetRetired();
        if (d.Name == "define") {
            const std::optional<std::size_t> at =
                d.Plain
                    ? std::optional<std::size_t>(
                          d.LineStart + static_cast<std::size_t>(d.Argument.data() - d.Line.data()))
                    : std::nullopt;
            if (Expected<bool> defined = Macros.Define(d.Argument, Current().File, at); !defined)
                return Status::Fail(d.Where + ": " + defined.message(), defined.kind());
        } else if (d.Name == "undef") {
            Macros.Undefine(d.Argument.substr(0, d.Argument.find_first_of(" \t")));
        } else if (d.Name == "include") {
            return Include(d.Argument, d.Where);
        }
        // #pragma, #line, #error and the rest change nothing the version
        // resource can show.
        return Status::Ok();
    }

    static void NoteName(std::vector<std::string>& names, std::string_view name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    }

    bool Defined(std::string_view name, std::vector<std::string>& tested) {
        const bool defined = Macros.Find(name) != nullptr;
        if (!defined)
            NoteName(tested, name);
        return defined;
    }

    // The value of a condition; the names it finds undefined go to `tested`.
    Expected<bool> Condition(const std::string& kind, std::string_view argument,
                             std::vector<std::string>& tested) {
        if (kind == "ifdef" || kind == "ifndef") {
            const bool defined = Defined(Trim(argument), tested);
            return kind == "ifdef" ? defined : !defined;
        }
        // `defined` is answered before the macros expand, as C does.
        std::vector<PpToken> tokens = TokenizeDirectiveText(argument);
        std::vector<PpToken> answered;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (tokens[i].Type != PpToken::Kind::Identifier || tokens[i].Text != "defined") {
                answered.push_back(tokens[i]);
                continue;
            }
            const bool parenthesised = i + 1 < tokens.size() && tokens[i + 1].Text == "(";
            const std::size_t at = i + 1 + parenthesised;
            if (at >= tokens.size() || tokens[at].Type != PpToken::Kind::Identifier ||
                (parenthesised && (at + 1 >= tokens.size() || tokens[at + 1].Text != ")")))
                return Status::Parse("can't evaluate the condition \"" +
                                     std::string(argument.substr(0, 80)) +
                                     (argument.size() > 80 ? "...\"" : "\""));
            PpToken answer = tokens[i];
            answer.Type = PpToken::Kind::Number;
            answer.Text = Defined(tokens[at].Text, tested) ? "1" : "0";
            answered.push_back(answer);
            i = at + parenthesised;
        }
        MacroExpander expander(Macros, (1u << 20) + InputBytes);
        Expected<std::vector<PpToken>> expanded = expander.ExpandList(std::move(answered), true);
        if (!expanded)
            return expanded.status();
        for (const PpToken& token : *expanded)
            if (token.Type == PpToken::Kind::Identifier)
                NoteName(tested, token.Text);
        Expected<long long> value = EvaluateCondition(*expanded);
        if (!value)
            return value.status();
        return *value != 0;
    }

    // #include "name" or <name>: a known system header gives its names; a
    // header of the project is read when the options ask for it, from
    // beside the including file (for "name") and then the include folders.
    Status Include(std::string_view argument, const std::string& where) {
        if (argument.size() < 2 || (argument[0] != '"' && argument[0] != '<'))
            return Status::Ok(); // the compiler refuses the form; the reader needs nothing
        const bool angled = argument[0] == '<';
        const std::size_t close = argument.find(angled ? '>' : '"', 1);
        if (close == std::string_view::npos)
            return Status::Ok();
        ScriptInclude include;
        include.From = Current().File;
        include.Offset = Current().Scan.At;
        include.Name = std::string(argument.substr(1, close - 1));
        if (const KnownHeader* known = KnownHeaderNamed(include.Name)) {
            Macros.Know(static_cast<KnownNames>(known->Names));
            include.How = ScriptInclude::Outcome::Known;
        } else if (Options.ReadIncludes) {
            if (Open.size() >= MaxIncludeNesting)
                return Status::Limit(where + ": includes nest more than " +
                                     std::to_string(MaxIncludeNesting) + " files deep");
            include.How = OpenInclude(include.Name, angled) ? ScriptInclude::Outcome::Read
                                                            : ScriptInclude::Outcome::Missing;
        }
        Out.Includes.push_back(std::move(include));
        return Status::Ok();
    }

    bool OpenInclude(const std::string& name, bool angled) {
        std::vector<std::string> candidates;
        const bool absolute = !name.empty() && (name[0] == '/' || name[0] == '\\' ||
                                                (name.size() > 1 && name[1] == ':'));
        if (absolute) {
            candidates.push_back(name);
        } else {
            const std::string& including = Out.Files[Current().File].Path;
            if (!angled)
                candidates.push_back(including.substr(0, including.find_last_of("/\\") + 1) + name);
            for (const std::string& folder : Options.IncludeFolders)
                candidates.push_back(
                    folder +
                    (folder.empty() || folder.back() == '/' || folder.back() == '\\' ? "" : "/") +
                    name);
        }
        for (const std::string& path : candidates) {
            const auto given = Options.Overrides.find(path);
            LoadedFile loaded =
                given != Options.Overrides.end() ? LoadedFile(given->second) : LoadFile(path);
            if (!loaded)
                continue;
            ScriptFile& file = Out.Files.emplace_back();
            file.Path = path;
            file.Text = std::string(UpToNul(*loaded));
            file.LineStarts = LineStartsOf(file.Text);
            InputBytes += file.Text.size();
            Open.push_back(
                {Scanner(file.Text), static_cast<std::uint16_t>(Out.Files.size() - 1), {}});
            return true;
        }
        return false;
    }

    const PreprocessOptions& Options;
    MacroTable Macros;
    MacroExpander Expander;
    ScriptTokens Out;
    Keeper Keep;
    std::vector<OpenFile> Open;
    std::size_t InputBytes = 0;
    std::uint32_t ExpansionUse = 0;
    std::string ExpansionText;
    /// The #define literals in ExpansionText, by their place there.
    struct Piece {
        ScriptSpan Range;
        TokenOrigin Origin;
    };
    std::vector<Piece> Pieces;
    std::vector<ClosedGroup> Closed;
    /// Names whose state is known alike to every compiler: given on the
    /// command line, or #defined or #undef'd by a file read.
    std::vector<std::string> Settled;
};

} // namespace

std::size_t ScriptTokens::LineOf(std::size_t offset) const {
    auto after = std::upper_bound(LineStarts.begin(), LineStarts.end(), offset);
    return static_cast<std::size_t>(after - LineStarts.begin());
}

std::size_t ScriptTokens::LineOf(std::uint16_t file, std::size_t offset) const {
    if (file == 0 || file >= Files.size())
        return LineOf(offset);
    const std::vector<std::uint32_t>& starts = Files[file].LineStarts;
    return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                    starts.begin());
}

std::string ScriptTokens::Where(std::uint16_t file, std::size_t offset) const {
    const std::string line = "line " + std::to_string(LineOf(file, offset));
    if (file == 0 || file >= Files.size())
        return line;
    const std::string& path = Files[file].Path;
    return path.substr(path.find_last_of("/\\") + 1) + " " + line;
}

const std::vector<std::string_view>& KnownSystemHeaders() {
    static const std::vector<std::string_view> Names = [] {
        std::vector<std::string_view> names;
        for (const KnownHeader& header : KnownHeaders)
            names.push_back(header.Name);
        return names;
    }();
    return Names;
}

Expected<ScriptTokens> TokenizeScript(std::string_view text, const PreprocessOptions& options) {
    if (const std::string fault = Utf16ScriptFault(text); !fault.empty())
        return Status::Parse("Not read: " + fault);
    text = UpToNul(text);
    if (text.size() > 0xFFFFFFFFu)
        return Status::Limit("the script is larger than 4 GB");
    return Lexer(text, options).Run();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

bool IsBeginToken(const ScriptToken& token) {
    return (token.Kind == TokenKind::Punct && token.Text == "{") ||
           (token.Kind == TokenKind::Word && EqualsIgnoringCase(token.Text, "BEGIN"));
}

bool IsEndToken(const ScriptToken& token) {
    return (token.Kind == TokenKind::Punct && token.Text == "}") ||
           (token.Kind == TokenKind::Word && EqualsIgnoringCase(token.Text, "END"));
}

} // namespace qm
