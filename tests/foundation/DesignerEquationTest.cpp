#include "Game/core/foundation/DesignerEquation.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Engine/Engine.h"

namespace GAME {
namespace {

// An owner that knows the names in `values` and counts how often each name is asked for.
template <typename T, typename Interface>
class CountingOwner : public Interface {
public:
    std::map<std::string, T> values;
    std::map<std::string, int> asked;

    bool GetDesignerVariable(const char* name, T& value) override
    {
        ++asked[name];
        const auto found = values.find(name);
        if (found == values.end())
            return false;
        value = found->second;
        return true;
    }
};

using AlgebraOwner = CountingOwner<float, EquationInterface_Algebra>;
using BooleanOwner = CountingOwner<bool, EquationInterface_Boolean>;

class AlgebraTest : public ::testing::Test {
protected:
    AlgebraTest() { owner.values = {{"a", 2}, {"b", 3}, {"c", 5}, {"x", 7}, {"level", 9}}; }

    // The formula's value, or NaN with a test failure when it does not parse.
    float Eval(const char* text)
    {
        DesignerEquation_Algebra formula;
        if (!formula.ParseEquation(text, &owner)) {
            ADD_FAILURE() << "did not parse: " << text;
            return NAN;
        }
        return formula();
    }
    bool Parses(const char* text)
    {
        DesignerEquation_Algebra formula;
        return formula.ParseEquation(text, &owner);
    }

