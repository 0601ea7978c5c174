//===- ScriptConditions.cpp - The integer expressions of #if and #elif -----===//
//
// Precedence climbing over the text of the directive, with the C
// preprocessor's operators and precedence.
//
//===----------------------------------------------------------------------===//
#include "versioninfo/ScriptConditions.h"

#include "versioninfo/Text.h"

namespace qm {

namespace {

// Integer expressions of #if and #elif, with the C preprocessor's operators
// and precedence. A name the script does not define counts as 0, as it does
// for the preprocessor.
class ConditionEvaluator {
public:
    ConditionEvaluator(std::string_view text, const ScriptMacros& macros, int depth = 0)
        : Text(text), Macros(macros), Depth(depth) {}

    Expected<long long> Evaluate() {
        long long value = Conditional();
        SkipSpace();
        if (Failed || At < Text.size())
            return Status::Fail("can't evaluate the condition \"" + std::string(Trim(Text)) + "\"");
        return value;
    }

private:
    void SkipSpace() {
        while (At < Text.size() && IsBlank(Text[At]))
            ++At;
    }
    bool Take(std::string_view op) {
        SkipSpace();
        if (Text.substr(At, op.size()) != op)
            return false;
        At += op.size();
        return true;
    }
    // Takes a one-character operator that is not the start of a longer one.
    bool TakeSingle(char op, std::string_view notFollowedBy) {
        SkipSpace();
        if (At >= Text.size() || Text[At] != op)
            return false;
        if (At + 1 < Text.size() && notFollowedBy.find(Text[At + 1]) != std::string_view::npos)
            return false;
        ++At;
        return true;
    }

    long long Conditional() {
        long long condition = LogicalOr();
        if (!Take("?"))
            return condition;
        long long whenTrue = Conditional();
        if (!Take(":"))
            Failed = true;
        long long whenFalse = Conditional();
        return condition ? whenTrue : whenFalse;
    }
    long long LogicalOr() {
        long long value = LogicalAnd();
        while (Take("||")) {
            long long rhs = LogicalAnd();
            value = value || rhs;
        }
        return value;
    }
    long long LogicalAnd() {
        long long value = BitOr();
        while (Take("&&")) {
            long long rhs = BitOr();
            value = value && rhs;
        }
        return value;
    }
    long long BitOr() {
        long long value = BitXor();
        while (TakeSingle('|', "|"))
            value |= BitXor();
        return value;
    }
    long long BitXor() {
        long long value = BitAnd();
        while (TakeSingle('^', ""))
            value ^= BitAnd();
        return value;
    }
    long long BitAnd() {
        long long value = Equality();
        while (TakeSingle('&', "&"))
            value &= Equality();
        return value;
    }
    long long Equality() {
        long long value = Relational();
        for (;;) {
            if (Take("=="))
                value = value == Relational();
            else if (Take("!="))
                value = value != Relational();
            else
                return value;
        }
    }
    long long Relational() {
        long long value = Shift();
        for (;;) {
            if (Take("<="))
                value = value <= Shift();
            else if (Take(">="))
                value = value >= Shift();
            else if (TakeSingle('<', "<"))
                value = value < Shift();
            else if (TakeSingle('>', ">"))
                value = value > Shift();
            else
                return value;
        }
    }
    long long Shift() {
        long long value = Additive();
        for (;;) {
            if (Take("<<"))
                value = static_cast<long long>(static_cast<unsigned long long>(value)
                                               << (Additive() & 63));
            else if (Take(">>"))
                value >>= (Additive() & 63);
            else
                return value;
        }
    }
    long long Additive() {
        long long value = Multiplicative();
        for (;;) {
            if (TakeSingle('+', ""))
                value += Multiplicative();
            else if (TakeSingle('-', ""))
                value -= Multiplicative();
            else
                return value;
        }
    }
    long long Multiplicative() {
        long long value = Unary();
        for (;;) {
            if (TakeSingle('*', "")) {
                value *= Unary();
            } else if (TakeSingle('/', "") || TakeSingle('%', "")) {
                const bool divide = Text[At - 1] == '/';
                long long rhs = Unary();
                if (rhs == 0) {
                    Failed = true;
                    return 0;
                }
                value = divide ? value / rhs : value % rhs;
            } else {
                return value;
            }
        }
    }
    long long Unary() {
        if (TakeSingle('!', "="))
            return !Unary();
        if (TakeSingle('~', ""))
            return ~Unary();
        if (TakeSingle('-', ""))
            return -Unary();
        if (TakeSingle('+', ""))
            return Unary();
        return Primary();
    }
    long long Primary() {
        SkipSpace();
        if (Take("(")) {
            long long value = Conditional();
            if (!Take(")"))
                Failed = true;
            return value;
        }
        if (At < Text.size() && IsAsciiDigit(Text[At]))
            return Number();
        std::string name = Identifier();
        if (name.empty()) {
            Failed = true;
            return 0;
        }
        if (name == "defined") {
            const bool parenthesised = Take("(");
            SkipSpace();
            std::string macro = Identifier();
            if (macro.empty() || (parenthesised && !Take(")")))
                Failed = true;
            return Macros.count(macro) ? 1 : 0;
        }
        auto found = Macros.find(name);
        if (found == Macros.end() || found->second.FunctionLike || Depth > 32)
            return 0;
        Expected<long long> value =
            ConditionEvaluator(found->second.Body, Macros, Depth + 1).Evaluate();
        return value ? *value : 0;
    }
    long long Number() {
        std::size_t start = At;
        while (At < Text.size() && IsIdentifierChar(Text[At]))
            ++At;
        std::string digits(Text.substr(start, At - start));
        while (!digits.empty() && std::string_view("uUlL").find(digits.back()) != std::string::npos)
            digits.pop_back();
        try {
            std::size_t used = 0;
            long long value = static_cast<long long>(std::stoull(digits, &used, 0));
            if (used == digits.size())
                return value;
        } catch (const std::exception&) {
        }
        Failed = true;
        return 0;
    }
    std::string Identifier() {
        std::size_t start = At;
        while (At < Text.size() && IsIdentifierChar(Text[At]))
            ++At;
        return std::string(Text.substr(start, At - start));
    }

    std::string_view Text;
    const ScriptMacros& Macros;
    int Depth;
    std::size_t At = 0;
    bool Failed = false;
};

} // namespace

Expected<long long> EvaluateCondition(std::string_view text, const ScriptMacros& macros) {
    return ConditionEvaluator(text, macros).Evaluate();
}

} // namespace qm
