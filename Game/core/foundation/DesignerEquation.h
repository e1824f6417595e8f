// Designer formulas: text equations read from records, parsed once into a tree of nodes and
// evaluated on demand with named variables supplied by the object that owns the formula.
//
// The grammar is the one the records are written in: each bracket level holds one operator
// between two operands, an operand being a numeral, a name or a bracketed level. There is no
// precedence (designers bracket every operation), '(' '[' and ')' ']' are interchangeable,
// space characters are dropped, and text after the second operand of the outermost level is
// ignored. A nested level stops at an operator that follows its second operand, so the whole
// formula (a+b+c) reads as (a+b)+c, x*(a+b+c) as x*(a+b), and (a+b+c)*x as (a+b)+c.
//
// Two flavours share the parser: `DesignerEquation_Algebra` (float: + - * / ^) and
// `DesignerEquation_Boolean` (bool: & | and the prefix !, with short-circuit evaluation).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace GAME {

// An object that supplies the values of the names used in its formulas. Returns true when it
// knows the name and has written its value.
template <typename T>
class EquationInterface {
public:
    virtual ~EquationInterface() = default;
    virtual bool GetDesignerVariable(const char* name, T& value) = 0;
};

class EquationInterface_Algebra : public EquationInterface<float> {};
class EquationInterface_Boolean : public EquationInterface<bool> {};

// A prefix operator applied to a node's value.
template <typename T>
class EqUnaryOperator {
public:
    virtual ~EqUnaryOperator() = default;
    virtual T Apply(T value) const = 0;
};

// One node of a parsed formula. Nodes own their children and their unary operator.
template <typename T>
class EqNode {
public:
    virtual ~EqNode() = default;
    virtual T Evaluate() const = 0;

    void SetUnary(std::unique_ptr<EqUnaryOperator<T>> unary) { m_unary = std::move(unary); }

protected:
    T ApplyUnary(T value) const { return m_unary ? m_unary->Apply(value) : value; }

private:
    std::unique_ptr<EqUnaryOperator<T>> m_unary;
};

template <typename T>
class EqConstant final : public EqNode<T> {
public:
    explicit EqConstant(T value) : m_value(value) {}
    T Evaluate() const override { return this->ApplyUnary(m_value); }

private:
    T m_value;
};

// A designer variable: asks the owner for its value at every evaluation. An unknown name
// logs a warning and counts as zero (false).
template <typename T>
class EqVariable final : public EqNode<T> {
public:
    EqVariable(EquationInterface<T>* owner, std::string name)
        : m_interface(owner), m_name(std::move(name)) {}
    T Evaluate() const override;

private:
    EquationInterface<T>* m_interface;   // not owned
    std::string m_name;
};

// A binary operator: `left` is the operand written before the operator character, `right`
// the one after it. The pass-through kind uses only `left`.
template <typename T>
class EqOperator : public EqNode<T> {
public:
    void SetLeft(std::unique_ptr<EqNode<T>> left) { m_left = std::move(left); }
    void SetRight(std::unique_ptr<EqNode<T>> right) { m_right = std::move(right); }

protected:
    std::unique_ptr<EqNode<T>> m_right;
    std::unique_ptr<EqNode<T>> m_left;
};

// Limits that keep a record's text from overflowing the numeral buffer or the stack.
struct DesignerEquationLimits {
    static constexpr std::size_t kNumeralBufferSize = 64;   // holds at most 63 characters
    static constexpr int kMaxBracketDepth = 64;
    static constexpr char kPassThroughOperator = '1';       // made by the builder only
    static constexpr float kBooleanTrueThreshold = 0.00001f;
};

template <typename T>
class DesignerEquation {
public:
    DesignerEquation() = default;
    virtual ~DesignerEquation() = default;
    DesignerEquation(const DesignerEquation&) = delete;
    DesignerEquation& operator=(const DesignerEquation&) = delete;

