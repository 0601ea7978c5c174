//===- ScriptConditions.cpp - The integer expressions of #if and #elif -----===//
//
// Precedence climbing over the expanded tokens, with the C preprocessor's
// operators and precedence. Values are computed as unsigned 64-bit numbers
// and read as signed where C reads them so, which keeps overflow defined.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/script/ScriptConditions.h"

#include "versioninfo/support/Text.h"

#include <climits>

namespace qm {

namespace {

using U = unsigned long long;

class ConditionEvaluator {
public:
    explicit ConditionEvaluator(const std::vector<PpToken>& tokens) : Tokens(tokens) {}

    Expected<long long> Evaluate() {
        const U value = Conditional();
        if (TooDeep)
            return Status::Limit("the condition \"" + Text() + "\" nests more than " +
                                 std::to_string(MaxConditionNesting) + " levels deep");
        if (Failed || At < Tokens.size())
            return Status::Parse("can't evaluate the condition \"" + Text() + "\"");
        return static_cast<long long>(value);
    }

private:
    // The expression as a message quotes it: a long one is cut short.
    std::string Text() const {
        constexpr std::size_t Shown = 80;
        std::string text;
        for (const PpToken& token : Tokens) {
            text += (text.empty() || !token.SpaceBefore ? "" : " ") + std::string(token.Text);
            if (text.size() > Shown)
                return text.substr(0, Shown) + "...";
        }
        return text;
    }

    bool Take(std::string_view op) {
        if (At < Tokens.size() && Tokens[At].Type == PpToken::Kind::Punct &&
            Tokens[At].Text == op) {
            ++At;
            return true;
        }
        return false;
    }

    // Each nested level costs a frame of the call stack: the count keeps a
    // hostile expression from using it up.
    struct Level {
        explicit Level(ConditionEvaluator& e) : Evaluator(e) {
            if (++Evaluator.Depth > MaxConditionNesting)
                Evaluator.TooDeep = Evaluator.Failed = true;
        }
        ~Level() { --Evaluator.Depth; }
        ConditionEvaluator& Evaluator;
    };

