#include "Game/core/foundation/DesignerEquation.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "Engine/Engine.h"

namespace GAME {

namespace {

// The step code of an arithmetic operator in one operand form.
template <typename T>
constexpr uint8_t ArithmeticCode(typename DesignerProgram<T>::Arithmetic kind,
                                 typename DesignerProgram<T>::ArithmeticForm form)
{
    return static_cast<uint8_t>(static_cast<uint8_t>(DesignerProgram<T>::Op::Arithmetic) +
                                4 * static_cast<uint8_t>(kind) + static_cast<uint8_t>(form));
}

}  // namespace

// ---- The compiler ------------------------------------------------------------------------

// Walks the tree once, in evaluation order (left operand, right operand, operator, then the
// node's prefix operator), emitting steps. Each operand is compiled at a depth: the frame
// index its value takes when it cannot be read in place.
template <typename T>
class DesignerProgram<T>::Compiler {
public:
    Compiler(EquationInterface<T>* owner) : m_owner(owner) {}

    bool Build(const EqNode<T>& root)
    {
        // Constants are read in place, so their vector must not move. A node makes at most
        // three steps (a short circuit's jump and two loads), the root two more.
        std::size_t constants = 0, nodes = 0;
        CountNodes(root, constants, nodes);
        m_constants.reserve(constants);
        m_steps.reserve(3 * nodes + 2);
        const Source result = Emit(root, 0);
        if (m_tooDeep)
            return false;
        Materialize(result, 0);   // the value is always left in frame[0]
        Add(Op::End, InFrame(0));
        return true;
    }

    // Gives the program what was built.
    void MakeProgram(DesignerProgram& program) const
    {
        program.Assign(m_steps.data(), m_steps.size(), m_computed.data(), m_computed.size(), m_constants.data(),
                       m_constants.size(), 0, 0, nullptr);
        if (!m_names.empty())
            program.m_names = std::make_shared<const std::vector<std::string>>(m_names);
    }

private:
    // Where a compiled operand's value is: in the frame at `index`, or read in place.
    struct Source {
        bool inFrame = true;
        uint8_t index = 0;
        const T* value = nullptr;
    };

    static void CountNodes(const EqNode<T>& node, std::size_t& constants, std::size_t& nodes)
    {
        ++nodes;
        if (node.GetNodeKind() == EqNode<T>::Kind::Constant)
            ++constants;
        if (node.GetNodeKind() != EqNode<T>::Kind::Operator)
            return;
        const auto& op = static_cast<const EqOperator<T>&>(node);
        if (op.GetLeft())
            CountNodes(*op.GetLeft(), constants, nodes);
        if (op.GetRight())
            CountNodes(*op.GetRight(), constants, nodes);
    }

    static Source InPlace(const T* value) { return Source{false, 0, value}; }

    Source InFrame(int depth)
    {
        if (depth >= DesignerEquationLimits::kFrameSize) {
            m_tooDeep = true;
            depth = 0;
        }
        return Source{true, static_cast<uint8_t>(depth), nullptr};
    }

    Step& Add(Op op, const Source& at)
    {
        Step step{};
        step.op = static_cast<uint8_t>(op);
        step.dst = at.index;
        m_steps.push_back(step);
        return m_steps.back();
    }

    // Puts a value that is read in place into frame[depth].
    Source Materialize(const Source& source, int depth)
    {
        if (source.inFrame)
            return source;
        const Source at = InFrame(depth);
        Add(Op::LoadValue, at).left.value = source.value;
        return at;
    }

    Source Emit(const EqNode<T>& node, int depth)
    {
        Source result;
        switch (node.GetNodeKind()) {
        case EqNode<T>::Kind::Constant:
            m_constants.push_back({static_cast<const EqConstant<T>&>(node).GetValue()});
            result = InPlace(&m_constants.back().value);
            break;
        case EqNode<T>::Kind::Variable:
            result = EmitVariable(static_cast<const EqVariable<T>&>(node).GetName(), depth);
            break;
        case EqNode<T>::Kind::Operator:
            result = EmitOperator(static_cast<const EqOperator<T>&>(node), depth);
            break;
        }
        if (const EqUnaryOperator<T>* unary = node.GetUnary()) {
            result = Materialize(result, depth);
            if (unary->GetKind() == EqUnaryKind::Not)
                Add(Op::Not, result);
        }
        return result;
    }

