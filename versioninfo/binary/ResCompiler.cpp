//===- ResCompiler.cpp - A script's VERSIONINFO to a .res file ------------===//
//
// The layout is llvm-rc's: every block and value starts on a four-byte
// boundary and its length counts the padding inside it; a string value's
// length counts UTF-16 units, terminators included, a binary value's bytes.
// Adjacent strings of one item are joined, and each item ends with a NUL.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/binary/ResCompiler.h"

#include "versioninfo/document/LanguageNames.h"
#include "versioninfo/document/Tables.h"
#include "versioninfo/script/ScriptModel.h"
#include "versioninfo/support/BinaryView.h"
#include "versioninfo/support/Text.h"
#include "versioninfo/support/Unicode.h"

#include <algorithm>
#include <cctype>

namespace qm {

namespace {

/// A preprocessor line: its 0-based line, the directive and what follows.
struct Directive {
    std::size_t Line;
    std::string Name;
    std::string_view Rest;
};

std::vector<Directive> Directives(const Lines& lines) {
    std::vector<Directive> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view rest = Trim(lines[i]);
        if (rest.empty() || rest[0] != '#')
            continue;
        rest = TrimLeft(rest.substr(1));
        std::size_t end = 0;
        while (end < rest.size() && IsIdentifierChar(rest[end]))
            ++end;
        found.push_back({i, std::string(rest.substr(0, end)), rest.substr(end)});
    }
    return found;
}

Status Refused(const std::string& why);

/// What llvm-rc's preprocessor and tokenizer refuse and the reader passes
/// over: control characters (the reader ends the text at a NUL), a
/// directive that is not one of C's, an #error, an #include without its
/// quotes or brackets.
Status CheckWhatLlvmRcRefuses(const Lines& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (char c : lines[i]) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\v' && c != '\f') || byte == 0x7F)
                return Refused("line " + std::to_string(i + 1) + " holds the control character " +
                               HexOffset(byte) + ", which llvm-rc refuses");
        }
    }
    constexpr std::string_view Known[] = {"",       "include", "define", "undef", "if",     "ifdef",
                                          "ifndef", "elif",    "else",   "endif", "pragma", "line"};
    for (const auto& [line, directive, rest] : Directives(lines)) {
        const std::string where = "line " + std::to_string(line + 1);
        if (std::find(std::begin(Known), std::end(Known), directive) == std::end(Known))
            return Refused(where + ": #" + directive +
                           " is a directive the built-in compiler does not follow");
        const std::string_view argument = TrimLeft(rest);
        if (directive == "include" &&
            (argument.empty() || (argument[0] != '"' && argument[0] != '<')))
            return Refused(where + ": an #include without its \"\" or <>");
    }
    return Status::Ok();
}

/// A number token as llvm-rc's tokenizer takes it: digits, or 0x and hex
/// digits, with at most one L.
bool IsLlvmRcNumber(std::string_view text) {
    if (!text.empty() && (text.back() == 'L' || text.back() == 'l'))
        text.remove_suffix(1);
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    return !text.empty() && std::all_of(text.begin(), text.end(), [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && std::isxdigit(static_cast<unsigned char>(c)));
    });
}

Status Refused(const std::string& why) {
    return Status::Fail(why + "; compile this script with llvm-rc");
}

class ResWriter {
public:
    std::string Bytes;

    void U16(std::uint32_t value) {
        Bytes += static_cast<char>(value & 0xFF);
        Bytes += static_cast<char>((value >> 8) & 0xFF);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void Units(const std::u16string& text, bool terminator) {
        for (char16_t c : text)
            U16(c);
        if (terminator)
            U16(0);
    }
    void Pad() {
        while (Bytes.size() % 4)
            Bytes += '\0';
    }
    void Put16At(std::size_t at, std::size_t value) {
        Bytes[at] = static_cast<char>(value & 0xFF);
        Bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    }
};

class Compiler {
public:
    Compiler(const VersionScript& script, const ResCompileOptions& options)
        : Script(script), Tokens(script.Tokens.Tokens), Options(options) {}

