//===- ScriptLexer.cpp - Resource script text to active tokens -------------===//
//
// One pass over the bytes. Preprocessor lines are taken where a line's first
// non-blank character is '#'; everything between a false #if and its #endif
// is skipped. Object-like macros the script defines are expanded in place;
// the tokens of an expansion carry the span of the macro's use, so that an
// edit never reaches into a #define.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/ScriptLexer.h"

#include "versioninfo/ScriptConditions.h"
#include "versioninfo/Text.h"
#include "versioninfo/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <set>

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

std::string LineRef(std::size_t line) {
    return "line " + std::to_string(line);
}

using MacroTable = ScriptMacros;
using Macro = ScriptMacro;

// The names a resource compiler defines before it reads a script.
MacroTable PredefinedMacros() {
    return {{"RC_INVOKED", {"1", false}}, {"_WIN32", {"1", false}}};
}

//===-- The token scanner -------------------------------------------------===//

struct ConditionGroup {
    bool ParentActive = true;
    bool Taken = false; ///< a branch of this group was already active
    bool Active = true; ///< the current branch is active
    bool Alternatives = false;
    std::string Line; ///< the #if line, for reports
    std::size_t FirstToken = 0;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : Text(text), Macros(PredefinedMacros()) {}

    Expected<ScriptTokens> Run() {
        Out.Source = Text;
        Out.LineStarts.push_back(0);
        for (std::size_t i = 0; i < Text.size(); ++i) {
            if (Text[i] == '\n' ||
                (Text[i] == '\r' && (i + 1 == Text.size() || Text[i + 1] != '\n')))
                Out.LineStarts.push_back(static_cast<std::uint32_t>(i + 1));
        }
        // A UTF-8 signature ("UTF-8 with signature" in Visual Studio) is no
        // token: the preprocessor skips it.
        if (Text.substr(0, 3) == "\xEF\xBB\xBF")
            At = 3;
        while (At < Text.size()) {
            if (Status step = Step(); !step)
                return Status::Fail(step.message());
        }
        if (!Groups.empty())
            return Status::Fail(LineRef(Out.LineOf(Text.size())) + ": #endif missing for \"" +
                                Groups.back().Line + "\"");
        return std::move(Out);
    }

private:
    bool Active() const { return Groups.empty() || Groups.back().Active; }

    bool AtLineStart(std::size_t pos) const {
        while (pos > 0 && Text[pos - 1] != '\n' && Text[pos - 1] != '\r' &&
               !(pos == 3 && Text.substr(0, 3) == "\xEF\xBB\xBF")) {
            if (!IsBlank(Text[pos - 1]))
                return false;
            --pos;
        }
        return true;
    }

    Status Step() {
        const char c = Text[At];
        if (IsBlank(c)) {
            ++At;
            return Status::Ok();
        }
        if (Text.compare(At, 2, "//") == 0) {
            SkipToLineEnd();
            return Status::Ok();
        }
        if (Text.compare(At, 2, "/*") == 0) {
            const std::size_t end = Text.find("*/", At + 2);
            if (end == std::string_view::npos)
                return Status::Fail(LineRef(Out.LineOf(At)) + ": the comment has no end");
            At = end + 2;
            return Status::Ok();
        }
        if (c == '#' && AtLineStart(At))
            return Directive();
        if (!Active()) {
            // Skipped text still has to be walked for comments and strings
            // that might hide a '#', but produces nothing.
            if (c == '"')
                return SkipString();
            ++At;
            return Status::Ok();
        }
        return Token();
    }

    void SkipToLineEnd() {
        while (At < Text.size() && Text[At] != '\n' && Text[At] != '\r')
            ++At;
    }

    // A quote in skipped text may be an apostrophe's cousin in prose; an
    // unterminated one there only ends at its line.
    Status SkipString() {
        ScriptToken ignored;
        if (!ReadString(At, ignored))
            SkipToLineEnd();
        return Status::Ok();
    }