    AlgebraOwner owner;
};

TEST_F(AlgebraTest, OneOperatorPerLevelWithoutPrecedence)
{
    EXPECT_EQ(Eval("a+b"), 5.0f);
    EXPECT_EQ(Eval("(a*b)+c"), 11.0f);
    EXPECT_EQ(Eval("a*(b+c)"), 16.0f);
    EXPECT_EQ(Eval("a-b"), -1.0f);
    EXPECT_EQ(Eval("b/a"), 1.5f);
    EXPECT_EQ(Eval("a^b"), 8.0f);
    // A nested level stops at an operator after its second operand.
    EXPECT_EQ(Eval("(a+b+c)"), 10.0f);        // (a+b)+c
    EXPECT_EQ(Eval("x*(a+b+c)"), 35.0f);      // x*(a+b)
    EXPECT_EQ(Eval("(a+b+c)*x"), 10.0f);      // (a+b)+c, the rest ignored
    EXPECT_EQ(Eval("(a*b+c)"), 11.0f);        // (a*b)+c, left to right
}

TEST_F(AlgebraTest, TextAfterTheOutermostLevelIsIgnored)
{
    EXPECT_EQ(Eval("a+b*c"), 5.0f);
    EXPECT_EQ(Eval("a+b)junk"), 5.0f);
    EXPECT_EQ(Eval("a+b*#$"), 5.0f);
}

TEST_F(AlgebraTest, BracketsOfEitherShapeCloseEachOther)
{
    EXPECT_EQ(Eval("[a+b]*c"), 25.0f);
    EXPECT_EQ(Eval("(a+b]*c"), 25.0f);
    EXPECT_EQ(Eval("[a+b)*c"), 25.0f);
}

TEST_F(AlgebraTest, SpacesAreDroppedButOtherWhitespaceFails)
{
    EXPECT_EQ(Eval("  a +  b "), 5.0f);
    EXPECT_EQ(Eval("( a * b ) + c"), 11.0f);
    EXPECT_FALSE(Parses("a\t+b"));
    EXPECT_FALSE(Parses("a+\nb"));
}

TEST_F(AlgebraTest, NumeralsAndNames)
{
    EXPECT_EQ(Eval("level2*3"), 6.0f);   // the numeral replaces the name as the operand
    EXPECT_EQ(owner.asked.count("level"), 0u);
    EXPECT_FLOAT_EQ(Eval("1.2.3+0"), 1.2f);
    EXPECT_EQ(Eval(".+1"), 1.0f);
    EXPECT_EQ(Eval("10-4"), 6.0f);
    EXPECT_EQ(Eval("a_b+0"), 0.0f);       // '_' belongs to names: unknown name a_b
}

TEST_F(AlgebraTest, ArithmeticFaultsAreNotCaught)
{
    EXPECT_TRUE(std::isinf(Eval("10/(b-b)")));
    EXPECT_TRUE(std::isnan(Eval("(0-8)^0.5")));
}

TEST_F(AlgebraTest, MalformedTextFails)
{
    for (const char* text : {"", " ", "-5", "2*-3", "a+", "()", "a+()", "(", "a+(b", "a$b", "a+b$",
                             "(a+)", "a+-"})
        EXPECT_FALSE(Parses(text)) << text;
    EXPECT_FALSE(DesignerEquation_Algebra().ParseEquation(nullptr, &owner));
}

TEST_F(AlgebraTest, ALoneOperandDoesNotParse)
{
    for (const char* text : {"5", "x", "(x)", "(a+b)", "((a+b)*c)"})
        EXPECT_FALSE(Parses(text)) << text;
}

TEST_F(AlgebraTest, AClosingBracketBeforeAnyOperandIsNotAFormula)
{
    for (const char* text : {")", "]", ")a+b"}) {
        DesignerEquation_Algebra formula;
        EXPECT_FALSE(formula.ParseEquation(text, &owner)) << text;
        EXPECT_FALSE(formula.IsValid());
        EXPECT_EQ(formula(), 0.0f);
    }
}

TEST_F(AlgebraTest, NumeralLengthLimit)
{
    const std::string longest(63, '1');
    EXPECT_TRUE(Parses((longest + "*0").c_str()));
    EXPECT_FALSE(Parses((longest + "1*0").c_str()));
    EXPECT_FALSE(Parses(("0+" + longest + "1").c_str()));
}

// n bracket levels, each "1+(...)", around an innermost 1+1: the value is n + 2.
std::string NestedSum(int levels)
{
    std::string text = "1+1";
    for (int i = 0; i < levels; ++i)
        text = "1+(" + text + ")";
    return text;
}

TEST_F(AlgebraTest, BracketDepthLimit)
{
    EXPECT_EQ(Eval(NestedSum(DesignerEquationLimits::kMaxBracketDepth).c_str()), 66.0f);
    EXPECT_FALSE(Parses(NestedSum(DesignerEquationLimits::kMaxBracketDepth + 1).c_str()));
    EXPECT_FALSE(Parses(std::string(100000, '(').c_str()));
}

TEST_F(AlgebraTest, FailedParseDiscardsTheTree)
{
    DesignerEquation_Algebra formula;
    EXPECT_FALSE(formula.IsValid());
    EXPECT_EQ(formula(), 0.0f);
    ASSERT_TRUE(formula.ParseEquation("a+b", &owner));
    EXPECT_TRUE(formula.IsValid());
    EXPECT_FALSE(formula.ParseEquation("(a+b)*", &owner));
    EXPECT_FALSE(formula.IsValid());
    EXPECT_EQ(formula(), 0.0f);
}

TEST_F(AlgebraTest, ReparseReplacesTheTreeAndVariablesAreReadEachTime)
{
    DesignerEquation_Algebra formula;
    ASSERT_TRUE(formula.ParseEquation("a+b", &owner));
    ASSERT_TRUE(formula.ParseEquation("a*b", &owner));
    EXPECT_EQ(formula(), 6.0f);
    owner.values["a"] = 10;
    EXPECT_EQ(formula(), 30.0f);
    EXPECT_EQ(owner.asked["a"], 2);
}

TEST_F(AlgebraTest, OneParsedTreeBindsToEachOwnerAlone)
{
    DesignerEquation_Algebra parser;
    EXPECT_EQ(parser.ParseTree("(a+b)*"), nullptr);
    EXPECT_EQ(parser.ParseTree(nullptr), nullptr);
    const std::shared_ptr<const EqNode<float>> tree = parser.ParseTree("(a + b) * c");
    ASSERT_NE(tree, nullptr);
    AlgebraOwner other;
    other.values = {{"a", 1}, {"b", 1}, {"c", 10}};
    DesignerEquation_Algebra mine, theirs;
    ASSERT_TRUE(mine.BindTree(*tree, &owner));
    ASSERT_TRUE(theirs.BindTree(*tree, &other));
    EXPECT_EQ(mine(), 25.0f);
    EXPECT_EQ(theirs(), 20.0f);
    other.values["c"] = 3;
    EXPECT_EQ(theirs(), 6.0f);
    EXPECT_EQ(mine(), 25.0f);
}

TEST_F(AlgebraTest, UnknownNameWarnsOnEveryEvaluationAndCountsAsZero)
{
    DesignerEquation_Algebra formula;
    ASSERT_TRUE(formula.ParseEquation("a+missing", &owner));
    LogCapture log;
    EXPECT_EQ(formula(), 2.0f);
    EXPECT_EQ(formula(), 2.0f);
    EXPECT_EQ(log.Count("Designer variable 'missing' not found in parent"), 2u);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0].level, LOG_WARNING);
}