    Source EmitVariable(const std::string& name, int depth)
    {
        const DesignerVariableSlot<T> slot =
            m_owner ? m_owner->BindDesignerVariable(name.c_str()) : DesignerVariableSlot<T>::Unknown();
        using Kind = typename DesignerVariableSlot<T>::Kind;
        if (slot.GetKind() == Kind::Value)
            return InPlace(slot.GetValue());
        const Source at = InFrame(depth);
        switch (slot.GetKind()) {
        case Kind::Unsigned:
            Add(Op::LoadUnsigned, at).left.unsignedValue = slot.GetUnsigned();
            break;
        case Kind::Computed:
            Add(Op::LoadComputed, at).aux = static_cast<uint32_t>(m_computed.size());
            m_computed.push_back({slot.GetCompute(), slot.GetContext(), slot.GetKey()});
            break;
        case Kind::ByName:
        case Kind::Unknown:
        case Kind::Value:
            Add(slot.GetKind() == Kind::ByName ? Op::LoadByName : Op::LoadUnknown, at).aux =
                static_cast<uint32_t>(m_names.size());
            m_names.push_back(name);
            break;
        }
        return at;
    }

    Source EmitOperator(const EqOperator<T>& op, int depth)
    {
        switch (op.GetKind()) {
        case EqOperatorKind::PassThrough:
            return Emit(*op.GetLeft(), depth);
        case EqOperatorKind::And:
        case EqOperatorKind::Or:
            return EmitShortCircuit(op, depth);
        case EqOperatorKind::Add: return EmitArithmetic(op, Arithmetic::Add, depth);
        case EqOperatorKind::Subtract: return EmitArithmetic(op, Arithmetic::Subtract, depth);
        case EqOperatorKind::Multiply: return EmitArithmetic(op, Arithmetic::Multiply, depth);
        case EqOperatorKind::Divide: return EmitArithmetic(op, Arithmetic::Divide, depth);
        case EqOperatorKind::Power: return EmitArithmetic(op, Arithmetic::Power, depth);
        }
        return InFrame(depth);
    }

    // The left value decides when it is false (and) or true (or): the jump keeps it as the
    // result and skips the right operand. Otherwise the right value is the result.
    Source EmitShortCircuit(const EqOperator<T>& op, int depth)
    {
        const Source at = Materialize(Emit(*op.GetLeft(), depth), depth);
        const std::size_t jump = m_steps.size();
        Add(op.GetKind() == EqOperatorKind::And ? Op::JumpIfFalse : Op::JumpIfTrue, at);
        Materialize(Emit(*op.GetRight(), depth), depth);
        m_steps[jump].aux = static_cast<uint32_t>(m_steps.size());
        return at;
    }

    Source EmitArithmetic(const EqOperator<T>& op, Arithmetic kind, int depth)
    {
        const Source left = Emit(*op.GetLeft(), depth);
        const Source right = Emit(*op.GetRight(), left.inFrame ? depth + 1 : depth);
        const Source at = InFrame(depth);
        Step& step = Add(Op::Arithmetic, at);
        ArithmeticForm form = ArithmeticForm::InPlaceAndInPlace;
        if (left.inFrame)
            form = right.inFrame ? ArithmeticForm::FrameAndLast : ArithmeticForm::LastAndInPlace;
        else if (right.inFrame)
            form = ArithmeticForm::InPlaceAndLast;
        step.op = ArithmeticCode<T>(kind, form);
        SetArgument(step.left, left);
        SetArgument(step.right, right);
        return at;
    }

    static void SetArgument(Argument& argument, const Source& source)
    {
        if (source.inFrame)
            argument.index = source.index;
        else
            argument.value = source.value;
    }

