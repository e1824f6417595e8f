#include "Game/core/foundation/DesignerEquation.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Engine/Engine.h"

namespace GAME {

// ---- Operator kinds ---------------------------------------------------------------------

namespace {

// The float operators: both operands are always evaluated. Arithmetic faults are not caught:
// a division by zero gives an infinity, a negative base with a fractional power a NaN.
template <float (*Combine)(float, float)>
class EqArithmeticOperator final : public EqOperator<float> {
public:
    float Evaluate() const override
    {
        return ApplyUnary(Combine(m_left->Evaluate(), m_right->Evaluate()));
    }
};

float AddValues(float left, float right) { return left + right; }
float SubtractValues(float left, float right) { return left - right; }
float MultiplyValues(float left, float right) { return left * right; }
float DivideValues(float left, float right) { return left / right; }
float PowerValues(float left, float right) { return std::pow(left, right); }

using EqOperator_Add = EqArithmeticOperator<&AddValues>;
using EqOperator_Subtract = EqArithmeticOperator<&SubtractValues>;
using EqOperator_Multiply = EqArithmeticOperator<&MultiplyValues>;
using EqOperator_Divide = EqArithmeticOperator<&DivideValues>;
using EqOperator_Power = EqArithmeticOperator<&PowerValues>;

// The right operand is evaluated only when the left one does not decide the result, so a
// quest condition can guard a costly or absent variable behind a cheap one.
class EqOperator_And final : public EqOperator<bool> {
public:
    bool Evaluate() const override { return ApplyUnary(m_left->Evaluate() && m_right->Evaluate()); }
};

class EqOperator_Or final : public EqOperator<bool> {
public:
    bool Evaluate() const override { return ApplyUnary(m_left->Evaluate() || m_right->Evaluate()); }
};

// Holds a level that has a single operand, such as a whole formula that is one name.
class EqOperator_PassThrough final : public EqOperator<bool> {
public:
    bool Evaluate() const override { return ApplyUnary(m_left->Evaluate()); }
};

class EqUnaryOperator_Not final : public EqUnaryOperator<bool> {
public:
    bool Apply(bool value) const override { return !value; }
};

}  // namespace

// ---- Variables --------------------------------------------------------------------------

template <typename T>
T EqVariable<T>::Evaluate() const
{
    T value{};
    if (!m_interface || !m_interface->GetDesignerVariable(m_name.c_str(), value)) {
        gEngine->Log(LOG_WARNING, "Designer variable '%s' not found in parent", m_name.c_str());
        value = T{};
    }
    return this->ApplyUnary(value);
}

// ---- The parser -------------------------------------------------------------------------

template <typename T>
bool DesignerEquation<T>::ParseEquation(const char* text, EquationInterface<T>* owner)
{
    m_root.reset();
    if (!text)
        return false;
    std::string compact;
    compact.reserve(std::strlen(text));
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != ' ')
            compact.push_back(*c);
    }
    const char* cursor = compact.c_str();
    std::unique_ptr<EqOperator<T>> root;
    // A text whose outermost level closes before any operand (")") builds nothing: that is
    // a failure, not a formula.
    if (!BuildEquationTree(cursor, root, owner) || !root)
        return false;
    m_root = std::move(root);
    return true;
}

template <typename T>
bool DesignerEquation<T>::BuildEquationTree(const char*& cursor, std::unique_ptr<EqOperator<T>>& out,
                                            EquationInterface<T>* owner, int depth) const
{
    out.reset();
    if (depth > DesignerEquationLimits::kMaxBracketDepth || *cursor == '\0')
        return false;

    Operand first;
    const OperandEnd firstEnd = ReadOperand(cursor, first, owner, depth);
    if (firstEnd == OperandEnd::Failed)
        return false;
    if (firstEnd == OperandEnd::ClosingBracket && !first.node)
        return true;   // an empty level: the caller decides whether it needed an operand
    if (!first.node)
        return false;
    if (firstEnd != OperandEnd::Operator)
        return WrapLoneOperand(first, out);

    std::unique_ptr<EqOperator<T>> op = SpawnOperator(*cursor);
    if (!op)
        return false;
    ++cursor;
    if (*cursor == '\0')
        return false;

    Operand second;
    if (ReadOperand(cursor, second, owner, depth) == OperandEnd::Failed || !second.node)
        return false;
    op->SetLeft(first.Take());
    op->SetRight(second.Take());
    out = std::move(op);
    return true;
}

template <typename T>
std::unique_ptr<EqNode<T>> DesignerEquation<T>::Operand::Take()
{
    if (pending)
        node->SetUnary(std::move(pending));
    return std::move(node);
}

template <typename T>
bool DesignerEquation<T>::WrapLoneOperand(Operand& first, std::unique_ptr<EqOperator<T>>& out) const
{
    std::unique_ptr<EqOperator<T>> wrap = SpawnOperator(DesignerEquationLimits::kPassThroughOperator);
    if (!wrap)
        return false;
    wrap->SetLeft(first.Take());
    out = std::move(wrap);
    return true;
}

// Reads operands and prefix operators into one slot until the text ends, an operator
// character is reached (left for the caller) or a closing bracket is consumed. A later
// operand replaces an earlier one, and a later prefix operator an earlier one.
template <typename T>
typename DesignerEquation<T>::OperandEnd DesignerEquation<T>::ReadOperand(
    const char*& cursor, Operand& slot, EquationInterface<T>* owner, int depth) const
{
    while (*cursor != '\0') {
        const char c = *cursor;
        if (IsOperator(c))
            return OperandEnd::Operator;
        if (IsClosedParenthetical(c)) {
            ++cursor;
            return OperandEnd::ClosingBracket;
        }
        if (!ReadOperandCharacter(cursor, slot, owner, depth))
            return OperandEnd::Failed;
    }
    return OperandEnd::TextEnd;
}

