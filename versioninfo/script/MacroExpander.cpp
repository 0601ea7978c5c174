//===- MacroExpander.cpp - The C preprocessor's macros, within bounds -----===//
//
// The expansion follows the C standard's model (as Prosser's algorithm
// puts it): tokens wait in a queue; a macro name is replaced in the queue
// by its expansion, which is then read again; every token carries the set
// of macros it came out of (its hide set), which it may not expand again.
// An argument is expanded on its own before it is put in, except next to
// # or ##.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/MacroExpander.h"

#include "versioninfo/document/LanguageNames.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/support/Text.h"

#include <algorithm>

namespace qm {

namespace {

using Kind = PpToken::Kind;

bool IsIdentifierStart(char c) {
    return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsPunct(const PpToken& token, std::string_view text) {
    return token.Type == Kind::Punct && token.Text == text;
}

// C's two- and three-character punctuators that #if expressions and
// pasting need; every other character is a punctuator of its own.
std::size_t PunctuatorLength(std::string_view text) {
    constexpr std::string_view Long[] = {"...", "<<=", ">>=", "##", "||", "&&", "==", "!=",
                                         "<=",  ">=",  "<<",  ">>", "->", "++", "--"};
    for (std::string_view p : Long)
        if (text.substr(0, p.size()) == p)
            return p.size();
    return 1;
}

// A quoted string or character constant from `at`, C's way: a backslash
// escapes the next character. Unterminated, it runs to the end.
std::size_t QuotedEnd(std::string_view text, std::size_t at) {
    const char quote = text[at];
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == quote)
            return i + 1;
    }
    return text.size();
}

// A preprocessing number: a digit (or "." and a digit), then letters,
// digits, "_", "." and an exponent's sign.
std::size_t NumberEnd(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    while (i < text.size()) {
        const char c = text[i];
        if ((c == '+' || c == '-') &&
            std::string_view("eEpP").find(text[i - 1]) != std::string_view::npos)
            ++i;
        else if (IsIdentifierChar(c) || c == '.')
            ++i;
        else
            break;
    }
    return i;
}

} // namespace

std::vector<PpToken> TokenizeDirectiveText(std::string_view text) {
    std::vector<PpToken> tokens;
    bool space = false;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (IsBlank(c)) {
            space = true;
            ++at;
            continue;
        }
        PpToken token;
        token.SpaceBefore = space && !tokens.empty();
        space = false;
        std::size_t end;
        if ((c == 'L' || c == 'u' || c == 'U') && at + 1 < text.size() &&
            (text[at + 1] == '"' || text[at + 1] == '\'')) {
            end = QuotedEnd(text, at + 1);
            token.Type = text[at + 1] == '"' ? Kind::String : Kind::Number;
        } else if (IsIdentifierStart(c)) {
            end = at;
            while (end < text.size() && IsIdentifierChar(text[end]))
                ++end;
            token.Type = Kind::Identifier;
        } else if (IsAsciiDigit(c) ||
                   (c == '.' && at + 1 < text.size() && IsAsciiDigit(text[at + 1]))) {
            end = NumberEnd(text, at);
            token.Type = Kind::Number;
        } else if (c == '"' || c == '\'') {
            end = QuotedEnd(text, at);
            token.Type = c == '"' ? Kind::String : Kind::Number; // a character is a number
        } else {
            end = at + PunctuatorLength(text.substr(at));
            token.Type = Kind::Punct;
        }
        token.Text = text.substr(at, end - at);
        token.Span = {at, end};
        tokens.push_back(token);
        at = end;
    }
    return tokens;
}

//===-- The table of macros -------------------------------------------===//