    Expected<std::string> Run() {
        if (Status checked = CheckTopLevel(); !checked)
            return checked;
        ResWriter data;
        if (Status body = WriteVersionInfo(data); !body)
            return body;
        ResWriter res;
        // The empty entry that marks a 32-bit .res file.
        res.U32(0), res.U32(0x20), res.U32(0xFFFF), res.U32(0xFFFF);
        res.U32(0), res.U32(0), res.U32(0), res.U32(0);
        const std::size_t header = res.Bytes.size();
        res.U32(static_cast<std::uint32_t>(data.Bytes.size()));
        res.U32(0);                   // the header's size, set below
        res.U16(0xFFFF), res.U16(16); // RT_VERSION
        if (Status named = WriteName(res); !named)
            return named;
        res.Pad();
        res.U32(0); // data version
        res.U16(Script.MemoryFlags);
        res.U16(Language);
        res.U32(0), res.U32(0); // version, characteristics
        const std::size_t headerSize = res.Bytes.size() - header;
        res.Put16At(header + 4, headerSize);
        res.Bytes += data.Bytes;
        res.Pad();
        return res.Bytes;
    }

private:
    std::string Line(std::size_t token) const { return Script.Tokens.Where(Tokens[token]); }

    // Outside the resource only LANGUAGE statements may stand: the last one
    // before it gives its language.
    Status CheckTopLevel() {
        ResourceEnd = Script.EndToken;
        Language = Options.Language;
        for (std::size_t i = 0; i < Tokens.size();) {
            if (i == Script.NameToken) {
                i = ResourceEnd;
                continue;
            }
            std::optional<std::uint16_t> language = LanguageStatementAt(Tokens, i);
            if (!language && EqualsIgnoringCase(Tokens[i].Text, "LANGUAGE"))
                return Refused(Line(i) + ": a LANGUAGE statement other than two numbers or "
                                         "names of winnt.h");
            if (!language)
                return Refused(Line(i) + ": \"" + StatementStart(i) +
                               "\" begins a statement or resource other than the "
                               "VERSIONINFO, which only llvm-rc compiles");
            if (i < Script.NameToken)
                Language = *language;
            i += 4;
        }
        return Status::Ok();
    }

    /// A statement's first words: a resource's name and its type.
    std::string StatementStart(std::size_t i) const {
        std::string start(Tokens[i].Text);
        if (i + 1 < Tokens.size() && Tokens[i + 1].Kind == TokenKind::Word)
            start += " " + std::string(Tokens[i + 1].Text);
        return start;
    }

    // A name is a number only where a macro makes it one: VS_VERSION_INFO
    // is 1 where winver.h (or a header including it) is included, and the
    // name "VS_VERSION_INFO" where it is not, as llvm-rc reads it.
    Status WriteName(ResWriter& res) const {
        const ScriptToken& name = Tokens[Script.NameToken];
        if (name.Kind == TokenKind::Number) {
            const auto value = ScriptNumberValue(name.Text);
            if (!value || *value > 0xFFFF)
                return Refused(Line(Script.NameToken) + ": the resource name \"" +
                               std::string(name.Text) + "\" is no 16-bit number");
            res.U16(0xFFFF), res.U16(static_cast<std::uint32_t>(*value));
            return Status::Ok();
        }
        const bool identifier = name.Kind == TokenKind::Word && !name.Text.empty() &&
                                !(name.Text[0] >= '0' && name.Text[0] <= '9') &&
                                std::all_of(name.Text.begin(), name.Text.end(), IsIdentifierChar);
        if (identifier) {
            if (const auto known = name.Known ? WinverValue(name.Text) : std::nullopt) {
                res.U16(0xFFFF), res.U16(*known & 0xFFFF);
                return Status::Ok();
            }
            std::u16string upper;
            for (char c : name.Text)
                upper += static_cast<char16_t>(std::toupper(static_cast<unsigned char>(c)));
            res.Units(upper, true);
            return Status::Ok();
        }
        return Refused(Line(Script.NameToken) + ": the resource name " + std::string(name.Text) +
                       " is not a number or a name");
    }

