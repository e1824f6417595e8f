// Designer formulas: text equations read from records, parsed once and evaluated on demand
// with named variables supplied by the object that owns the formula.
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
//
// Compiling. The parser builds a tree of nodes, which is then compiled into a flat list of
// steps and dropped. Each name is bound once, at compile time, through the owner's
// `BindDesignerVariable`: most names become the address of a value the owner keeps (a slot),
// which the steps read directly at every evaluation, so a formula follows the slot's value
// from one evaluation to the next. An owner that binds nothing is asked by name at every
// evaluation through `GetDesignerVariable`, as before. A name the owner does not know yields
// zero (false) and logs a warning at every evaluation that reaches it.
//
// Threads. A compiled formula never changes while it is evaluated: evaluation keeps its
// temporaries on the evaluating thread's stack, so any number of threads may evaluate one
// formula at once as far as the formula is concerned. Binding only takes the addresses of the
// owner's slots and writes nothing, so parsing one formula while another formula of the same
// owner is evaluated on another thread touches no slot. What remains shared is the slots
// themselves: an owner writes its inputs and then evaluates, and these writes and the reads
// of the evaluation stay on the owner's thread:
// - `CombatManager`'s fourteen formulas: the thread that updates the characters (the owner's
//   `DesignerCalculate...` operations fill the inputs and evaluate in one call);
// - `GameEngine`'s experience and death penalty formulas: the game thread;
// - `PlayerManagerServer`'s four bonus-sharing formulas: the game-logic thread;
// - owners asked by name (quest conditions and the like): the thread that owns the owner.
// An owner whose formulas must run on several threads at once gives each thread its own
// owner object (its own slots); a formula is parsed and evaluated by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <type_traits>
#include <vector>

namespace GAME {

// Where a formula finds the value of one name, as the owner binds it.
template <typename T>
class DesignerVariableSlot {
public:
    enum class Kind : uint8_t {
        ByName,     // asked through GetDesignerVariable at every evaluation
        Unknown,    // the owner does not know the name: zero (false) and a warning
        Value,      // a value the owner keeps at a fixed address
        Unsigned,   // an unsigned whole number the owner keeps, read as a float
        Computed,   // worked out by the owner at every evaluation
    };
    using ComputeFunction = T (*)(const void* context, int key);

    static DesignerVariableSlot ByName() { return DesignerVariableSlot(Kind::ByName); }
    static DesignerVariableSlot Unknown() { return DesignerVariableSlot(Kind::Unknown); }
    static DesignerVariableSlot Of(const T& value)
    {
        DesignerVariableSlot slot(Kind::Value);
        slot.m_value = &value;
        return slot;
    }
    static DesignerVariableSlot OfUnsigned(const uint32_t& value)
        requires std::is_same_v<T, float>
    {
        DesignerVariableSlot slot(Kind::Unsigned);
        slot.m_unsigned = &value;
        return slot;
    }
    // `compute`(context, key) at every evaluation; `context` must outlive the formula.
    static DesignerVariableSlot Computed(ComputeFunction compute, const void* context, int key)
    {
        DesignerVariableSlot slot(Kind::Computed);
        slot.m_compute = compute;
        slot.m_context = context;
        slot.m_key = key;
        return slot;
    }

    Kind GetKind() const { return m_kind; }
    const T* GetValue() const { return m_value; }
    const uint32_t* GetUnsigned() const { return m_unsigned; }
    ComputeFunction GetCompute() const { return m_compute; }
    const void* GetContext() const { return m_context; }
    int GetKey() const { return m_key; }

    // The slot's current value; false (and `value` untouched) for a name that is unknown or
    // asked by name.
    bool Read(T& value) const
    {
        switch (m_kind) {
        case Kind::Value: value = *m_value; return true;
        case Kind::Unsigned: value = static_cast<T>(*m_unsigned); return true;
        case Kind::Computed: value = m_compute(m_context, m_key); return true;
        case Kind::ByName:
        case Kind::Unknown: break;
        }
        return false;
    }

private:
    explicit DesignerVariableSlot(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    const T* m_value = nullptr;
    const uint32_t* m_unsigned = nullptr;
    ComputeFunction m_compute = nullptr;
    const void* m_context = nullptr;
    int m_key = 0;
};

// The slot of `name` in an owner's table of names, compared exactly; Unknown when the name
// is not in the table (or is null).
template <typename T>
DesignerVariableSlot<T> FindDesignerVariable(
    const char* name, std::initializer_list<std::pair<std::string_view, DesignerVariableSlot<T>>> table)
{
    if (!name)
        return DesignerVariableSlot<T>::Unknown();
    const std::string_view wanted(name);   // measured once, not once per entry
    for (const auto& [entryName, slot] : table)
        if (entryName == wanted)
            return slot;
    return DesignerVariableSlot<T>::Unknown();
}

// An object that supplies the values of the names used in its formulas. An owner either
// binds names to slots once (BindDesignerVariable), or answers by name at every evaluation
// (GetDesignerVariable); each operation's default answers through the other, so an owner
// implements one of them.
template <typename T>
class EquationInterface {
public:
    virtual ~EquationInterface() = default;