Expected<bool> MacroTable::Define(std::string_view directive, std::uint16_t file,
                                  std::optional<std::size_t> offset) {
    const std::string_view given = directive;
    directive = TrimLeft(directive);
    std::size_t nameEnd = 0;
    while (nameEnd < directive.size() && IsIdentifierChar(directive[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0 || IsAsciiDigit(directive[0]))
        return false;
    auto macro = std::make_unique<MacroDefinition>();
    macro->Name = std::string(directive.substr(0, nameEnd));
    std::string_view rest = directive.substr(nameEnd);
    if (!rest.empty() && rest[0] == '(') {
        macro->FunctionLike = true;
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos)
            return false;
        bool named = false; // GNU's "args..." names the variadic parameter
        for (const PpToken& t : TokenizeDirectiveText(rest.substr(1, close - 1))) {
            if (t.Type == Kind::Identifier) {
                macro->Parameters.emplace_back(t.Text);
                named = true;
            } else if (IsPunct(t, "...")) {
                macro->Variadic = true;
                if (!named)
                    macro->Parameters.emplace_back("__VA_ARGS__");
            } else if (IsPunct(t, ",")) {
                named = false;
            } else {
                return false;
            }
        }
        rest = rest.substr(close + 1);
    }
    const std::string_view body = Trim(rest);
    macro->Body = std::string(body);
    macro->Tokens = TokenizeDirectiveText(macro->Body);
    macro->File = file;
    if (offset)
        macro->BodyOffset = *offset + static_cast<std::size_t>(body.data() - given.data());
    Removed.erase(macro->Name);
    if (Current.size() >= MaxMacros && Current.find(macro->Name) == Current.end())
        return Status::Limit("the script and its headers define more than " +
                             std::to_string(MaxMacros) + " macros, far more than any script needs");
    auto& slot = Current[macro->Name];
    if (slot)
        Retired.push_back(std::move(slot));
    slot = std::move(macro);
    return true;
}

void MacroTable::Undefine(std::string_view name) {
    const std::string key(Trim(name));
    auto found = Current.find(std::string_view(key));
    if (found != Current.end()) {
        Retired.push_back(std::move(found->second));
        Current.erase(found);
    }
    Removed[key] = true;
}

void MacroTable::Know(KnownNames names) {
    KnownSets |= static_cast<unsigned>(names);
}

const MacroDefinition* MacroTable::Find(std::string_view name) const {
    if (auto found = Current.find(name); found != Current.end())
        return found->second.get();
    if (KnownSets == 0 || Removed.find(name) != Removed.end())
        return nullptr;
    if (auto made = KnownMade.find(name); made != KnownMade.end())
        return made->second.get();
    std::optional<std::uint32_t> value;
    if (KnownSets & static_cast<unsigned>(KnownNames::Winver))
        value = WinverValue(name);
    if (!value && (KnownSets & static_cast<unsigned>(KnownNames::Winnt)))
        value = LanguageMacroValue(name);
    if (!value)
        return nullptr;
    auto made = std::make_unique<MacroDefinition>();
    made->Name = std::string(name);
    made->Known = true;
    made->Body = std::to_string(*value);
    made->Tokens = TokenizeDirectiveText(made->Body);
    return KnownMade.emplace(made->Name, std::move(made)).first->second.get();
}

//===-- Expansion -----------------------------------------------------===//

MacroExpander::MacroExpander(const MacroTable& macros, std::size_t totalTokens, Source source)
    : Macros(macros), Read(std::move(source)), TotalLimit(totalTokens) {}

bool MacroExpander::Next(PpToken& token, Status& failure) {
    bool end = false;
    if (Status stepped = Step(Pending, true, 0, token, end); !stepped) {
        failure = stepped;
        return false;
    }
    return !end;
}

Expected<std::vector<PpToken>> MacroExpander::ExpandList(std::vector<PpToken> tokens,
                                                         bool inDirective) {
    InDirective = inDirective;
    return Expanded(tokens, 0);
}

bool MacroExpander::Pull(Queue& pending, bool fromSource, Status& failure) {
    if (!fromSource || !Read)
        return false;
    PpToken token;
    if (!Read(token, failure))
        return false;
    pending.push_back(token);
    return true;
}

Status MacroExpander::Step(Queue& pending, bool fromSource, std::size_t depth, PpToken& out,
                           bool& end) {
    for (;;) {
        Status failure = Status::Ok();
        if (pending.empty() && !Pull(pending, fromSource, failure)) {
            end = failure.ok();
            return failure;
        }
        // From here a token is held that may point into a definition.
        struct Hold {
            explicit Hold(bool& flag) : Flag(flag), Was(flag) { Flag = true; }
            ~Hold() { Flag = Was; }
            bool& Flag;
            bool Was;
        } hold(Holding);
        PpToken token = pending.front();
        pending.pop_front();
        const MacroDefinition* macro =
            token.Type == Kind::Identifier ? Macros.Find(token.Text) : nullptr;
        if (!macro || (macro->Known && !InDirective) || Hidden(token.Hide, MacroId(macro->Name))) {
            out = token;
            return Status::Ok();
        }
        if (macro->FunctionLike) {
            // Only a name followed by "(" calls the macro.
            if (pending.empty() && !Pull(pending, fromSource, failure)) {
                if (!failure)
                    return failure;
                out = token;
                return Status::Ok();
            }
            if (!IsPunct(pending.front(), "(")) {
                out = token;
                return Status::Ok();
            }
        }
        if (Status invoked = Invoke(*macro, token, pending, fromSource, depth); !invoked)
            return invoked;
    }
}

Status MacroExpander::Invoke(const MacroDefinition& macro, PpToken name, Queue& pending,
                             bool fromSource, std::size_t depth) {
    std::vector<std::vector<PpToken>> arguments;
    PpToken closing = name;
    if (macro.FunctionLike)
        if (Status collected =
                CollectArguments(macro, name, pending, fromSource, arguments, closing);
            !collected)
            return collected;
    const std::uint32_t use = UseFor(name, macro);
    Reach(use, closing);
    Macros.NoteUse(macro,
                   MacroSite{UseOf(use).File, static_cast<std::uint32_t>(UseOf(use).Span.Begin)});
    Expected<std::vector<PpToken>> body = Substitute(macro, arguments, depth);
    if (!body)
        return body.status();
    if (Status counted = Count(use, body->size(), macro); !counted)
        return counted;
    const std::uint32_t hide = HideWith(name.Hide, MacroId(macro.Name));
    if (HideSets[hide].size() > MaxNesting)
        return Status::Limit("macros nest more than " + std::to_string(MaxNesting) +
                             " levels deep in " + UseOf(use).Macro);
    for (PpToken& token : *body) {
        token.Hide = HideUnion(token.Hide, hide);
        token.Use = use;
    }
    if (!body->empty())
        body->front().SpaceBefore = name.SpaceBefore;
    pending.insert(pending.begin(), body->begin(), body->end());
    return Status::Ok();
}

Status MacroExpander::CollectArguments(const MacroDefinition& macro, const PpToken& name,
                                       Queue& pending, bool fromSource,
                                       std::vector<std::vector<PpToken>>& arguments,
                                       PpToken& closing) {
    pending.pop_front(); // "("
    arguments.assign(1, {});
    std::size_t nesting = 0;
    for (;;) {
        Status failure = Status::Ok();
        if (pending.empty() && !Pull(pending, fromSource, failure))
            return failure ? Status::Parse(macro.Name + " is used without the \")\" that ends "
                                                        "its arguments")
                           : failure;
        const PpToken token = pending.front();
        pending.pop_front();
        if (IsPunct(token, "(")) {
            ++nesting;
        } else if (IsPunct(token, ")")) {
            if (nesting == 0) {
                closing = token;
                break;
            }
            --nesting;
        } else if (IsPunct(token, ",") && nesting == 0 &&
                   !(macro.Variadic && arguments.size() == macro.Parameters.size())) {
            arguments.emplace_back();
            continue;
        }
        arguments.back().push_back(token);
    }
    const std::size_t wanted = macro.Parameters.size();
    if (wanted == 0 && arguments.size() == 1 && arguments[0].empty())
        arguments.clear();
    else if (macro.Variadic && arguments.size() + 1 == wanted)
        arguments.emplace_back();
    if (arguments.size() != wanted)
        return Status::Parse("the macro " + macro.Name + " takes " + std::to_string(wanted) +
                             " argument" + (wanted == 1 ? "" : "s") + ", not " +
                             std::to_string(arguments.size()) + " as in its use of " +
                             std::string(name.Text));
    return Status::Ok();
}

Expected<std::vector<PpToken>>
MacroExpander::Substitute(const MacroDefinition& macro,
                          const std::vector<std::vector<PpToken>>& arguments, std::size_t depth) {
    const std::vector<PpToken>& body = macro.Tokens;
    auto parameter = [&](const PpToken& token) -> int {
        if (!macro.FunctionLike || token.Type != Kind::Identifier)
            return -1;
        for (std::size_t p = 0; p < macro.Parameters.size(); ++p)
            if (macro.Parameters[p] == token.Text)
                return static_cast<int>(p);
        return -1;
    };
    auto append = [](std::vector<PpToken>& out, const std::vector<PpToken>& tokens, bool space) {
        const std::size_t first = out.size();
        out.insert(out.end(), tokens.begin(), tokens.end());
        if (out.size() > first)
            out[first].SpaceBefore = space;
    };
    PpToken placemarker;
    placemarker.Type = Kind::Placemarker;
    std::vector<PpToken> out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const PpToken& token = body[i];
        const bool last = i + 1 == body.size();
        if (IsPunct(token, "#") && !last && parameter(body[i + 1]) >= 0) {
            PpToken text = Stringized(arguments[parameter(body[++i])]);
            text.SpaceBefore = token.SpaceBefore;
            out.push_back(text);
            continue;
        }
        if (IsPunct(token, "##") && !out.empty() && !last) {
            const PpToken& next = body[++i];
            std::vector<PpToken> right =
                parameter(next) >= 0 ? arguments[parameter(next)] : std::vector<PpToken>{next};
            if (right.empty())
                right.push_back(placemarker);
            const PpToken left = out.back();
            out.back() = Pasted(left, right.front());
            out.insert(out.end(), right.begin() + 1, right.end());
            continue;
        }
        const int p = parameter(token);
        if (p < 0) {
            out.push_back(token);
            out.back().Definition = &macro;
        } else if (!last && IsPunct(body[i + 1], "##")) {
            append(out, arguments[p].empty() ? std::vector<PpToken>{placemarker} : arguments[p],
                   token.SpaceBefore);
        } else {
            Expected<std::vector<PpToken>> expanded = Expanded(arguments[p], depth + 1);
            if (!expanded)
                return expanded.status();
            append(out, *expanded, token.SpaceBefore);
        }
    }
    out.erase(std::remove_if(out.begin(), out.end(),
                             [](const PpToken& t) { return t.Type == Kind::Placemarker; }),
              out.end());
    return out;
}