    // Replaces any earlier tree with the one parsed from `text`. On failure the formula is
    // left without a tree. The owner must outlive the formula.
    bool ParseEquation(const char* text, EquationInterface<T>* owner);

    // The formula's value; zero (false) when there is no tree.
    T operator()() const { return m_root ? m_root->Evaluate() : T{}; }

    bool IsValid() const { return m_root != nullptr; }

protected:
    virtual bool IsOpenParenthetical(char c) const = 0;
    virtual bool IsClosedParenthetical(char c) const = 0;
    virtual bool IsOperator(char c) const = 0;
    virtual bool IsUnaryOperator(char c) const = 0;
    virtual bool IsNumeric(char c) const = 0;
    virtual bool IsAlphaCharacter(char c) const = 0;
    virtual std::unique_ptr<EqOperator<T>> SpawnOperator(char c) const = 0;
    virtual std::unique_ptr<EqUnaryOperator<T>> SpawnUnaryOperator(char c) const = 0;
    virtual std::unique_ptr<EqConstant<T>> SpawnConstant(float value) const = 0;

    // Builds one bracket level starting at `cursor` and advances it. A level closed before
    // any operand succeeds with `out` left empty.
    bool BuildEquationTree(const char*& cursor, std::unique_ptr<EqOperator<T>>& out,
                           EquationInterface<T>* owner, int depth = 0) const;
    // Collects a numeral; empty when it is longer than the numeral buffer holds.
    std::optional<float> TokenizeReal(const char*& cursor) const;
    void TokenizeString(const char*& cursor, std::string& name) const;

private:
    // One operand slot of a level: the operand read so far and a pending prefix operator.
    struct Operand {
        std::unique_ptr<EqNode<T>> node;
        std::unique_ptr<EqUnaryOperator<T>> pending;
        std::unique_ptr<EqNode<T>> Take();
    };
    enum class OperandEnd { TextEnd, Operator, ClosingBracket, Failed };

    OperandEnd ReadOperand(const char*& cursor, Operand& slot, EquationInterface<T>* owner,
                           int depth) const;
    bool ReadOperandCharacter(const char*& cursor, Operand& slot, EquationInterface<T>* owner,
                              int depth) const;
    bool WrapLoneOperand(Operand& first, std::unique_ptr<EqOperator<T>>& out) const;

    std::unique_ptr<EqOperator<T>> m_root;
};

extern template class DesignerEquation<float>;
extern template class DesignerEquation<bool>;
extern template class EqVariable<float>;
extern template class EqVariable<bool>;

class DesignerEquation_Algebra : public DesignerEquation<float> {
protected:
    bool IsOpenParenthetical(char c) const override;
    bool IsClosedParenthetical(char c) const override;
    bool IsOperator(char c) const override;
    bool IsUnaryOperator(char c) const override;
    bool IsNumeric(char c) const override;
    bool IsAlphaCharacter(char c) const override;
    std::unique_ptr<EqOperator<float>> SpawnOperator(char c) const override;
    std::unique_ptr<EqUnaryOperator<float>> SpawnUnaryOperator(char c) const override;
    std::unique_ptr<EqConstant<float>> SpawnConstant(float value) const override;
};

class DesignerEquation_Boolean : public DesignerEquation<bool> {
protected:
    bool IsOpenParenthetical(char c) const override;
    bool IsClosedParenthetical(char c) const override;
    bool IsOperator(char c) const override;
    bool IsUnaryOperator(char c) const override;
    bool IsNumeric(char c) const override;
    bool IsAlphaCharacter(char c) const override;
    std::unique_ptr<EqOperator<bool>> SpawnOperator(char c) const override;
    std::unique_ptr<EqUnaryOperator<bool>> SpawnUnaryOperator(char c) const override;
    std::unique_ptr<EqConstant<bool>> SpawnConstant(float value) const override;
};

}  // namespace GAME