    U Conditional() {
        Level level(*this);
        if (Failed)
            return 0;
        const U condition = LogicalOr();
        if (!Take("?"))
            return condition;
        const U whenTrue = Conditional();
        if (!Take(":"))
            Failed = true;
        const U whenFalse = Conditional();
        return condition ? whenTrue : whenFalse;
    }
    U LogicalOr() {
        U value = LogicalAnd();
        while (Take("||")) {
            const U rhs = LogicalAnd();
            value = value || rhs;
        }
        return value;
    }
    U LogicalAnd() {
        U value = BitOr();
        while (Take("&&")) {
            const U rhs = BitOr();
            value = value && rhs;
        }
        return value;
    }
    U BitOr() {
        U value = BitXor();
        while (Take("|"))
            value |= BitXor();
        return value;
    }
    U BitXor() {
        U value = BitAnd();
        while (Take("^"))
            value ^= BitAnd();
        return value;
    }
    U BitAnd() {
        U value = Equality();
        while (Take("&"))
            value &= Equality();
        return value;
    }
    U Equality() {
        U value = Relational();
        for (;;) {
            if (Take("=="))
                value = value == Relational();
            else if (Take("!="))
                value = value != Relational();
            else
                return value;
        }
    }
    static long long Signed(U value) { return static_cast<long long>(value); }
    U Relational() {
        U value = Shift();
        for (;;) {
            if (Take("<="))
                value = Signed(value) <= Signed(Shift());
            else if (Take(">="))
                value = Signed(value) >= Signed(Shift());
            else if (Take("<"))
                value = Signed(value) < Signed(Shift());
            else if (Take(">"))
                value = Signed(value) > Signed(Shift());
            else
                return value;
        }
    }
    U Shift() {
        U value = Additive();
        for (;;) {
            if (Take("<<"))
                value <<= (Additive() & 63);
            else if (Take(">>"))
                value = static_cast<U>(Signed(value) >> (Additive() & 63));
            else
                return value;
        }
    }
    U Additive() {
        U value = Multiplicative();
        for (;;) {
            if (Take("+"))
                value += Multiplicative();
            else if (Take("-"))
                value -= Multiplicative();
            else
                return value;
        }
    }
    U Multiplicative() {
        U value = Unary();
        for (;;) {
            const bool multiply = Take("*");
            const bool divide = !multiply && Take("/");
            if (!multiply && !divide && !Take("%"))
                return value;
            const U rhs = Unary();
            if (multiply) {
                value *= rhs;
            } else if (rhs == 0 || (Signed(rhs) == -1 && Signed(value) == LLONG_MIN)) {
                Failed = true;
                return 0;
            } else {
                value = static_cast<U>(divide ? Signed(value) / Signed(rhs)
                                              : Signed(value) % Signed(rhs));
            }
        }
    }
    U Unary() {
        Level level(*this);
        if (Failed)
            return 0;
        if (Take("!"))
            return !Unary();
        if (Take("~"))
            return ~Unary();
        if (Take("-"))
            return U(0) - Unary();
        if (Take("+"))
            return Unary();
        return Primary();
    }
    U Primary() {
        if (Take("(")) {
            const U value = Conditional();
            if (!Take(")"))
                Failed = true;
            return value;
        }
        if (At >= Tokens.size()) {
            Failed = true;
            return 0;
        }
        const PpToken& token = Tokens[At++];
        if (token.Type == PpToken::Kind::Identifier)
            return 0; // a name no macro gives a value
        if (token.Type != PpToken::Kind::Number) {
            Failed = true;
            return 0;
        }
        return Number(token.Text);
    }
    U Number(std::string_view text) {
        if (!text.empty() && text.back() == '\'')
            return Character(text);
        while (!text.empty() &&
               std::string_view("uUlL").find(text.back()) != std::string_view::npos)
            text.remove_suffix(1);
        const std::optional<std::uint64_t> value = IntegerValue(text);
        if (!value)
            Failed = true;
        return value.value_or(0);
    }
    static std::optional<std::uint64_t> IntegerValue(std::string_view digits) {
        unsigned base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            digits.remove_prefix(2);
        } else if (digits.size() > 1 && digits[0] == '0') {
            base = 8;
            digits.remove_prefix(1);
        }
        if (digits.empty())
            return std::nullopt;
        U value = 0;
        for (char c : digits) {
            const unsigned digit = IsAsciiDigit(c)          ? unsigned(c - '0')
                                   : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                   : (c >= 'A' && c <= 'F') ? unsigned(c - 'A' + 10)
                                                            : 99;
            if (digit >= base)
                return std::nullopt;
            value = value * base + digit; // wraps as the preprocessor's does
        }
        return value;
    }
    // 'a', '\n', '\x41': the value of the character, as a byte.
    U Character(std::string_view text) {
        text = text.substr(text.find('\'') + 1);
        text.remove_suffix(1);
        if (text.empty()) {
            Failed = true;
            return 0;
        }
        if (text[0] != '\\')
            return static_cast<unsigned char>(text[0]);
        constexpr char Pairs[] = "n\nt\tr\r0\0\\\\''\"\"a\ab\bf\fv\v";
        const std::string_view Simple(Pairs, sizeof Pairs - 1);
        if (text.size() == 2)
            for (std::size_t i = 0; i + 1 < Simple.size(); i += 2)
                if (Simple[i] == text[1])
                    return static_cast<unsigned char>(Simple[i + 1]);
        const bool hex = text.size() > 2 && text[1] == 'x';
        const std::optional<std::uint64_t> value = IntegerValue(
            hex ? "0x" + std::string(text.substr(2)) : "0" + std::string(text.substr(1)));
        if (!value)
            Failed = true;
        return value.value_or(0) & 0xFF;
    }

    const std::vector<PpToken>& Tokens;
    std::size_t At = 0;
    int Depth = 0;
    bool Failed = false;
    bool TooDeep = false;
};

} // namespace

Expected<long long> EvaluateCondition(const std::vector<PpToken>& tokens) {
    return ConditionEvaluator(tokens).Evaluate();
}

} // namespace qm