Expected<std::vector<PpToken>> MacroExpander::Expanded(const std::vector<PpToken>& tokens,
                                                       std::size_t depth) {
    if (depth > MaxNesting)
        return Status::Limit("macro arguments nest more than " + std::to_string(MaxNesting) +
                             " levels deep");
    Queue queue(tokens.begin(), tokens.end());
    std::vector<PpToken> out;
    for (;;) {
        PpToken token;
        bool end = false;
        if (Status stepped = Step(queue, false, depth, token, end); !stepped)
            return stepped.status();
        if (end)
            return out;
        out.push_back(token);
    }
}

PpToken MacroExpander::Stringized(const std::vector<PpToken>& argument) {
    std::string text = "\"";
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const PpToken& token = argument[i];
        if (i > 0 && token.SpaceBefore)
            text += ' ';
        const bool quoted = !token.Text.empty() &&
                            (token.Text.back() == '"' || token.Text.back() == '\'') &&
                            token.Type != Kind::Identifier;
        for (char c : token.Text) {
            if (quoted && (c == '"' || c == '\\'))
                text += '\\';
            text += c;
        }
    }
    text += '"';
    PpToken made;
    made.Type = Kind::String;
    made.Text = MadeTexts.emplace_back(std::move(text));
    return made;
}

PpToken MacroExpander::Pasted(const PpToken& left, const PpToken& right) {
    if (left.Type == Kind::Placemarker)
        return right;
    if (right.Type == Kind::Placemarker)
        return left;
    PpToken made = left;
    made.Definition = nullptr;
    made.Text = MadeTexts.emplace_back(std::string(left.Text) + std::string(right.Text));
    const std::vector<PpToken> read = TokenizeDirectiveText(made.Text);
    made.Type = read.size() == 1 ? read.front().Type : Kind::Other;
    return made;
}