class BooleanTest : public ::testing::Test {
protected:
    BooleanTest() { owner.values = {{"yes", true}, {"no", false}}; }

    bool Eval(const char* text)
    {
        DesignerEquation_Boolean formula;
        EXPECT_TRUE(formula.ParseEquation(text, &owner)) << text;
        return formula();
    }

    BooleanOwner owner;
};

TEST_F(BooleanTest, ShortCircuitSkipsTheRightOperand)
{
    EXPECT_TRUE(Eval("yes|other"));
    EXPECT_FALSE(Eval("no&other"));
    EXPECT_EQ(owner.asked.count("other"), 0u);
    LogCapture log;
    EXPECT_FALSE(Eval("no|other"));   // unknown: false, with a warning
    EXPECT_EQ(owner.asked["other"], 1);
    EXPECT_EQ(log.Count("Designer variable 'other' not found in parent"), 1u);
    EXPECT_FALSE(Eval("yes&other"));
    EXPECT_EQ(owner.asked["other"], 2);
}

TEST_F(BooleanTest, NotAppliesToTheOperandOrGroupAfterIt)
{
    EXPECT_TRUE(Eval("!no&yes"));     // (not no) and yes
    EXPECT_FALSE(Eval("!yes&yes"));
    EXPECT_FALSE(Eval("!(no|yes)"));
    EXPECT_TRUE(Eval("!(no|no)"));
    EXPECT_TRUE(Eval("yes&!no"));
    EXPECT_TRUE(Eval("(!no)"));
}

TEST_F(BooleanTest, LoneOperandsPassThrough)
{
    EXPECT_TRUE(Eval("yes"));
    EXPECT_FALSE(Eval("no"));
    EXPECT_TRUE(Eval("(yes)"));
    EXPECT_TRUE(Eval("[yes|no]"));
    EXPECT_TRUE(Eval("1"));
    EXPECT_TRUE(Eval("10"));
    EXPECT_FALSE(Eval("0"));
    EXPECT_TRUE(Eval("!0"));
}

TEST_F(BooleanTest, MalformedTextFailsAndLeavesNoTree)
{
    for (const char* text : {"", ")", "!)", "()", "yes|", "&yes", "yes+no", "2"}) {
        DesignerEquation_Boolean formula;
        EXPECT_FALSE(formula.ParseEquation(text, &owner)) << text;
        EXPECT_FALSE(formula.IsValid());
        EXPECT_FALSE(formula());
    }
}

TEST_F(BooleanTest, BracketDepthLimit)
{
    const int limit = DesignerEquationLimits::kMaxBracketDepth;
    const auto wrapped = [](int levels) {
        return std::string(levels, '(') + "yes" + std::string(levels, ')');
    };
    EXPECT_TRUE(Eval(wrapped(limit).c_str()));
    DesignerEquation_Boolean formula;
    EXPECT_FALSE(formula.ParseEquation(wrapped(limit + 1).c_str(), &owner));
}

// ---- Names bound to the owner's slots -----------------------------------------------------

// Binds "a", "b" (values), "count" (unsigned) and "scaled" (worked out at each evaluation) to
// its fields, leaves "byName" to be asked by name, and knows nothing else.
class SlotOwner : public EquationInterface_Algebra {
public:
    float a = 2, b = 3, scale = 10, byName = 100;
    uint32_t count = 4;
    std::atomic<int> binds{0};
    mutable int computes = 0;
    std::map<std::string, int> askedByName;

    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override
    {
        ++binds;
        using Slot = DesignerVariableSlot<float>;
        if (std::strcmp(name, "byName") == 0)
            return Slot::ByName();
        return FindDesignerVariable<float>(name, {
            {"a", Slot::Of(a)},
            {"b", Slot::Of(b)},
            {"count", Slot::OfUnsigned(count)},
            {"scaled", Slot::Computed(&Scaled, this, 3)},
        });
    }
    bool GetDesignerVariable(const char* name, float& value) override
    {
        ++askedByName[name];
        if (std::strcmp(name, "byName") == 0) {
            value = byName;
            return true;
        }
        return EquationInterface_Algebra::GetDesignerVariable(name, value);
    }

private:
    static float Scaled(const void* self, int key)
    {
        const SlotOwner& owner = *static_cast<const SlotOwner*>(self);
        ++owner.computes;
        return owner.scale * static_cast<float>(key);
    }
};