    // True when the object knows the name and has written its value.
    virtual bool GetDesignerVariable(const char* name, T& value) { return BindDesignerVariable(name).Read(value); }

    // Called once per name when a formula is compiled; must not write anything (see Threads
    // above). The slot's addresses must stay valid for the life of the formula.
    virtual DesignerVariableSlot<T> BindDesignerVariable(const char*) { return DesignerVariableSlot<T>::ByName(); }
};

class EquationInterface_Algebra : public EquationInterface<float> {};
class EquationInterface_Boolean : public EquationInterface<bool> {};

// ---- The parse tree ----------------------------------------------------------------------
// Built by the parser and compiled into a DesignerProgram; it is not kept.

enum class EqUnaryKind : uint8_t { Not };

enum class EqOperatorKind : uint8_t { Add, Subtract, Multiply, Divide, Power, And, Or, PassThrough };

// A prefix operator applied to a node's value.
template <typename T>
class EqUnaryOperator {
public:
    explicit EqUnaryOperator(EqUnaryKind kind) : m_kind(kind) {}
    EqUnaryKind GetKind() const { return m_kind; }

private:
    EqUnaryKind m_kind;
};

// One node of a parsed formula. Nodes own their children and their unary operator.
template <typename T>
class EqNode {
public:
    enum class Kind : uint8_t { Constant, Variable, Operator };

    virtual ~EqNode() = default;
    Kind GetNodeKind() const { return m_nodeKind; }
    void SetUnary(std::unique_ptr<EqUnaryOperator<T>> unary) { m_unary = std::move(unary); }
    const EqUnaryOperator<T>* GetUnary() const { return m_unary.get(); }

protected:
    explicit EqNode(Kind kind) : m_nodeKind(kind) {}

private:
    Kind m_nodeKind;
    std::unique_ptr<EqUnaryOperator<T>> m_unary;
};

template <typename T>
class EqConstant final : public EqNode<T> {
public:
    explicit EqConstant(T value) : EqNode<T>(EqNode<T>::Kind::Constant), m_value(value) {}
    T GetValue() const { return m_value; }

private:
    T m_value;
};

// A designer variable, bound through the owner when the formula is compiled.
template <typename T>
class EqVariable final : public EqNode<T> {
public:
    explicit EqVariable(std::string name) : EqNode<T>(EqNode<T>::Kind::Variable), m_name(std::move(name)) {}
    const std::string& GetName() const { return m_name; }

private:
    std::string m_name;
};

// A binary operator: `left` is the operand written before the operator character, `right`
// the one after it. The pass-through kind uses only `left`.
template <typename T>
class EqOperator final : public EqNode<T> {
public:
    explicit EqOperator(EqOperatorKind kind) : EqNode<T>(EqNode<T>::Kind::Operator), m_kind(kind) {}
    EqOperatorKind GetKind() const { return m_kind; }
    void SetLeft(std::unique_ptr<EqNode<T>> left) { m_left = std::move(left); }
    void SetRight(std::unique_ptr<EqNode<T>> right) { m_right = std::move(right); }
    const EqNode<T>* GetLeft() const { return m_left.get(); }
    const EqNode<T>* GetRight() const { return m_right.get(); }

private:
    EqOperatorKind m_kind;
    std::unique_ptr<EqNode<T>> m_right;
    std::unique_ptr<EqNode<T>> m_left;
};

// Limits that keep a record's text from overflowing the numeral buffer or the stack.
struct DesignerEquationLimits {
    static constexpr std::size_t kNumeralBufferSize = 64;   // holds at most 63 characters
    static constexpr int kMaxBracketDepth = 64;
    static constexpr char kPassThroughOperator = '1';       // made by the builder only
    static constexpr float kBooleanTrueThreshold = 0.00001f;
    // Temporaries of one evaluation. An operand after its level's operator needs one more
    // than the level, and a level is one bracket deeper than its parent, so a formula within
    // the bracket limit needs at most kMaxBracketDepth + 2.
    static constexpr int kFrameSize = kMaxBracketDepth + 4;
};

// A compiled formula: steps in evaluation order over a frame of temporaries. An operand that
// is a constant or a bound value is read in place by the step that uses it; every other
// operand and every intermediate result lives in the frame, at the depth of its level.
template <typename T>
class DesignerProgram {
public:
    // Compiles a parsed tree, binding each name through `owner` (null: every name unknown).
    // False, with the program left empty, when the tree needs more temporaries than a frame
    // holds.
    bool Compile(const EqNode<T>& root, EquationInterface<T>* owner);
    // Makes this program a copy of `model`, compiled for an owner object of `extent` bytes
    // at address `modelOwner`, bound for an object of the same class at `owner` (asked by
    // name through `asker`): every address the model reads inside its owner is read at the
    // same offset inside `owner`, its constants are this program's own, and any other
    // address stays. This is what compiling again for `owner` gives when the class binds
    // each name to the same place in every object of it, without binding the names again.
    // `modelOwner` is only compared with, never read: the model's owner may be gone.
    void CopyRelocated(const DesignerProgram& model, std::uintptr_t modelOwner, std::size_t extent, const void* owner,
                       EquationInterface<T>* asker);
    void Clear();
    bool IsEmpty() const { return m_stepCount == 0; }
    // Evaluates the program; it must not be empty.
    T Run() const;