    Status WriteVersionInfo(ResWriter& out) {
        const ScriptCompiled compiled = CompileScriptModel(Script);
        for (const FixedStatement& statement : Script.Fixed)
            for (const ScriptNumber& number : statement.Numbers)
                if (Status defined = CheckDefined(statement.Keyword, number); !defined)
                    return defined;
        const std::size_t start = out.Bytes.size();
        out.U16(0), out.U16(52), out.U16(0);
        out.Units(u"VS_VERSION_INFO", true);
        out.Pad();
        const FixedFileInfo& f = compiled.Info.Fixed;
        for (std::uint32_t value :
             {f.Signature, f.StrucVersion, f.FileVersionMS, f.FileVersionLS, f.ProductVersionMS,
              f.ProductVersionLS, f.FileFlagsMask, f.FileFlags, f.FileOS, f.FileType, f.FileSubtype,
              f.FileDateMS, f.FileDateLS})
            out.U32(value);
        for (const ScriptNode& node : Script.Body)
            if (Status written = WriteNode(out, node); !written)
                return written;
        return SetLength(out, start, "VS_VERSION_INFO");
    }

    // A number needs every name it uses defined. winver.h's names are known
    // even where the script does not include it.
    static Status CheckDefined(const std::string& field, const ScriptNumber& number) {
        if (!number.Value)
            return Refused(field + " needs " + number.Unknown +
                           ", which neither the script nor a header it includes defines");
        return Status::Ok();
    }

    Status SetLength(ResWriter& out, std::size_t start, const std::string& what) const {
        const std::size_t length = out.Bytes.size() - start;
        if (length > 0xFFFF)
            return Status::Fail(what + " is " + std::to_string(length) +
                                " bytes long; a version resource block holds at most 65,535");
        out.Put16At(start, length);
        return Status::Ok();
    }

    Expected<std::u16string> StringOf(std::size_t token) const {
        Expected<std::u16string> text = CompileStringToken(Tokens[token].Text, Options.CodePage);
        if (!text)
            return Status::Fail(Line(token) + ": " + text.message());
        return text;
    }

    Status WriteNode(ResWriter& out, const ScriptNode& node) {
        out.Pad();
        const std::size_t start = out.Bytes.size();
        const std::size_t nameToken = node.Value ? node.Value->KeyToken : node.NameToken;
        Expected<std::u16string> name = StringOf(nameToken);
        if (!name)
            return Status::Fail(name.message());
        if (!node.Value) {
            out.U16(0), out.U16(0), out.U16(1);
            out.Units(*name, true);
            out.Pad();
            for (const ScriptNode& child : node.Children)
                if (Status written = WriteNode(out, child); !written)
                    return written;
            return SetLength(out, start, "BLOCK \"" + std::string(Tokens[nameToken].Text) + "\"");
        }
        const ValueStatement& value = *node.Value;
        const std::string label = Line(nameToken) + ": VALUE \"" + value.Key + "\"";
        if (!value.Resolved)
            return Refused(label + " needs " + value.Unknown +
                           ", which is not defined in the script");
        const bool text = value.Items.front().StringTokens.size() > 0;
        out.U16(0), out.U16(0), out.U16(text ? 1 : 0);
        out.Units(*name, true);
        out.Pad();
        const std::size_t data = out.Bytes.size();
        for (const ValueItem& item : value.Items) {
            if (item.StringTokens.empty() == text)
                return Status::Fail(label +
                                    " holds both strings and numbers, which llvm-rc refuses");
            if (text) {
                for (std::size_t token : item.StringTokens) {
                    Expected<std::u16string> piece = StringOf(token);
                    if (!piece)
                        return Status::Fail(piece.message());
                    out.Units(*piece, false);
                }
                out.U16(0);
                continue;
            }
            const ScriptNumber& number = value.Numbers[item.Number];
            if (Status defined = CheckDefined(label, number); !defined)
                return defined;
            if (item.TokenCount != 1)
                return Status::Fail(label +
                                    ": llvm-rc takes only plain numbers in a VALUE, not \"" +
                                    std::string(Script.Text(number.Span)) + "\"");
            if (number.Long) {
                out.U32(*number.Value);
            } else if (*number.Value > 0xFFFF) {
                return Status::Fail(label + ": " + std::to_string(*number.Value) +
                                    " does not fit in 16 bits (write it with an L suffix)");
            } else {
                out.U16(*number.Value);
            }
        }
        const std::size_t length = out.Bytes.size() - data;
        out.Put16At(start + 2, text ? length / 2 : length);
        return SetLength(out, start, "VALUE \"" + value.Key + "\"");
    }