TEST(DesignerEquationSlotTest, FormulasFollowTheirSlotsAndAskOnlyUnboundNames)
{
    SlotOwner owner;
    DesignerEquation_Algebra formula;
    ASSERT_TRUE(formula.ParseEquation("((a*b)+count)*scaled", &owner));
    EXPECT_EQ(formula(), 300.0f);   // (6 + 4) x 30
    owner.a = 5;
    owner.count = 1u << 24;   // read as the float nearest, as the engine's inputs are
    owner.scale = 1;
    EXPECT_EQ(formula(), (15.0f + 16777216.0f) * 3.0f);
    EXPECT_EQ(owner.binds, 4);   // binding happens once, at parse time
    EXPECT_EQ(owner.computes, 2);   // a computed value is worked out at every evaluation
    EXPECT_TRUE(owner.askedByName.empty());

    // Only the operands that survive parsing are bound.
    SlotOwner fresh;
    ASSERT_TRUE(formula.ParseEquation("a2*b", &fresh));   // the numeral replaces a
    EXPECT_EQ(fresh.binds, 1);
    EXPECT_EQ(formula(), 6.0f);

    // A name left to be asked is asked at every evaluation.
    ASSERT_TRUE(formula.ParseEquation("byName-a", &fresh));
    EXPECT_EQ(formula(), 98.0f);
    fresh.byName = 7;
    EXPECT_EQ(formula(), 5.0f);
    EXPECT_EQ(fresh.askedByName["byName"], 2);
    EXPECT_EQ(fresh.askedByName.count("a"), 0u);
}

TEST(DesignerEquationSlotTest, UnknownNamesCountAsZeroAndWarnAtEveryEvaluation)
{
    SlotOwner owner;
    DesignerEquation_Algebra formula;
    LogCapture log;
    ASSERT_TRUE(formula.ParseEquation("a+missing", &owner));
    EXPECT_TRUE(log.Lines().empty());   // nothing is logged when the formula loads
    EXPECT_EQ(formula(), 2.0f);
    EXPECT_EQ(formula(), 2.0f);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[1].level, LOG_WARNING);
    EXPECT_EQ(log.Lines()[1].text, "Designer variable 'missing' not found in parent");
    float value = -1;   // an owner's by-name answer reads through the same binding
    EXPECT_FALSE(owner.GetDesignerVariable("missing", value));
    EXPECT_TRUE(owner.GetDesignerVariable("count", value) && value == 4.0f);

    // Without an owner every name is unknown.
    ASSERT_TRUE(formula.ParseEquation("a*3", nullptr));
    EXPECT_EQ(formula(), 0.0f);
    EXPECT_EQ(log.Count("Designer variable 'a' not found in parent"), 1u);
}

// Every level's first operand is worked out in the frame, so each level's second operand
// goes one deeper: the deepest formula the bracket limit lets through still fits.
TEST(DesignerEquationSlotTest, DeepestFormulaFitsItsFrame)
{
    std::string text = "byName+byName";
    for (int level = 0; level < DesignerEquationLimits::kMaxBracketDepth; ++level)
        text = "(a+b)+(" + text + ")";
    SlotOwner owner;
    DesignerEquation_Algebra formula;
    ASSERT_TRUE(formula.ParseEquation(text.c_str(), &owner));
    EXPECT_EQ(formula(), 5.0f * DesignerEquationLimits::kMaxBracketDepth + 200.0f);
    EXPECT_FALSE(formula.ParseEquation(("(a+b)+(" + text + ")").c_str(), &owner));
}