std::uint32_t MacroExpander::UseFor(const PpToken& name, const MacroDefinition& macro) {
    if (name.Use != 0)
        return name.Use;
    Uses.push_back(Use{macro.Name, name.File, name.Span, 0});
    return static_cast<std::uint32_t>(FirstUse + Uses.size() - 1);
}

void MacroExpander::ForgetUsesBefore(std::uint32_t use) {
    while (FirstUse + 1 < use && Uses.size() > 1) {
        Uses.pop_front();
        ++FirstUse;
    }
}

void MacroExpander::Reach(std::uint32_t use, const PpToken& taken) {
    Use& reached = Uses[use - FirstUse];
    if (taken.Use == 0 && taken.File == reached.File && taken.Span.End > reached.Span.End)
        reached.Span.End = taken.Span.End;
}

Status MacroExpander::Count(std::uint32_t use, std::size_t tokens, const MacroDefinition& macro) {
    TotalProduced += tokens;
    Use& counted = Uses[use - FirstUse];
    counted.Produced += tokens;
    if (counted.Produced > MaxTokensPerUse)
        return Status::Limit("the macro " + counted.Macro + " expands to more than " +
                             std::to_string(MaxTokensPerUse) +
                             " tokens, more than any script needs");
    if (TotalProduced > TotalLimit)
        return Status::Limit("the script's macros expand to more than " +
                             std::to_string(TotalLimit) + " tokens in all (the last was " +
                             macro.Name + "), more than the script has bytes");
    return Status::Ok();
}