template <typename T>
bool DesignerEquation<T>::ReadOperandCharacter(const char*& cursor, Operand& slot,
                                               EquationInterface<T>* owner, int depth) const
{
    const char c = *cursor;
    if (IsOpenParenthetical(c)) {
        ++cursor;
        std::unique_ptr<EqOperator<T>> nested;
        if (!BuildEquationTree(cursor, nested, owner, depth + 1))
            return false;
        slot.node = std::move(nested);
    } else if (IsNumeric(c)) {
        const std::optional<float> value = TokenizeReal(cursor);
        if (!value)
            return false;
        slot.node = SpawnConstant(*value);
    } else if (IsAlphaCharacter(c)) {
        std::string name;
        TokenizeString(cursor, name);
        slot.node = std::make_unique<EqVariable<T>>(owner, std::move(name));
    } else if (IsUnaryOperator(c)) {
        slot.pending = SpawnUnaryOperator(c);
        ++cursor;
    } else {
        return false;
    }
    return true;
}

// A '-' ends a numeral unless it is its first character, so 5-3 is a subtraction. The value
// is the C library's reading of the collected text: 1.2.3 reads as 1.2, a lone . as 0.
template <typename T>
std::optional<float> DesignerEquation<T>::TokenizeReal(const char*& cursor) const
{
    char buffer[DesignerEquationLimits::kNumeralBufferSize] = {};
    std::size_t length = 0;
    for (; cursor[length] != '\0' && IsNumeric(cursor[length]); ++length) {
        if (length > 0 && cursor[length] == '-')
            break;
        if (length + 1 >= sizeof buffer)
            return std::nullopt;
        buffer[length] = cursor[length];
    }
    cursor += length;
    return static_cast<float>(std::atof(buffer));
}

// Names are letters and '_' only: a digit ends a name.
template <typename T>
void DesignerEquation<T>::TokenizeString(const char*& cursor, std::string& name) const
{
    name.clear();
    while (*cursor != '\0' && IsAlphaCharacter(*cursor))
        name.push_back(*cursor++);
}

template class DesignerEquation<float>;
template class DesignerEquation<bool>;
template class EqVariable<float>;
template class EqVariable<bool>;

// ---- The flavours -----------------------------------------------------------------------

namespace {

bool IsOpeningBracket(char c) { return c == '(' || c == '['; }
bool IsClosingBracket(char c) { return c == ')' || c == ']'; }

// The C locale's letters, tested without the locale so that bytes above 127 are never
// handed to the character-class functions as negative values.
bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

}  // namespace

bool DesignerEquation_Algebra::IsOpenParenthetical(char c) const { return IsOpeningBracket(c); }
bool DesignerEquation_Algebra::IsClosedParenthetical(char c) const { return IsClosingBracket(c); }
bool DesignerEquation_Algebra::IsAlphaCharacter(char c) const { return IsNameCharacter(c); }
bool DesignerEquation_Algebra::IsUnaryOperator(char) const { return false; }

bool DesignerEquation_Algebra::IsOperator(char c) const
{
    return c == '^' || c == '/' || c == '-' || c == '+' || c == '*';
}

bool DesignerEquation_Algebra::IsNumeric(char c) const
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// There is no pass-through kind: a level holding a lone operand does not parse.
std::unique_ptr<EqOperator<float>> DesignerEquation_Algebra::SpawnOperator(char c) const
{
    switch (c) {
    case '+': return std::make_unique<EqOperator_Add>();
    case '-': return std::make_unique<EqOperator_Subtract>();
    case '*': return std::make_unique<EqOperator_Multiply>();
    case '/': return std::make_unique<EqOperator_Divide>();
    case '^': return std::make_unique<EqOperator_Power>();
    default: return nullptr;
    }
}

std::unique_ptr<EqUnaryOperator<float>> DesignerEquation_Algebra::SpawnUnaryOperator(char) const
{
    return nullptr;
}

std::unique_ptr<EqConstant<float>> DesignerEquation_Algebra::SpawnConstant(float value) const
{
    return std::make_unique<EqConstant<float>>(value);
}

bool DesignerEquation_Boolean::IsOpenParenthetical(char c) const { return IsOpeningBracket(c); }
bool DesignerEquation_Boolean::IsClosedParenthetical(char c) const { return IsClosingBracket(c); }
bool DesignerEquation_Boolean::IsAlphaCharacter(char c) const { return IsNameCharacter(c); }
bool DesignerEquation_Boolean::IsOperator(char c) const { return c == '|' || c == '&'; }
bool DesignerEquation_Boolean::IsUnaryOperator(char c) const { return c == '!'; }
bool DesignerEquation_Boolean::IsNumeric(char c) const { return c == '1' || c == '0'; }

std::unique_ptr<EqOperator<bool>> DesignerEquation_Boolean::SpawnOperator(char c) const
{
    switch (c) {
    case '&': return std::make_unique<EqOperator_And>();
    case '|': return std::make_unique<EqOperator_Or>();
    case DesignerEquationLimits::kPassThroughOperator: return std::make_unique<EqOperator_PassThrough>();
    default: return nullptr;
    }
}

std::unique_ptr<EqUnaryOperator<bool>> DesignerEquation_Boolean::SpawnUnaryOperator(char c) const
{
    if (c == '!')
        return std::make_unique<EqUnaryOperator_Not>();
    return nullptr;
}

std::unique_ptr<EqConstant<bool>> DesignerEquation_Boolean::SpawnConstant(float value) const
{
    const float threshold = DesignerEquationLimits::kBooleanTrueThreshold;
    return std::make_unique<EqConstant<bool>>(value >= threshold || value <= -threshold);
}

}  // namespace GAME
