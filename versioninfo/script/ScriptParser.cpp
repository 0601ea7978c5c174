//===- ScriptParser.cpp - Tokens to the VERSIONINFO model --------------------===//
//
// A recursive-descent parser over the lexer's active tokens. It skips every
// other resource by counting BEGIN/END (and braces) at the top level, then
// parses the one VERSIONINFO with llvm-rc's grammar. Its messages name the
// line and what was expected, as a compiler's would.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptModel.h"

#include "versioninfo/document/LanguageNames.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptEscapes.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>

namespace qm {

namespace {

constexpr const char* FixedKeywords[] = {"FILEVERSION", "PRODUCTVERSION", "FILEFLAGSMASK",
                                         "FILEFLAGS",   "FILEOS",         "FILETYPE",
                                         "FILESUBTYPE"};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return out;
}

bool IsWord(const ScriptToken& token, std::string_view word) {
    return token.Kind == TokenKind::Word && EqualsIgnoringCase(token.Text, word);
}

bool IsPunct(const ScriptToken& token, char c) {
    return token.Kind == TokenKind::Punct && token.Text.size() == 1 && token.Text[0] == c;
}

// A number token as llvm-rc reads it, or nothing when it is none or
// does not fit in 32 bits (llvm-rc refuses both).
std::optional<std::uint32_t> NumberValue(std::string_view text) {
    const std::optional<std::uint64_t> value = ScriptNumberValue(text);
    if (!value || *value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

bool HasLongSuffix(std::string_view text) {
    return !text.empty() && (text.back() == 'L' || text.back() == 'l');
}

// llvm-rc's integer with a NOT mask: NOT x is 0 that clears x's bits from
// what it is combined with.
struct MaskedValue {
    std::uint32_t Value = 0;
    std::uint32_t NotMask = 0;
};

MaskedValue Combine(MaskedValue lhs, char op, MaskedValue rhs) {
    lhs.Value &= ~rhs.NotMask;
    switch (op) {
    case '+':
        lhs.Value += rhs.Value;
        break;
    case '-':
        lhs.Value -= rhs.Value;
        break;
    case '|':
        lhs.Value |= rhs.Value;
        break;
    default:
        lhs.Value &= rhs.Value;
        break;
    }
    lhs.NotMask |= rhs.NotMask;
    return lhs;
}

// A name a compiler can read as a number: letters, digits and underscores,
// not starting with a digit. Other words (a stray '.', bytes above 0x7F)
// make the script one a compiler refuses.
bool IsIdentifier(std::string_view text) {
    if (text.empty() || (text[0] >= '0' && text[0] <= '9'))
        return false;
    return std::all_of(text.begin(), text.end(), IsIdentifierChar);
}

// Words that end a statement rather than name a number.
bool IsKeyword(const ScriptToken& token) {
    if (IsBeginToken(token) || IsEndToken(token) || IsWord(token, "BLOCK") ||
        IsWord(token, "VALUE"))
        return true;
    return std::any_of(std::begin(FixedKeywords), std::end(FixedKeywords),
                       [&](const char* k) { return IsWord(token, k); });
}

class Parser {
public:
    Parser(VersionScript& script, std::size_t resource)
        : Script(script), Tokens(script.Tokens.Tokens), Resource(resource) {}

    Status Run() {
        if (!FindHeader())
            return Status::NotFound("Can't find VERSIONINFO");
        ParseMemoryFlags();
        if (Status fixed = ParseFixedStatements(); !fixed)
            return fixed;
        if (Status body = ParseRootBlock(); !body)
            return body;
        return Status::Ok();
    }

private:
    bool AtEnd() const { return At >= Tokens.size(); }
    const ScriptToken& Peek() const { return Tokens[At]; }

    std::string Where() const {
        if (AtEnd())
            return Tokens.empty() ? "line 1"
                                  : Script.Tokens.Where(Tokens.back().File, Tokens.back().Span.End);
        return Script.Tokens.Where(Peek());
    }

    // Expressions and blocks are read by recursion; a bound on the nesting,
    // far beyond any script's, keeps a hostile one from using up the stack.
    static constexpr std::size_t MaxNesting = 256;
    struct Nested {
        explicit Nested(Parser& parser) : Owner(parser) { ++Owner.Nesting; }
        ~Nested() { --Owner.Nesting; }
        bool TooDeep() const { return Owner.Nesting > MaxNesting; }
        Parser& Owner;
    };
    Status TooDeep(const char* what) const {
        return Status::Limit(Where() + ": " + what + " nest more than " +
                             std::to_string(MaxNesting) + " levels deep");
    }

    Status Expected(const std::string& what) const {
        return Status::Parse(Where() + ": expected " + what +
                             (AtEnd() ? ", found the end of the script"
                                      : ", found \"" + std::string(Peek().Text) + "\""));
    }

    // The first VERSIONINFO keyword outside every other resource's block.
    // The `Resource`-th VERSIONINFO keyword outside every other resource's
    // block (each counted in Script.Resources), with the language the last
    // LANGUAGE statement before it sets.
    bool FindHeader() {
        int depth = 0;
        bool found = false;
        bool open = false; ///< the last place's END is still to come
        for (std::size_t i = 0; i < Tokens.size(); ++i) {
            const ScriptToken& token = Tokens[i];
            if (IsBeginToken(token)) {
                ++depth;
            } else if (IsEndToken(token)) {
                depth = std::max(0, depth - 1);
                if (depth == 0 && open)
                    Script.Places.back().Span.End = token.Span.End;
                open = open && depth > 0;
            } else if (depth == 0 && !found && IsWord(token, "LANGUAGE")) {
                if (const std::optional<std::uint16_t> language = LanguageStatementAt(Tokens, i))
                    Script.Language = language;
            } else if (depth == 0 && i > 0 && IsWord(token, "VERSIONINFO")) {
                Script.Places.push_back({Tokens[i - 1].File, {Tokens[i - 1].Span.Begin, 0}});
                open = true;
                if (Script.Resources++ != Resource || found)
                    continue;
                found = true;
                Script.Index = Resource;
                Script.File = token.File;
                Script.HeaderLine = Script.Tokens.LineOf(token.File, token.Span.Begin);
                Script.NameToken = i - 1;
                Script.Span.Begin = Tokens[i - 1].Span.Begin;
                At = i + 1;
            }
        }
        return found;
    }

    // The memory flags a resource may carry after its type, as llvm-rc
    // combines them; they start from MOVEABLE | PURE.
    void ParseMemoryFlags() {
        constexpr std::uint16_t Moveable = 0x10, Pure = 0x20, Preload = 0x40, Discardable = 0x1000;
        const struct {
            const char* Word;
            std::uint16_t Set;
            std::uint16_t Clear;
        } flags[] = {{"MOVEABLE", Moveable, 0},
                     {"FIXED", 0, Moveable | Discardable},
                     {"PURE", Pure, 0},
                     {"SHARED", Pure, 0},
                     {"IMPURE", 0, Pure | Discardable},
                     {"NONSHARED", 0, Pure | Discardable},
                     {"PRELOAD", Preload, 0},
                     {"LOADONCALL", 0, Preload},
                     {"DISCARDABLE", Discardable | Moveable | Pure, 0}};
        for (bool taken = true; taken && !AtEnd();) {
            taken = false;
            for (const auto& flag : flags)
                if (IsWord(Peek(), flag.Word)) {
                    Script.MemoryFlags =
                        static_cast<std::uint16_t>((Script.MemoryFlags | flag.Set) & ~flag.Clear);
                    ++At;
                    taken = true;
                    break;
                }
        }
    }

    Status ParseFixedStatements() {
        for (;;) {
            if (AtEnd())
                return Expected("BEGIN");
            const std::string keyword = Upper(Peek().Text);
            const bool isFixed = Peek().Kind == TokenKind::Word &&
                                 std::any_of(std::begin(FixedKeywords), std::end(FixedKeywords),
                                             [&](const char* k) { return keyword == k; });
            if (!isFixed)
                return Status::Ok();
            if (Script.FindFixed(keyword))
                return Status::Parse(Where() + ": " + keyword + " is given twice");
            FixedStatement statement;
            statement.Keyword = keyword;
            statement.Span.Begin = Peek().Span.Begin;
            statement.Condition = Peek().Condition;
            ++At;
            const std::size_t maxNumbers =
                (keyword == "FILEVERSION" || keyword == "PRODUCTVERSION") ? 4 : 1;
            for (;;) {
                ScriptNumber number;
                if (Status parsed = ParseNumber(number); !parsed)
                    return Status::Fail(parsed.message() + " in " + keyword, parsed.kind());
                statement.Numbers.push_back(number);
                if (statement.Numbers.size() == maxNumbers || AtEnd() || !IsPunct(Peek(), ','))
                    break;
                ++At;
            }
            statement.ValueSpan = {statement.Numbers.front().Span.Begin,
                                   statement.Numbers.back().Span.End};
            statement.Span.End = statement.ValueSpan.End;
            if (maxNumbers == 4) {
                for (const ScriptNumber& number : statement.Numbers) {
                    if (number.Value && *number.Value > 0xFFFF)
                        return Status::Parse(
                            Script.Tokens.Where(Script.File, number.Span.Begin) + ": " + keyword +
                            " part " + std::to_string(*number.Value) + " does not fit in 16 bits");
                }
            }
            Script.Fixed.push_back(std::move(statement));
        }
    }

    // expression := term (('+' | '-' | '|' | '&') term)*, left to right.
    Status ParseNumber(ScriptNumber& number) {
        const std::size_t first = At;
        MaskedValue value;
        if (Status term = ParseTerm(number, value); !term)
            return term;
        while (!AtEnd() && Peek().Kind == TokenKind::Punct &&
               std::string_view("+-|&").find(Peek().Text[0]) != std::string_view::npos) {
            const char op = Peek().Text[0];
            ++At;
            MaskedValue rhs;
            if (Status term = ParseTerm(number, rhs); !term)
                return term;
            value = Combine(value, op, rhs);
        }
        number.Span = {Tokens[first].Span.Begin, Tokens[At - 1].Span.End};
        number.FirstToken = first;
        number.TokenCount = At - first;
        number.Literal = At - first == 1 && Tokens[first].Kind == TokenKind::Number &&
                         Tokens[first].Macro.empty();
        if (number.Unknown.empty())
            number.Value = value.Value;
        return Status::Ok();
    }

    Status ParseTerm(ScriptNumber& number, MaskedValue& value) {
        const Nested nested(*this);
        if (nested.TooDeep())
            return TooDeep("expressions");
        if (AtEnd())
            return Expected("a number");
        const ScriptToken& token = Peek();
        if (!token.Macro.empty() && number.Macro.empty())
            number.Macro = token.Macro;
        if (IsPunct(token, '-') || IsPunct(token, '~') || IsWord(token, "NOT")) {
            ++At;
            MaskedValue inner;
            if (Status term = ParseTerm(number, inner); !term)
                return term;
            if (token.Text == "-")
                value.Value = 0u - inner.Value;
            else if (token.Text == "~")
                value.Value = ~inner.Value;
            else
                value = {0, inner.Value};
            return Status::Ok();
        }
        if (IsPunct(token, '(')) {
            ++At;
            ScriptNumber inner;
            if (Status parsed = ParseNumber(inner); !parsed)
                return parsed;
            if (AtEnd() || !IsPunct(Peek(), ')'))
                return Expected("\")\"");
            ++At;
            if (!inner.Unknown.empty() && number.Unknown.empty())
                number.Unknown = inner.Unknown;
            if (!inner.Macro.empty() && number.Macro.empty())
                number.Macro = inner.Macro;
            number.Long = number.Long || inner.Long;
            value.Value = inner.Value.value_or(0);
            return Status::Ok();
        }
        if (token.Kind == TokenKind::Number) {
            std::optional<std::uint32_t> parsed = NumberValue(token.Text);
            if (!parsed)
                return Status::Parse(Where() + ": \"" + std::string(token.Text) +
                                     "\" is not a number");
            value.Value = *parsed;
            number.Long = number.Long || HasLongSuffix(token.Text);
            ++At;
            return Status::Ok();
        }
        if (token.Kind == TokenKind::Word && IsIdentifier(token.Text) && !IsKeyword(token)) {
            if (std::optional<std::uint32_t> known = WinverValue(token.Text))
                value.Value = *known;
            else if (number.Unknown.empty())
                number.Unknown = token.Text;
            ++At;
            return Status::Ok();
        }
        return Expected("a number");
    }

    Status ExpectBegin() {
        if (AtEnd() || !IsBeginToken(Peek()))
            return Expected("BEGIN");
        ++At;
        return Status::Ok();
    }

    // The string after BLOCK or VALUE: a quoted name (macros expanded).
    Status ParseName(std::string& name, ScriptSpan& span) {
        if (AtEnd() || Peek().Kind != TokenKind::String)
            return Expected("a quoted name");
        name = CompiledOfScriptText(StringInner(Peek()));
        span = Peek().Span;
        ++At;
        return Status::Ok();
    }

    // A block's body: BEGIN, then BLOCKs and VALUEs in any order, then END.
    // `onBlock` takes a nested block after its name (the keyword's span is
    // given), `onValue` each VALUE; `end` receives the END token's span.
    template <typename OnBlock, typename OnValue>
    Status WalkBlock(OnBlock onBlock, OnValue onValue, ScriptSpan* end = nullptr) {
        const Nested nested(*this);
        if (nested.TooDeep())
            return TooDeep("blocks");
        if (Status begin = ExpectBegin(); !begin)
            return begin;
        for (;;) {
            if (AtEnd())
                return Expected("END");
            if (IsEndToken(Peek())) {
                if (end)
                    *end = Peek().Span;
                ++At;
                return Status::Ok();
            }
            if (IsWord(Peek(), "VALUE")) {
                ValueStatement value;
                if (Status parsed = ParseValue(value); !parsed)
                    return parsed;
                Open.back()->push_back(ScriptNode{0, value, {}});
                onValue(std::move(value));
                continue;
            }
            if (!IsWord(Peek(), "BLOCK"))
                return Expected("BLOCK, VALUE or END");
            const ScriptToken& keyword = Peek();
            ++At;
            std::string name;
            ScriptSpan nameSpan;
            if (Status parsed = ParseName(name, nameSpan); !parsed)
                return parsed;
            // The nested walk fills the block's node; its siblings come after.
            Open.back()->push_back(ScriptNode{At - 1, std::nullopt, {}});
            Open.push_back(&Open.back()->back().Children);
            Status inner = onBlock(keyword, name, nameSpan);
            Open.pop_back();
            if (!inner)
                return inner;
        }
    }

    auto Unmodelled(const std::string& where) {
        return [this, where](ValueStatement value) {
            Script.Unmodelled.push_back("VALUE \"" + value.Key + "\" " + where);
        };
    }
    auto SkipNested() {
        return [this](const ScriptToken&, const std::string& name, ScriptSpan) {
            return SkipBlock(name);
        };
    }

    Status ParseRootBlock() {
        Open = {&Script.Body};
        ScriptSpan end;
        Status walked = WalkBlock(
            [this](const ScriptToken&, const std::string& name, ScriptSpan) {
                return EqualsIgnoringCase(name, "StringFileInfo") ? ParseStringFileInfo()
                       : EqualsIgnoringCase(name, "VarFileInfo")  ? ParseVarFileInfo()
                                                                  : SkipBlock(name);
            },
            Unmodelled("outside every block"), &end);
        Script.Span.End = end.End;
        Script.EndToken = At;
        return walked;
    }

    Status ParseStringFileInfo() {
        return WalkBlock(
            [this](const ScriptToken& keyword, const std::string&, ScriptSpan nameSpan) {
                ScriptStringTable table;
                table.Span.Begin = keyword.Span.Begin;
                table.Condition = keyword.Condition;
                table.NameSpan = nameSpan;
                table.Name = std::string(StringInner(Tokens[At - 1]));
                ScriptSpan end;
                Status parsed = WalkBlock(
                    SkipNested(),
                    [&table](ValueStatement value) { table.Values.push_back(std::move(value)); },
                    &end);
                table.BodyEnd = end.Begin;
                table.Span.End = end.End;
                if (parsed)
                    Script.Tables.push_back(std::move(table));
                return parsed;
            },
            Unmodelled("directly in StringFileInfo"));
    }

    Status ParseVarFileInfo() {
        return WalkBlock(SkipNested(), [this](ValueStatement value) {
            if (EqualsIgnoringCase(value.Key, "Translation") && !Script.Translation)
                Script.Translation = std::move(value);
            else
                Script.Unmodelled.push_back("VALUE \"" + value.Key + "\" in VarFileInfo");
        });
    }

    // A block the version resource model does not hold: parsed for its
    // syntax, then named.
    Status SkipBlock(const std::string& name) {
        Script.Unmodelled.push_back("BLOCK \"" + name + "\"");
        return WalkBlock(SkipNested(), [](ValueStatement) {});
    }

    // A name the script does not define, standing beside a string: a
    // string macro from a header, as in COMPANY "\0".
    bool IsNameInString() const {
        const ScriptToken& token = Peek();
        return token.Kind == TokenKind::Word && IsIdentifier(token.Text) && !IsKeyword(token) &&
               !WinverValue(token.Text);
    }
    bool StartsStringItem() const {
        if (Peek().Kind == TokenKind::String)
            return true;
        return IsNameInString() && At + 1 < Tokens.size() &&
               Tokens[At + 1].Kind == TokenKind::String;
    }

    // VALUE "key", item [, item]... where an item is one or more adjacent
    // strings (joined) or a number.
    Status ParseValue(ValueStatement& value) {
        value.Span.Begin = Peek().Span.Begin;
        value.Condition = Peek().Condition;
        ++At;
        ScriptSpan keySpan;
        value.KeyToken = At;
        if (Status key = ParseName(value.Key, keySpan); !key)
            return key;
        if (AtEnd() || !IsPunct(Peek(), ','))
            return Expected("\",\" after the key \"" + value.Key + "\"");
        ++At;
        const std::size_t first = At;
        bool firstItem = true;
        for (;;) {
            if (AtEnd())
                return Expected("a value");
            ValueItem item;
            const std::size_t itemStart = At;
            if (StartsStringItem()) {
                while (!AtEnd() && (Peek().Kind == TokenKind::String || IsNameInString())) {
                    if (!Peek().Macro.empty() && value.Macro.empty())
                        value.Macro = Peek().Macro;
                    // What a reader shows ends with the first item: later
                    // items are strings of their own.
                    if (Peek().Kind == TokenKind::String && firstItem)
                        value.TextTokens.push_back(At);
                    else if (Peek().Kind != TokenKind::String && value.Unknown.empty())
                        value.Unknown = Peek().Text; // a string macro from a header
                    if (Peek().Kind == TokenKind::String)
                        item.StringTokens.push_back(At);
                    ++At;
                }
                if (firstItem)
                    value.IsText = true;
            } else {
                ScriptNumber number;
                if (Status parsed = ParseNumber(number); !parsed)
                    return Status::Fail(parsed.message() + " in the value of \"" + value.Key + "\"",
                                        parsed.kind());
                if (firstItem)
                    value.IsText = false;
                if (!number.Unknown.empty() && value.Unknown.empty())
                    value.Unknown = number.Unknown;
                if (!number.Macro.empty() && value.Macro.empty())
                    value.Macro = number.Macro;
                item.Number = value.Numbers.size();
                value.Numbers.push_back(std::move(number));
            }
            item.TokenCount = At - itemStart;
            value.Items.push_back(std::move(item));
            firstItem = false;
            if (AtEnd() || !IsPunct(Peek(), ','))
                break;
            ++At;
        }
        value.ValueSpan = {Tokens[first].Span.Begin, Tokens[At - 1].Span.End};
        value.Span.End = value.ValueSpan.End;
        value.Resolved = value.Unknown.empty();
        value.SingleLiteral = At - first == 1 && Tokens[first].Kind == TokenKind::String &&
                              Tokens[first].Macro.empty();
        if (!value.IsText)
            value.TextTokens.clear();
        return Status::Ok();
    }

    VersionScript& Script;
    const std::vector<ScriptToken>& Tokens;
    std::size_t Resource = 0;
    std::size_t At = 0;
    std::size_t Nesting = 0;
    /// The node lists being filled: the body's, then each open block's.
    std::vector<std::vector<ScriptNode>*> Open;
};

} // namespace

std::optional<std::uint16_t> LanguageStatementAt(const std::vector<ScriptToken>& tokens,
                                                 std::size_t i) {
    // An operand is a number, or a name of winnt.h.
    auto part = [](const ScriptToken& token) -> std::optional<std::uint32_t> {
        if (token.Kind == TokenKind::Number)
            return NumberValue(token.Text);
        return token.Kind == TokenKind::Word ? LanguageMacroValue(token.Text) : std::nullopt;
    };
    if (i + 3 >= tokens.size() || !IsWord(tokens[i], "LANGUAGE") || tokens[i + 2].Text != ",")
        return std::nullopt;
    const auto primary = part(tokens[i + 1]);
    const auto sub = part(tokens[i + 3]);
    if (!primary || !sub)
        return std::nullopt;
    return static_cast<std::uint16_t>((*sub << 10) | (*primary & 0x3FF));
}

const FixedStatement* VersionScript::FindFixed(std::string_view keyword) const {
    for (const FixedStatement& statement : Fixed) {
        if (statement.Keyword == keyword)
            return &statement;
    }
    return nullptr;
}

Expected<VersionScript> ParseVersionScript(std::string_view text, const PreprocessOptions& options,
                                           std::size_t resource) {
    Expected<ScriptTokens> tokens = TokenizeScript(text, options);
    if (!tokens)
        return tokens.status();
    VersionScript script;
    script.Tokens = std::move(*tokens);
    if (Status parsed = Parser(script, resource).Run(); !parsed)
        return parsed;
    return script;
}

Expected<VersionScript> ParseCopyWindowsShows(std::string_view text,
                                              const PreprocessOptions& options) {
    Expected<VersionScript> first = ParseVersionScript(text, options);
    if (!first || first->Resources < 2)
        return first;
    std::optional<std::size_t> english;
    for (std::size_t copy = 0; copy < first->Resources; ++copy) {
        Expected<VersionScript> model = copy ? ParseVersionScript(text, options, copy)
                                             : Expected<VersionScript>(std::move(*first));
        if (!model)
            return model;
        const std::uint16_t language = model->Language.value_or(0x409);
        if (language == 0)
            return model;
        if (language == 0x409 && !english)
            english = copy;
    }
    return ParseVersionScript(text, options, english.value_or(0));
}

} // namespace qm