//===-- Hide sets ------------------------------------------------------===//

std::uint32_t MacroExpander::MacroId(const std::string& name) {
    return MacroIds.emplace(name, static_cast<std::uint32_t>(MacroIds.size())).first->second;
}

bool MacroExpander::Hidden(std::uint32_t set, std::uint32_t macro) const {
    const std::vector<std::uint32_t>& names = HideSets[set];
    return std::binary_search(names.begin(), names.end(), macro);
}

std::uint32_t MacroExpander::HideWith(std::uint32_t set, std::uint32_t macro) {
    if (Hidden(set, macro))
        return set;
    auto [made, added] = HideMade.emplace(std::make_pair(set, macro), 0);
    if (added) {
        std::vector<std::uint32_t> names = HideSets[set];
        names.insert(std::upper_bound(names.begin(), names.end(), macro), macro);
        HideSets.push_back(std::move(names));
        made->second = static_cast<std::uint32_t>(HideSets.size() - 1);
    }
    return made->second;
}

std::uint32_t MacroExpander::HideUnion(std::uint32_t a, std::uint32_t b) {
    if (a == b || b == 0)
        return a;
    if (a == 0)
        return b;
    std::uint32_t set = a;
    const std::vector<std::uint32_t> names = HideSets[b];
    for (std::uint32_t macro : names)
        set = HideWith(set, macro);
    return set;
}

} // namespace qm
