//===- MacroExpander.h - The C preprocessor's macros, within bounds -*- C++ -*-===//
//
// Resource compilers run the C preprocessor over a script before they read
// it, so its macros expand as C's do: object-like and function-like, with
// # and ##, arguments expanded before they are put in, and each expansion
// rescanned without expanding a macro inside itself again.
//
// Expansion is bounded, because a few lines can ask for more than any
// machine holds (#define A1 A0 A0, #define A2 A1 A1, ...): one use of a
// macro may produce at most MaxTokensPerUse tokens, all uses together at
// most a total given by the caller, and macros may nest at most
// MaxNesting deep. Past a bound the expansion fails, naming the macro.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/script/ScriptLexer.h"
#include "versioninfo/support/Status.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm {

/// A preprocessing token. One that stands in the source keeps its place
/// there (`File`, `Span`); one an expansion made names the expansion
/// (`Use`), whose place is that of the macro's use.
struct PpToken {
    enum class Kind : std::uint8_t { Identifier, Number, String, Punct, Other, Placemarker };
    Kind Type = Kind::Other;
    bool SpaceBefore = false;
    std::uint16_t File = 0;
    std::uint32_t Hide = 0; ///< the macros it may not expand again (a hide set)
    std::uint32_t Use = 0;  ///< 0: a token of the source, else its expansion's number
    std::string_view Text;
    ScriptSpan Span;
    /// The definition whose body this token is, as written there; null for
    /// a token of the source or one an expansion made (pasted, stringized).
    const struct MacroDefinition* Definition = nullptr;
};

/// The C tokens of directive text: a #define's body, an #if's expression.
std::vector<PpToken> TokenizeDirectiveText(std::string_view text);

/// The macros of winver.h (VS_, VOS_, VFT_, VFT2_ names) and of winnt.h
/// (LANG_, SUBLANG_), which the program knows without reading the headers.
enum class KnownNames : std::uint8_t { None = 0, Winver = 1, Winnt = 2 };

struct MacroDefinition {
    std::string Name;
    bool FunctionLike = false;
    bool Variadic = false;
    /// One of the names the program knows (`KnownNames`): in resource text
    /// it stays a name, for the parser to read; in #if it has its value.
    bool Known = false;
    std::vector<std::string> Parameters; ///< a variadic one last, as __VA_ARGS__
    std::string Body;                    ///< the text its tokens point into
    std::vector<PpToken> Tokens;
    /// Where the body stands in its file, when the #define line holds it as
    /// Body is (no joined lines or comments in it): a token's Span, moved
    /// by BodyOffset, is then its place in that file. None for a name the
    /// program knows or one the command line defines.
    std::uint16_t File = 0;
    std::optional<std::size_t> BodyOffset;
};

/// The macros in force. Definitions are kept alive while an expansion may
/// still point into them.
class MacroTable {
public:
    /// More macros than any script and its headers define.
    static constexpr std::size_t MaxMacros = 1u << 16;

    /// Defines from the text after "#define"; false when it names nothing.
    /// Fails past MaxMacros. `offset` is where `directive` stands in file
    /// `file`, when it stands there as given.
    Expected<bool> Define(std::string_view directive, std::uint16_t file = 0,
                          std::optional<std::size_t> offset = std::nullopt);
    void Undefine(std::string_view name);
    /// The definition in force, or null.
    const MacroDefinition* Find(std::string_view name) const;
    /// Makes the names of a known header defined.
    void Know(KnownNames names);
    /// Lets definitions replaced or removed go, once nothing points into them.
    void ForgetRetired() { Retired.clear(); }
    /// Records a use of `macro`, by its name, at `site`.
    void NoteUse(const MacroDefinition& macro, MacroSite site) const {
        MacroUseSites& uses = Uses[macro.Name];
        if (++uses.Count <= MacroUseSites::Kept)
            uses.First.push_back(site);
    }
    /// Where each macro was used, in text and conditions alike.
    const std::map<std::string, MacroUseSites, std::less<>>& UseSites() const { return Uses; }

private:
    // Ordered maps: they look up a std::string_view without copying it.
    std::map<std::string, std::unique_ptr<MacroDefinition>, std::less<>> Current;
    std::vector<std::unique_ptr<MacroDefinition>> Retired;
    std::map<std::string, bool, std::less<>> Removed; ///< known names #undef'd
    unsigned KnownSets = 0;
    mutable std::map<std::string, std::unique_ptr<MacroDefinition>, std::less<>> KnownMade;
    mutable std::map<std::string, MacroUseSites, std::less<>> Uses;
};

