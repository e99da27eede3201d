#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ExpressionName.h"

namespace mu {
class Parser;
}

namespace orvane {

// Why a formula cannot be used.
struct ExpressionError {
    std::string Message;  // the expression library's message, or why the formula is refused
    int Position = -1;    // offset of the character where the error was found; -1: none

    // The message, with the position when the message does not already give it:
    // "Unexpected token "foo" found at position 4.", "Missing parenthesis (position 9)".
    std::string Text() const;
};

// One formula over the names of ExpressionName (a computed item, or a filter's
// condition), compiled by the muparser library: its operators (+ - * / ^, comparisons,
// && || and ?:), constants (_pi, _e) and functions (sqrt, abs, min, max, sum, avg, rint,
// sign, exp, ln, log10, sin, ...).
//
// The caller sets the value of each name the formula uses (Names()) and evaluates it.
// An Expression is for one thread at a time; a copy is independent of the original.
class Expression {
public:
    // Compiles `formula`. nullopt with the reason in `error` when it does not parse,
    // uses a name that is neither one of ExpressionName's nor the library's, calls a
    // function with the wrong number of arguments, assigns with "=" (a comparison is
    // "=="), or gives more than one value ("a, b").
    static std::optional<Expression> Compile(std::string_view formula, ExpressionError& error);

    Expression(const Expression& other);
    Expression& operator=(const Expression& other);
    Expression(Expression&& other) noexcept;
    Expression& operator=(Expression&& other) noexcept;
    ~Expression();

    const std::string& Formula() const noexcept { return formula_; }

    // The names the formula uses, each once.
    const std::vector<ExpressionName>& Names() const noexcept { return names_; }

    // Sets the value of Names()[index] for the evaluations that follow.
    void SetInput(std::size_t index, double value) noexcept { inputs_[index] = value; }

    // The formula's value for the inputs set. NaN where it has none: a division by zero,
    // the square root of a negative number, any other result that is not a finite number.
    double Evaluate() const noexcept;

private:
    Expression();
    // Makes the parser of formula_ with its names bound to inputs_; false (with the
    // reason) when the formula cannot be used.
    bool Bind(ExpressionError& error);

    std::string formula_;
    std::vector<ExpressionName> names_;
    std::vector<std::string> nameTexts_;  // as the formula writes them ("c33" or "rpm")
    std::unique_ptr<double[]> inputs_;
    std::unique_ptr<mu::Parser> parser_;
};

}  // namespace orvane