    enum class Op : uint8_t {
        LoadValue,      // frame[dst] = *left.value (a constant or a bound value)
        LoadUnsigned,   // frame[dst] = *left.unsignedValue
        LoadComputed,   // frame[dst] = computed[aux]
        LoadByName,     // frame[dst] = the owner's answer for names[aux]
        LoadUnknown,    // frame[dst] = zero; warns about names[aux]
        Not,            // frame[dst] = !frame[dst]
        JumpIfFalse,    // continue at step aux when frame[dst] is false
        JumpIfTrue,     // continue at step aux when frame[dst] is true
        End,            // the last step of every program
        // frame[dst] = left op right, in four forms (ArithmeticForm) for each operator.
        Arithmetic,
    };
    enum class Arithmetic : uint8_t { Add, Subtract, Multiply, Divide, Power };
    // Where the operands of an arithmetic step are. The operand that comes from a step is
    // always the result of the step just before (the right one, or the left one when the
    // right is read in place), so evaluation keeps it in a register; the other is in the
    // frame or read in place.
    enum class ArithmeticForm : uint8_t { FrameAndLast, LastAndInPlace, InPlaceAndLast, InPlaceAndInPlace };

private:
    union Argument {
        const T* value;
        const uint32_t* unsignedValue;
        uint32_t index;   // into the frame
    };
    struct Step {
        uint8_t op;     // an Op, or Op::Arithmetic + 4 x Arithmetic + ArithmeticForm
        uint8_t dst;    // frame index written (or tested)
        uint32_t aux;   // jump target, or index into names or computed
        Argument left;
        Argument right;
    };
    struct ComputedVariable {
        typename DesignerVariableSlot<T>::ComputeFunction compute;
        const void* context;
        int key;
    };
    struct Constant {   // not a bare T: a vector of bool has no addressable elements
        T value;
    };
    class Compiler;

    void RunLoad(const Step& step, T* frame) const;
    // Makes the program of the steps, computed variables and constants given: an address
    // of one of `constants` becomes that of this program's copy of it, one inside the
    // `extent` bytes at `from` the same offset inside `to`, and any other stays.
    void Assign(const Step* steps, std::size_t stepCount, const ComputedVariable* computed, std::size_t computedCount,
                const Constant* constants, std::size_t constantCount, std::uintptr_t from, std::size_t extent,
                const void* to);
    const Step* Steps() const { return reinterpret_cast<const Step*>(m_block.get()); }
    const ComputedVariable* Computed() const
    {
        return reinterpret_cast<const ComputedVariable*>(m_block.get() + m_stepCount * sizeof(Step));
    }
    const Constant* Constants() const
    {
        return reinterpret_cast<const Constant*>(m_block.get() + m_stepCount * sizeof(Step) +
                                                 m_computedCount * sizeof(ComputedVariable));
    }