    EquationInterface<T>* m_owner;
    bool m_tooDeep = false;
    std::vector<Step> m_steps;
    std::vector<Constant> m_constants;
    std::vector<ComputedVariable> m_computed;
    std::vector<std::string> m_names;
};

template <typename T>
bool DesignerProgram<T>::Compile(const EqNode<T>& root, EquationInterface<T>* owner)
{
    Clear();
    Compiler compiler(owner);
    if (!compiler.Build(root))
        return false;
    compiler.MakeProgram(*this);
    m_owner = owner;
    return true;
}

template <typename T>
void DesignerProgram<T>::Assign(const Step* steps, std::size_t stepCount, const ComputedVariable* computed,
                                std::size_t computedCount, const Constant* constants, std::size_t constantCount,
                                std::uintptr_t from, std::size_t extent, const void* to)
{
    static_assert(std::is_trivially_copyable_v<Step> && std::is_trivially_copyable_v<ComputedVariable> &&
                  std::is_trivially_copyable_v<Constant>);
    static_assert(alignof(Step) >= alignof(ComputedVariable) && alignof(ComputedVariable) >= alignof(Constant));
    const std::size_t stepBytes = stepCount * sizeof(Step);
    const std::size_t computedBytes = computedCount * sizeof(ComputedVariable);
    const std::size_t constantBytes = constantCount * sizeof(Constant);
    m_block = std::make_unique_for_overwrite<unsigned char[]>(stepBytes + computedBytes + constantBytes);
    m_stepCount = stepCount;
    m_computedCount = computedCount;
    m_constantCount = constantCount;
    unsigned char* block = m_block.get();
    if (stepBytes)
        std::memcpy(block, steps, stepBytes);
    if (computedBytes)
        std::memcpy(block + stepBytes, computed, computedBytes);
    if (constantBytes)
        std::memcpy(block + stepBytes + computedBytes, constants, constantBytes);

    const auto fromConstants = reinterpret_cast<std::uintptr_t>(constants);
    unsigned char* const toConstants = block + stepBytes + computedBytes;
    const auto target = reinterpret_cast<std::uintptr_t>(to);
    auto relocate = [&](const void* address) -> const void* {
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        if (constantBytes != 0 && at >= fromConstants && at - fromConstants < constantBytes)
            return toConstants + (at - fromConstants);
        if (at >= from && at - from < extent)
            return reinterpret_cast<const void*>(target + (at - from));
        return address;
    };
    constexpr auto kArithmetic = static_cast<uint8_t>(Op::Arithmetic);
    Step* const ownSteps = reinterpret_cast<Step*>(block);
    for (Step* step = ownSteps; step != ownSteps + stepCount; ++step) {
        if (step->op == static_cast<uint8_t>(Op::LoadValue)) {
            step->left.value = static_cast<const T*>(relocate(step->left.value));
        } else if (step->op == static_cast<uint8_t>(Op::LoadUnsigned)) {
            step->left.unsignedValue = static_cast<const uint32_t*>(relocate(step->left.unsignedValue));
        } else if (step->op >= kArithmetic) {
            const auto form = static_cast<ArithmeticForm>((step->op - kArithmetic) % 4);
            if (form == ArithmeticForm::InPlaceAndLast || form == ArithmeticForm::InPlaceAndInPlace)
                step->left.value = static_cast<const T*>(relocate(step->left.value));
            if (form == ArithmeticForm::LastAndInPlace || form == ArithmeticForm::InPlaceAndInPlace)
                step->right.value = static_cast<const T*>(relocate(step->right.value));
        }
    }
    auto* const ownComputed = reinterpret_cast<ComputedVariable*>(block + stepBytes);
    for (ComputedVariable* variable = ownComputed; variable != ownComputed + computedCount; ++variable)
        variable->context = relocate(variable->context);
}

template <typename T>
void DesignerProgram<T>::CopyRelocated(const DesignerProgram& model, std::uintptr_t modelOwner, std::size_t extent,
                                       const void* owner, EquationInterface<T>* asker)
{
    if (&model == this)
        return;
    if (model.IsEmpty()) {
        Clear();
        m_owner = asker;
        return;
    }
    Assign(model.Steps(), model.m_stepCount, model.Computed(), model.m_computedCount, model.Constants(),
           model.m_constantCount, modelOwner, extent, owner);
    m_names = model.m_names;
    m_owner = asker;
}

template <typename T>
void DesignerProgram<T>::Clear()
{
    m_block.reset();
    m_stepCount = 0;
    m_computedCount = 0;
    m_constantCount = 0;
    m_names.reset();
    m_owner = nullptr;
}

// ---- Evaluation --------------------------------------------------------------------------

// The loads that go through the owner or warn: rarer than a value read in place.
template <typename T>
void DesignerProgram<T>::RunLoad(const Step& step, T* frame) const
{
    T value{};
    switch (static_cast<Op>(step.op)) {
    case Op::LoadValue: value = *step.left.value; break;
    case Op::LoadUnsigned: value = static_cast<T>(*step.left.unsignedValue); break;
    case Op::LoadComputed: {
        const ComputedVariable& computed = Computed()[step.aux];
        value = computed.compute(computed.context, computed.key);
        break;
    }
    case Op::LoadByName:
        if (m_owner->GetDesignerVariable((*m_names)[step.aux].c_str(), value))
            break;
        value = T{};
        [[fallthrough]];
    case Op::LoadUnknown:
        gEngine->Log(LOG_WARNING, "Designer variable '%s' not found in parent", (*m_names)[step.aux].c_str());
        break;
    default: break;
    }
    frame[step.dst] = value;
}

// Each step's handler ends by jumping straight to the next step's handler (the compilers'
// labels-as-values), so the processor predicts each jump from the step it follows rather than
// from one jump shared by all. One handler per operator and operand form reads its operands
// without testing where they are; `last` is the result of the step before. Arithmetic faults
// are not caught: a division by zero gives an infinity, a negative base with a fractional
// power a NaN.
#define GAME_EQ_NEXT_STEP()                \
    do {                                   \
        frame[step->dst] = last;           \
        ++step;                            \
        goto* kHandlers[step->op];         \
    } while (false)

#define GAME_EQ_ARITHMETIC_HANDLERS(KIND, EXPRESSION)                      \
    KIND##FrameAndLast : {                                                 \
        const float l = frame[step->left.index], r = last;                 \
        last = EXPRESSION;                                                 \
        GAME_EQ_NEXT_STEP();                                               \
    }                                                                      \
    KIND##LastAndInPlace : {                                               \
        const float l = last, r = *step->right.value;                      \
        last = EXPRESSION;                                                 \
        GAME_EQ_NEXT_STEP();                                               \
    }                                                                      \
    KIND##InPlaceAndLast : {                                               \
        const float l = *step->left.value, r = last;                       \
        last = EXPRESSION;                                                 \
        GAME_EQ_NEXT_STEP();                                               \
    }                                                                      \
    KIND##InPlaceAndInPlace : {                                            \
        const float l = *step->left.value, r = *step->right.value;         \
        last = EXPRESSION;                                                 \
        GAME_EQ_NEXT_STEP();                                               \
    }