    // A string ends at the next quote that is not doubled; it may not run
    // past its line, as the compilers require.
    Status ReadString(std::size_t start, ScriptToken& token) {
        std::size_t i = At + 1;
        for (;;) {
            if (i >= Text.size() || Text[i] == '\n' || Text[i] == '\r')
                return Status::Fail(LineRef(Out.LineOf(start)) +
                                    ": the string has no end on its line");
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
        token.Kind = TokenKind::String;
        token.Span = {start, At};
        token.Text = Text.substr(start, At - start);
        return Status::Ok();
    }

    Status Token() {
        const std::size_t start = At;
        const char c = Text[At];
        ScriptToken token;
        if (c == '"' || ((c == 'L' || c == 'l') && At + 1 < Text.size() && Text[At + 1] == '"' &&
                         (start == 0 || !IsIdentifierChar(Text[start - 1])))) {
            if (c != '"')
                ++At;
            if (Status read = ReadString(start, token); !read)
                return read;
            Emit(std::move(token));
            return Status::Ok();
        }
        if (IsPunct(c)) {
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
                   Text.compare(At, 2, "//") != 0 && Text.compare(At, 2, "/*") != 0)
                ++At;
            if (At == start)
                ++At;
        }
        token.Span = {start, At};
        token.Text = Text.substr(start, At - start);
        if (token.Kind == TokenKind::Word)
            ExpandOrEmit(std::move(token));
        else
            Emit(std::move(token));
        return Status::Ok();
    }

    void Emit(ScriptToken token) { Out.Tokens.push_back(std::move(token)); }

    // An object-like macro of the script is replaced by its body's tokens,
    // which keep the span of the use and the macro's name.
    void ExpandOrEmit(ScriptToken token) {
        std::set<std::string> expanding;
        Expand(token, token.Text, expanding);
    }

    void Expand(const ScriptToken& use, std::string_view name, std::set<std::string>& expanding) {
        auto found = Macros.find(std::string(name));
        if (found == Macros.end() || found->second.FunctionLike ||
            expanding.count(std::string(name)) || PredefinedMacros().count(std::string(name))) {
            ScriptToken token = use;
            token.Text = name;
            Emit(std::move(token));
            return;
        }
        expanding.insert(std::string(name));
        // The body is kept for as long as the tokens: their texts point into it.
        Out.MacroTexts.push_back(found->second.Body);
        Expected<ScriptTokens> body = Lexer(Out.MacroTexts.back()).RunBody();
        if (body) {
            for (ScriptToken& part : body->Tokens) {
                part.Span = use.Span;
                part.Macro = use.Macro.empty() ? std::string(use.Text) : use.Macro;
                if (part.Kind == TokenKind::Word) {
                    ScriptToken outer = part;
                    Expand(outer, part.Text, expanding);
                } else {
                    Emit(std::move(part));
                }
            }
        }
        expanding.erase(std::string(name));
    }

    // A macro body is tokenized on its own, without directives or macros.
    Expected<ScriptTokens> RunBody() {
        Macros.clear();
        while (At < Text.size()) {
            if (Status step = Step(); !step)
                return Status::Fail(step.message());
        }
        return std::move(Out);
    }

    // The directive's logical line: backslash-newline joins lines; comments
    // are dropped.
    std::string ReadDirectiveLine() {
        std::string line;
        while (At < Text.size()) {
            const char c = Text[At];
            if (c == '\\' && At + 1 < Text.size() &&
                (Text[At + 1] == '\n' || Text[At + 1] == '\r')) {
                At +=
                    (Text[At + 1] == '\r' && At + 2 < Text.size() && Text[At + 2] == '\n') ? 3 : 2;
                line += ' ';
                continue;
            }
            if (c == '\n' || c == '\r')
                break;
            if (Text.compare(At, 2, "//") == 0) {
                SkipToLineEnd();
                break;
            }
            if (Text.compare(At, 2, "/*") == 0) {
                const std::size_t end = Text.find("*/", At + 2);
                At = end == std::string_view::npos ? Text.size() : end + 2;
                line += ' ';
                continue;
            }
            line += c;
            ++At;
        }
        return line;
    }