    // The steps, then the computed variables, then the constants (steps point at them), in
    // one allocation: a kept formula is copied for every owner that binds it.
    std::unique_ptr<unsigned char[]> m_block;
    std::size_t m_stepCount = 0;
    std::size_t m_computedCount = 0;
    std::size_t m_constantCount = 0;
    // The names read through the owner, shared by the copies (they are never relocated).
    std::shared_ptr<const std::vector<std::string>> m_names;
    EquationInterface<T>* m_owner = nullptr;   // asked for names bound by name
};

template <typename T>
class DesignerEquation {
public:
    DesignerEquation() = default;
    virtual ~DesignerEquation() = default;
    DesignerEquation(const DesignerEquation&) = delete;
    DesignerEquation& operator=(const DesignerEquation&) = delete;

    // Replaces any earlier formula with the one parsed from `text`, its names bound through
    // `owner`. On failure the formula is left empty. The owner must outlive the formula.
    bool ParseEquation(const char* text, EquationInterface<T>* owner);

    // A formula parsed and not yet bound: many owners reading one text (every item of a
    // kind reads the same cost formula) parse it once and bind it each to its own names.
    // Null when the text does not parse. The tree never changes once made.
    std::shared_ptr<const EqNode<T>> ParseTree(const char* text) const;
    // Replaces any earlier formula with `tree` bound through `owner`; false, with the
    // formula left empty, when the tree needs more temporaries than a frame holds.
    bool BindTree(const EqNode<T>& tree, EquationInterface<T>* owner) { return m_program.Compile(tree, owner); }
    // Replaces any earlier formula with `model`, bound for an object of `extent` bytes at
    // `modelOwner`, bound instead for an object of the same class at `owner` (see
    // DesignerProgram::CopyRelocated): many owners of one class binding one formula compile
    // it once.
    void CopyBoundFor(const DesignerEquation& model, std::uintptr_t modelOwner, std::size_t extent, const void* owner,
                      EquationInterface<T>* asker)
    {
        m_program.CopyRelocated(model.m_program, modelOwner, extent, owner, asker);
    }

    // The formula's value; zero (false) when it is empty.
    T operator()() const { return m_program.IsEmpty() ? T{} : m_program.Run(); }

    bool IsValid() const { return !m_program.IsEmpty(); }

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
    bool BuildEquationTree(const char*& cursor, std::unique_ptr<EqOperator<T>>& out, int depth = 0) const;
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

    OperandEnd ReadOperand(const char*& cursor, Operand& slot, int depth) const;
    bool ReadOperandCharacter(const char*& cursor, Operand& slot, int depth) const;
    bool WrapLoneOperand(Operand& first, std::unique_ptr<EqOperator<T>>& out) const;

    DesignerProgram<T> m_program;
};

template <>
float DesignerProgram<float>::Run() const;
template <>
bool DesignerProgram<bool>::Run() const;

extern template class DesignerProgram<float>;
extern template class DesignerProgram<bool>;
extern template class DesignerEquation<float>;
extern template class DesignerEquation<bool>;

class DesignerEquation_Algebra : public DesignerEquation<float> {
public:
    // The parsed tree of a formula text, kept: many owners read one text (every item of a
    // kind its cost formula, every monster of a record its combat formulas), so each text
    // is parsed once per thread and bound to each owner's own names. Null, kept too, for a
    // text that does not parse. The texts come from records and are few; past kMaxKeptTrees
    // the kept trees are dropped and texts parsed afresh.
    static constexpr size_t kMaxKeptTrees = 256;
    static std::shared_ptr<const EqNode<float>> KeptTree(const std::string& text);

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

// A formula as the first owner of a class bound it, kept at that owner's address: later
// owners of the class copy it bound to themselves instead of compiling the text again.
struct BoundFormulaModel {
    std::shared_ptr<const DesignerEquation_Algebra> model;
    std::uintptr_t owner = 0;

    explicit operator bool() const { return model != nullptr; }
    // Keeps a copy of `bound`, which `self`, an owner of `extent` bytes, bound to itself.
    template <class Owner>
    void Keep(const DesignerEquation_Algebra& bound, Owner* self)
    {
        auto kept = std::make_shared<DesignerEquation_Algebra>();
        const auto at = reinterpret_cast<std::uintptr_t>(static_cast<const void*>(self));
        kept->CopyBoundFor(bound, at, sizeof(Owner), self, self);
        model = std::move(kept);
        owner = at;
    }
    // `formula` becomes the kept model, bound to `self`, an owner of the same class.
    template <class Owner>
    void CopyTo(DesignerEquation_Algebra& formula, Owner* self) const
    {
        formula.CopyBoundFor(*model, owner, sizeof(Owner), self, self);
    }
};

}  // namespace GAME