#define GAME_EQ_ARITHMETIC_LABELS(KIND) &&KIND##FrameAndLast, &&KIND##LastAndInPlace, &&KIND##InPlaceAndLast, &&KIND##InPlaceAndInPlace

template <>
float DesignerProgram<float>::Run() const
{
    // In the order of the step codes: the Op values, then four forms per Arithmetic kind.
    // The loads of a bound value and of a computed one, which nearly every formula has,
    // are handled here; the rest go through RunLoad.
    static const void* const kHandlers[] = {
        &&LoadValue, &&Load, &&LoadComputed, &&Load, &&Load,   // the loads
        &&Load, &&Load, &&Load,                                // not and the jumps: boolean programs only
        &&End,
        GAME_EQ_ARITHMETIC_LABELS(Add),
        GAME_EQ_ARITHMETIC_LABELS(Subtract),
        GAME_EQ_ARITHMETIC_LABELS(Multiply),
        GAME_EQ_ARITHMETIC_LABELS(Divide),
        GAME_EQ_ARITHMETIC_LABELS(Power),
    };
    static_assert(std::size(kHandlers) ==
                  ArithmeticCode<float>(Arithmetic::Power, ArithmeticForm::InPlaceAndInPlace) + 1u);
    static_assert(static_cast<uint8_t>(Op::End) == 8);
    static_assert(static_cast<uint8_t>(Op::LoadValue) == 0 && static_cast<uint8_t>(Op::LoadComputed) == 2);

    float frame[DesignerEquationLimits::kFrameSize];
    float last = 0.0f;
    const Step* step = Steps();
    goto* kHandlers[step->op];

LoadValue:
    last = *step->left.value;
    GAME_EQ_NEXT_STEP();

LoadComputed : {
    const ComputedVariable& computed = Computed()[step->aux];
    last = computed.compute(computed.context, computed.key);
    GAME_EQ_NEXT_STEP();
}

Load:
    RunLoad(*step, frame);
    last = frame[step->dst];
    GAME_EQ_NEXT_STEP();

    GAME_EQ_ARITHMETIC_HANDLERS(Add, l + r)
    GAME_EQ_ARITHMETIC_HANDLERS(Subtract, l - r)
    GAME_EQ_ARITHMETIC_HANDLERS(Multiply, l * r)
    GAME_EQ_ARITHMETIC_HANDLERS(Divide, l / r)
    GAME_EQ_ARITHMETIC_HANDLERS(Power, std::pow(l, r))

End:
    return last;
}

#undef GAME_EQ_ARITHMETIC_LABELS
#undef GAME_EQ_ARITHMETIC_HANDLERS
#undef GAME_EQ_NEXT_STEP

template <>
bool DesignerProgram<bool>::Run() const
{
    bool frame[DesignerEquationLimits::kFrameSize];
    const Step* begin = Steps();
    for (const Step* step = begin;; ++step) {
        switch (static_cast<Op>(step->op)) {
        case Op::Not:
            frame[step->dst] = !frame[step->dst];
            break;
        case Op::JumpIfFalse:
        case Op::JumpIfTrue:
            if (frame[step->dst] == (static_cast<Op>(step->op) == Op::JumpIfTrue))
                step = begin + step->aux - 1;   // the loop steps on to `aux`
            break;
        case Op::End:
            return frame[0];
        default:
            RunLoad(*step, frame);
            break;
        }
    }
}

