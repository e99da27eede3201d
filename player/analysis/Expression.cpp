#include "analysis/Expression.h"

#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// The offset of an "=" that assigns rather than compares ("<=", ">=", "!=", "=="), or
// npos. The library would assign to the name before it, which in a condition such as
// "rpm = 3000" makes it hold for every sample.
std::size_t AssignmentAt(std::string_view formula) noexcept {
    for (std::size_t i = 0; i < formula.size(); ++i) {
        if (formula[i] != '=') continue;
        const char before = i > 0 ? formula[i - 1] : '\0';
        const char after = i + 1 < formula.size() ? formula[i + 1] : '\0';
        if (before == '<' || before == '>' || before == '!' || before == '=' || after == '=') {
            continue;
        }
        return i;
    }
    return std::string_view::npos;
}

ExpressionError ErrorOf(const mu::Parser::exception_type& e, std::size_t formulaLength) {
    ExpressionError error;
    error.Message = e.GetMsg();
    // At the end of the formula the library counts one past it.
    if (e.GetPos() >= 0) {
        error.Position = std::min(e.GetPos(), static_cast<int>(formulaLength));
    }
    return error;
}

}  // namespace

std::string ExpressionError::Text() const {
    if (Position < 0 || Message.find("position") != std::string::npos) return Message;
    return Message + " (position " + std::to_string(Position) + ")";
}

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&& other) noexcept = default;
Expression& Expression::operator=(Expression&& other) noexcept = default;

Expression::Expression(const Expression& other)
    : formula_(other.formula_), names_(other.names_), nameTexts_(other.nameTexts_) {
    ExpressionError ignored;
    // The formula compiled once already.
    Bind(ignored);
}

Expression& Expression::operator=(const Expression& other) {
    if (this != &other) *this = Expression(other);
    return *this;
}

std::optional<Expression> Expression::Compile(std::string_view formula, ExpressionError& error) {
    error = {};
    if (const std::size_t at = AssignmentAt(formula); at != std::string_view::npos) {
        error.Message = "\"=\" assigns a value; compare with \"==\"";
        error.Position = static_cast<int>(at);
        return std::nullopt;
    }
    Expression expression;
    expression.formula_ = std::string(formula);
    try {
        // The names the formula uses, as far as it parses; the library's own parse with
        // only the names bound then refuses the others with its message and position.
        mu::Parser probe;
        probe.SetExpr(expression.formula_);
        for (const auto& [text, unused] : probe.GetUsedVar()) {
            const auto name = ParseExpressionName(text);
            if (!name) continue;
            expression.names_.push_back(*name);
            expression.nameTexts_.push_back(text);
        }
    } catch (const mu::Parser::exception_type& e) {
        error = ErrorOf(e, formula.size());
        return std::nullopt;
    } catch (const std::exception& e) {
        error.Message = e.what();
        return std::nullopt;
    }
    if (!expression.Bind(error)) return std::nullopt;
    return expression;
}

bool Expression::Bind(ExpressionError& error) {
    inputs_ = std::make_unique<double[]>(std::max<std::size_t>(1, names_.size()));
    try {
        auto parser = std::make_unique<mu::Parser>();
        for (std::size_t i = 0; i < nameTexts_.size(); ++i) {
            parser->DefineVar(nameTexts_[i], &inputs_[i]);
        }
        parser->SetExpr(formula_);
        // The first evaluation parses; the ones after run the compiled form.
        parser->Eval();
        if (parser->GetNumResults() != 1) {
            error.Message = "the formula gives " + std::to_string(parser->GetNumResults()) +
                            " values separated by commas; it must give one";
            return false;
        }
        parser_ = std::move(parser);
    } catch (const mu::Parser::exception_type& e) {
        error = ErrorOf(e, formula_.size());
        return false;
    } catch (const std::exception& e) {
        error.Message = e.what();
        return false;
    }
    return true;
}

double Expression::Evaluate() const noexcept {
    if (!parser_) return kNone;  // moved from
    try {
        const double value = parser_->Eval();
        return std::isfinite(value) ? value : kNone;
    } catch (...) {
        return kNone;
    }
}

}  // namespace orvane