    const VersionScript& Script;
    const std::vector<ScriptToken>& Tokens;
    const ResCompileOptions& Options;
    std::size_t ResourceEnd = 0; ///< the first token after the resource
    std::uint16_t Language = 0;
};

// What the preprocessor and tokenizer of llvm-rc refuse, in each file read.
Status CheckFilesRead(const VersionScript& model, std::string_view script) {
    if (Status refused = CheckWhatLlvmRcRefuses(SplitLines(script)); !refused)
        return refused;
    for (std::size_t file = 1; file < model.Tokens.Files.size(); ++file) {
        const ScriptFile& read = model.Tokens.Files[file];
        if (Status refused = CheckWhatLlvmRcRefuses(SplitLines(read.Text)); !refused)
            return Status::Fail(read.Path + ", " + refused.message());
    }
    for (const ScriptInclude& include : model.Tokens.Includes)
        if (include.How == ScriptInclude::Outcome::Missing)
            return Refused(model.Tokens.Where(include.From, include.Offset) + ": the header \"" +
                           include.Name +
                           "\" is not found beside the script or in the include folders");
    return Status::Ok();
}

} // namespace

Expected<std::string> CompileVersionResource(std::string_view script,
                                             const ResCompileOptions& options) {
    if (const std::string fault = Utf16ScriptFault(script); !fault.empty())
        return Status::Fail(fault);
    // Visual Studio saves a script with non-ASCII text as UTF-16, which
    // rc.exe reads as text: its narrow strings are that text, as a UTF-8
    // copy under code page 65001 gives them (llvm-rc reads only the copy).
    if (const std::optional<std::string> utf8 = Utf8OfUtf16Script(script)) {
        ResCompileOptions asUtf8 = options;
        asUtf8.CodePage = ScriptCodePage::Utf8;
        return CompileVersionResource(*utf8, asUtf8);
    }
    if (script.size() >= 2 && script[0] == '\xFE' && script[1] == '\xFF')
        return Refused("the script is big-endian UTF-16, which no resource compiler reads");
    // Before the parse, which stops at a NUL and would then miss what follows.
    if (const std::size_t nul = script.find('\0'); nul != std::string_view::npos)
        return Refused("the script holds a NUL byte at offset " + HexOffset(nul) +
                       ", after which the reader stops and llvm-rc does not");
    PreprocessOptions preprocess = options.Preprocess;
    preprocess.ReadIncludes = true;
    Expected<VersionScript> model = ParseVersionScript(script, preprocess);
    if (!model)
        return Status::Fail(model.message());
    if (Status refused = CheckFilesRead(*model, script); !refused)
        return refused;
    for (const ScriptToken& token : model->Tokens.Tokens)
        if (token.Kind == TokenKind::Number && !IsLlvmRcNumber(token.Text))
            return Refused("\"" + std::string(token.Text) + "\" is no number llvm-rc reads");
    // A group that leaves no tokens (no #else) must be settled as well: its
    // branch may hold what llvm-rc compiles.
    if (!model->Tokens.Undetermined.empty())
        return Refused("a condition tests " + model->Tokens.Undetermined.front().Name +
                       ", which llvm-rc's preprocessor may define for its target or a header "
                       "may define");
    return Compiler(*model, options).Run();
}

} // namespace qm