template class DesignerProgram<float>;
template class DesignerProgram<bool>;

// ---- The parser -------------------------------------------------------------------------

template <typename T>
bool DesignerEquation<T>::ParseEquation(const char* text, EquationInterface<T>* owner)
{
    m_program.Clear();
    const std::shared_ptr<const EqNode<T>> tree = ParseTree(text);
    return tree && m_program.Compile(*tree, owner);
}

template <typename T>
std::shared_ptr<const EqNode<T>> DesignerEquation<T>::ParseTree(const char* text) const
{
    if (!text)
        return nullptr;
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
    if (!BuildEquationTree(cursor, root) || !root)
        return nullptr;
    return std::shared_ptr<const EqNode<T>>(std::move(root));
}

template <typename T>
bool DesignerEquation<T>::BuildEquationTree(const char*& cursor, std::unique_ptr<EqOperator<T>>& out,
                                            int depth) const
{
    out.reset();
    if (depth > DesignerEquationLimits::kMaxBracketDepth || *cursor == '\0')
        return false;

    Operand first;
    const OperandEnd firstEnd = ReadOperand(cursor, first, depth);
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
    if (ReadOperand(cursor, second, depth) == OperandEnd::Failed || !second.node)
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
typename DesignerEquation<T>::OperandEnd DesignerEquation<T>::ReadOperand(const char*& cursor, Operand& slot,
                                                                         int depth) const
{
    while (*cursor != '\0') {
        const char c = *cursor;
        if (IsOperator(c))
            return OperandEnd::Operator;
        if (IsClosedParenthetical(c)) {
            ++cursor;
            return OperandEnd::ClosingBracket;
        }
        if (!ReadOperandCharacter(cursor, slot, depth))
            return OperandEnd::Failed;
    }
    return OperandEnd::TextEnd;
}

template <typename T>
bool DesignerEquation<T>::ReadOperandCharacter(const char*& cursor, Operand& slot, int depth) const
{
    const char c = *cursor;
    if (IsOpenParenthetical(c)) {
        ++cursor;
        std::unique_ptr<EqOperator<T>> nested;
        if (!BuildEquationTree(cursor, nested, depth + 1))
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
        slot.node = std::make_unique<EqVariable<T>>(std::move(name));
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

std::shared_ptr<const EqNode<float>> DesignerEquation_Algebra::KeptTree(const std::string& text)
{
    thread_local std::unordered_map<std::string, std::shared_ptr<const EqNode<float>>> kept;
    if (const auto found = kept.find(text); found != kept.end())
        return found->second;
    if (kept.size() >= kMaxKeptTrees)
        kept.clear();
    const DesignerEquation_Algebra parser;
    return kept.emplace(text, parser.ParseTree(text.c_str())).first->second;
}

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
    case '+': return std::make_unique<EqOperator<float>>(EqOperatorKind::Add);
    case '-': return std::make_unique<EqOperator<float>>(EqOperatorKind::Subtract);
    case '*': return std::make_unique<EqOperator<float>>(EqOperatorKind::Multiply);
    case '/': return std::make_unique<EqOperator<float>>(EqOperatorKind::Divide);
    case '^': return std::make_unique<EqOperator<float>>(EqOperatorKind::Power);
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
    // The right operand is evaluated only when the left one does not decide the result, so
    // a quest condition can guard a costly or absent variable behind a cheap one.
    case '&': return std::make_unique<EqOperator<bool>>(EqOperatorKind::And);
    case '|': return std::make_unique<EqOperator<bool>>(EqOperatorKind::Or);
    // Holds a level that has a single operand, such as a whole formula that is one name.
    case DesignerEquationLimits::kPassThroughOperator:
        return std::make_unique<EqOperator<bool>>(EqOperatorKind::PassThrough);
    default: return nullptr;
    }
}

std::unique_ptr<EqUnaryOperator<bool>> DesignerEquation_Boolean::SpawnUnaryOperator(char c) const
{
    if (c == '!')
        return std::make_unique<EqUnaryOperator<bool>>(EqUnaryKind::Not);
    return nullptr;
}

std::unique_ptr<EqConstant<bool>> DesignerEquation_Boolean::SpawnConstant(float value) const
{
    const float threshold = DesignerEquationLimits::kBooleanTrueThreshold;
    return std::make_unique<EqConstant<bool>>(value >= threshold || value <= -threshold);
}

}  // namespace GAME