class MacroExpander {
public:
    static constexpr std::size_t MaxTokensPerUse = 1u << 16;
    static constexpr std::size_t MaxNesting = 256;

    /// The next token of the source: false at its end, or with `failure`
    /// set when reading it failed.
    using Source = std::function<bool(PpToken&, Status& failure)>;

    /// An expansion of a macro used in the source, and where it stands.
    struct Use {
        std::string Macro;
        std::uint16_t File = 0;
        ScriptSpan Span; ///< from the macro's name to the last source token it took
        std::size_t Produced = 0;
    };

    /// Expands what `source` gives (or nothing, for ExpandList), with at
    /// most `totalTokens` tokens made by all expansions together.
    MacroExpander(const MacroTable& macros, std::size_t totalTokens, Source source = {});

    /// The next token after expansion; false at the end or on a failure,
    /// which then says why.
    bool Next(PpToken& token, Status& failure);
    /// Every token of `tokens`, expanded; `inDirective` keeps known names'
    /// values (an #if's expression).
    Expected<std::vector<PpToken>> ExpandList(std::vector<PpToken> tokens, bool inDirective);

    const Use& UseOf(std::uint32_t use) const { return Uses[use - FirstUse]; }
    /// Lets the uses before `use` go: their tokens have all been taken.
    void ForgetUsesBefore(std::uint32_t use);
    /// True when no expansion is under way and the expander holds no token,
    /// so that nothing points into a definition that a directive replaces.
    bool Idle() const { return Pending.empty() && !Holding; }

private:
    using Queue = std::deque<PpToken>;
    struct Arguments;

    Status Step(Queue& pending, bool fromSource, std::size_t depth, PpToken& out, bool& end);
    bool Pull(Queue& pending, bool fromSource, Status& failure);
    Status Invoke(const MacroDefinition& macro, PpToken name, Queue& pending, bool fromSource,
                  std::size_t depth);
    Status CollectArguments(const MacroDefinition& macro, const PpToken& name, Queue& pending,
                            bool fromSource, std::vector<std::vector<PpToken>>& arguments,
                            PpToken& closing);
    Expected<std::vector<PpToken>> Substitute(const MacroDefinition& macro,
                                              const std::vector<std::vector<PpToken>>& arguments,
                                              std::size_t depth);
    Expected<std::vector<PpToken>> Expanded(const std::vector<PpToken>& tokens, std::size_t depth);
    PpToken Stringized(const std::vector<PpToken>& argument);
    PpToken Pasted(const PpToken& left, const PpToken& right);
    std::uint32_t UseFor(const PpToken& name, const MacroDefinition& macro);
    void Reach(std::uint32_t use, const PpToken& taken);
    Status Count(std::uint32_t use, std::size_t tokens, const MacroDefinition& macro);

    std::uint32_t HideWith(std::uint32_t set, std::uint32_t macro);
    std::uint32_t HideUnion(std::uint32_t a, std::uint32_t b);
    bool Hidden(std::uint32_t set, std::uint32_t macro) const;
    std::uint32_t MacroId(const std::string& name);

    const MacroTable& Macros;
    Source Read;
    Queue Pending;
    bool InDirective = false;
    std::size_t TotalLimit;
    std::size_t TotalProduced = 0;
    std::deque<Use> Uses{Use{}};
    std::uint32_t FirstUse = 0; ///< the number of Uses.front()
    bool Holding = false;       ///< a token is held while the source is read
    std::vector<std::vector<std::uint32_t>> HideSets{{}};
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> HideMade;
    std::unordered_map<std::string, std::uint32_t> MacroIds;
    std::deque<std::string> MadeTexts; ///< texts of pasted and stringized tokens
};

} // namespace qm