// A program compiled for one owner and moved onto another of its class reads the other's
// slots in every operand form, keeps its own constants and an address outside the owner,
// and asks the other by name; the first owner may be gone.
TEST(DesignerEquationSlotTest, AProgramMovedOntoAnotherOwnerReadsThatOwner)
{
    static const float kOutside = 1000.0f;
    class OutsideOwner : public SlotOwner {
    public:
        DesignerVariableSlot<float> BindDesignerVariable(const char* name) override
        {
            if (std::strcmp(name, "outside") == 0)
                return DesignerVariableSlot<float>::Of(kOutside);
            return SlotOwner::BindDesignerVariable(name);
        }
    };
    const char* const texts[] = {"((a*b)+count)*scaled", "(a+2)*(b-0.5)", "(outside+byName)-((2*a)+(b*3))",
                                 "(count+(a*(b+scaled)))/4"};
    auto first = std::make_unique<OutsideOwner>();
    const auto firstAddress = reinterpret_cast<std::uintptr_t>(first.get());
    std::vector<std::unique_ptr<DesignerEquation_Algebra>> models;
    for (const char* text : texts) {
        models.push_back(std::make_unique<DesignerEquation_Algebra>());
        ASSERT_TRUE(models.back()->ParseEquation(text, first.get()));
    }
    first.reset();

    OutsideOwner second, compiled;   // the same values; the second compiled the usual way
    for (OutsideOwner* owner : {&second, &compiled})
        owner->a = 7, owner->b = 11, owner->count = 13, owner->scale = 17, owner->byName = 19;
    for (size_t i = 0; i < std::size(texts); ++i) {
        DesignerEquation_Algebra moved, fresh;
        moved.CopyBoundFor(*models[i], firstAddress, sizeof(OutsideOwner), &second, &second);
        ASSERT_TRUE(fresh.ParseEquation(texts[i], &compiled));
        EXPECT_EQ(moved(), fresh()) << texts[i];
        second.a += 1;   // the moved program follows its owner's slots
        compiled.a += 1;
        EXPECT_EQ(moved(), fresh()) << texts[i];
    }
    EXPECT_EQ(second.askedByName["byName"], 2);

    // A copy keeps what it reads (constants, names asked for) when its model goes, and a
    // copy of an empty formula is empty.
    DesignerEquation_Algebra kept, empty;
    kept.CopyBoundFor(*models[2], firstAddress, sizeof(OutsideOwner), &second, &second);
    const float expected = kept();
    models.clear();
    EXPECT_EQ(kept(), expected);
    EXPECT_EQ(second.askedByName["byName"], 4);
    DesignerEquation_Algebra none;
    empty.CopyBoundFor(none, firstAddress, sizeof(OutsideOwner), &second, &second);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty(), 0.0f);
}

class FlagOwner : public EquationInterface_Boolean {
public:
    bool open = false, lit = true;

    DesignerVariableSlot<bool> BindDesignerVariable(const char* name) override
    {
        using Slot = DesignerVariableSlot<bool>;
        return FindDesignerVariable<bool>(name, {{"open", Slot::Of(open)}, {"lit", Slot::Of(lit)}});
    }
};

TEST(DesignerEquationSlotTest, BooleanFormulaFollowsItsSlotsAndSkipsWhatItNeedNot)
{
    FlagOwner owner;
    DesignerEquation_Boolean formula;
    ASSERT_TRUE(formula.ParseEquation("!(open&missing)&[lit|missing]", &owner));
    LogCapture log;
    EXPECT_TRUE(formula());   // open is false and lit true: missing is never reached
    EXPECT_TRUE(log.Lines().empty());
    owner.open = true;
    EXPECT_TRUE(formula());   // !(true & false) & lit
    EXPECT_EQ(log.Count("Designer variable 'missing' not found in parent"), 1u);
    owner.lit = false;
    EXPECT_FALSE(formula());   // lit | missing is false
    EXPECT_EQ(log.Count("Designer variable 'missing' not found in parent"), 3u);
}

// Parsing binds without writing to the owner, and evaluation keeps its temporaries on its
// own thread's stack: one thread parses formulas of an owner while another evaluates one of
// the same owner and alone writes the owner's slots.
TEST(DesignerEquationSlotTest, ParsingOnAnotherThreadLeavesAnEvaluationAlone)
{
    SlotOwner owner;
    DesignerEquation_Algebra evaluated;
    ASSERT_TRUE(evaluated.ParseEquation("(a*b)+count", &owner));
    std::atomic<bool> stop{false};
    std::atomic<int> parsed{0};
    std::thread parser([&] {
        DesignerEquation_Algebra other;
        while (!stop.load() || parsed.load() == 0)
            parsed += other.ParseEquation("(a+b)*(count-b)", &owner) ? 1 : 0;
    });
    for (int i = 0; i < 20000; ++i) {
        owner.a = static_cast<float>(i);
        ASSERT_EQ(evaluated(), static_cast<float>(i) * 3.0f + 4.0f);
    }
    stop = true;
    parser.join();
    EXPECT_GT(parsed.load(), 0);
}

}  // namespace
}  // namespace GAME