    Status Directive() {
        const std::size_t lineNumber = Out.LineOf(At);
        ++At; // '#'
        const std::string line = ReadDirectiveLine();
        std::string_view rest = TrimLeft(line);
        std::size_t nameEnd = 0;
        while (nameEnd < rest.size() && IsIdentifierChar(rest[nameEnd]))
            ++nameEnd;
        const std::string name(rest.substr(0, nameEnd));
        std::string_view argument = Trim(rest.substr(nameEnd));
        const std::string whole = "#" + std::string(Trim(line));

        if (name == "if" || name == "ifdef" || name == "ifndef") {
            ConditionGroup group;
            group.ParentActive = Active();
            group.Line = whole;
            group.FirstToken = Out.Tokens.size();
            bool value = false;
            if (group.ParentActive) {
                Expected<bool> condition = Condition(name, argument, lineNumber);
                if (!condition)
                    return Status::Fail(condition.message());
                value = *condition;
            }
            group.Active = group.ParentActive && value;
            group.Taken = group.Active;
            Groups.push_back(std::move(group));
            return Status::Ok();
        }
        if (name == "elif" || name == "else") {
            if (Groups.empty())
                return Status::Fail(LineRef(lineNumber) + ": #" + name + " without #if");
            ConditionGroup& group = Groups.back();
            group.Alternatives = true;
            bool value = name == "else";
            if (name == "elif" && group.ParentActive && !group.Taken) {
                Expected<bool> condition = Condition("if", argument, lineNumber);
                if (!condition)
                    return Status::Fail(condition.message());
                value = *condition;
            }
            group.Active = group.ParentActive && !group.Taken && value;
            group.Taken = group.Taken || group.Active;
            return Status::Ok();
        }
        if (name == "endif") {
            if (Groups.empty())
                return Status::Fail(LineRef(lineNumber) + ": #endif without #if");
            const ConditionGroup group = Groups.back();
            Groups.pop_back();
            if (group.Alternatives) {
                for (std::size_t i = group.FirstToken; i < Out.Tokens.size(); ++i) {
                    if (Out.Tokens[i].Condition.empty())
                        Out.Tokens[i].Condition = group.Line;
                }
            }
            return Status::Ok();
        }
        if (!Active())
            return Status::Ok();
        if (name == "define")
            Define(argument);
        else if (name == "undef")
            Macros.erase(std::string(Trim(argument)));
        // #include, #pragma, #line, #error and the rest change nothing the
        // version resource can show.
        return Status::Ok();
    }

    Expected<bool> Condition(const std::string& kind, std::string_view argument,
                             std::size_t lineNumber) {
        if (kind == "ifdef" || kind == "ifndef") {
            const bool defined = Macros.count(std::string(Trim(argument))) > 0;
            return kind == "ifdef" ? defined : !defined;
        }
        Expected<long long> value = EvaluateCondition(argument, Macros);
        if (!value)
            return Status::Fail(LineRef(lineNumber) + ": " + value.message());
        return *value != 0;
    }

    void Define(std::string_view argument) {
        std::size_t nameEnd = 0;
        while (nameEnd < argument.size() && IsIdentifierChar(argument[nameEnd]))
            ++nameEnd;
        if (nameEnd == 0)
            return;
        Macro macro;
        macro.FunctionLike = nameEnd < argument.size() && argument[nameEnd] == '(';
        macro.Body = std::string(Trim(argument.substr(nameEnd)));
        Macros[std::string(argument.substr(0, nameEnd))] = std::move(macro);
    }

    std::string_view Text;
    std::size_t At = 0;
    MacroTable Macros;
    std::vector<ConditionGroup> Groups;
    ScriptTokens Out;
};

} // namespace

std::size_t ScriptTokens::LineOf(std::size_t offset) const {
    auto after = std::upper_bound(LineStarts.begin(), LineStarts.end(), offset);
    return static_cast<std::size_t>(after - LineStarts.begin());
}

Expected<ScriptTokens> TokenizeScript(std::string_view text) {
    if (const std::string fault = Utf16ScriptFault(text); !fault.empty())
        return Status::Fail("Not read: " + fault);
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    if (text.size() > 0xFFFFFFFFu)
        return Status::Fail("the script is larger than 4 GB");
    return Lexer(text).Run();
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
