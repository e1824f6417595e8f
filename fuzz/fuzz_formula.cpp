// Parses arbitrary bytes as a designer formula in both flavours and evaluates what parses,
// once with an owner that answers by name and once with an owner that binds the same names
// to slots (values, an unsigned number, a computed value): both must give the same result.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Game/core/foundation/DesignerEquation.h"

namespace {

using namespace GAME;

class FuzzAlgebraOwner : public EquationInterface_Algebra {
public:
    bool GetDesignerVariable(const char* name, float& value) override
    {
        if (std::strcmp(name, "level") == 0)
            value = 20;
        else if (std::strcmp(name, "a") == 0)
            value = -3.5f;
        else if (std::strcmp(name, "zero") == 0)
            value = 0;
        else if (std::strcmp(name, "big") == 0)
            value = 4000000000.0f;
        else
            return false;
        return true;
    }
};

class BoundAlgebraOwner : public EquationInterface_Algebra {
public:
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override
    {
        using Slot = DesignerVariableSlot<float>;
        if (std::strcmp(name, "zero") == 0)
            return Slot::ByName();
        return FindDesignerVariable<float>(name, {
            {"level", Slot::Of(m_level)},
            {"a", Slot::Computed(&Half, this, -7)},
            {"big", Slot::OfUnsigned(m_big)},
        });
    }
    bool GetDesignerVariable(const char* name, float& value) override
    {
        if (std::strcmp(name, "zero") != 0)
            return EquationInterface_Algebra::GetDesignerVariable(name, value);
        value = 0;
        return true;
    }

private:
    static float Half(const void*, int key) { return static_cast<float>(key) * 0.5f; }

    float m_level = 20;
    uint32_t m_big = 4000000000u;
};

class FuzzBooleanOwner : public EquationInterface_Boolean {
public:
    bool GetDesignerVariable(const char* name, bool& value) override
    {
        if (std::strcmp(name, "yes") == 0)
            value = true;
        else if (std::strcmp(name, "no") == 0)
            value = false;
        else
            return false;
        return true;
    }
};

class BoundBooleanOwner : public EquationInterface_Boolean {
public:
    DesignerVariableSlot<bool> BindDesignerVariable(const char* name) override
    {
        using Slot = DesignerVariableSlot<bool>;
        return FindDesignerVariable<bool>(name, {{"yes", Slot::Of(m_yes)}, {"no", Slot::Of(m_no)}});
    }

private:
    bool m_yes = true;
    bool m_no = false;
};

// Unknown names log a warning on every evaluation; drop the lines so the run stays fast.
const bool gQuietLog = [] {
    gEngine->SetLogSink([](const LogLine&) {});
    return true;
}();

bool Same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }
bool Same(bool a, bool b) { return a == b; }

}  // namespace

// A formula that parses has a program; one that does not has none and yields zero (false).
// The parse does not depend on the owner, and neither does the value when the owners agree.
template <typename Formula, typename ByNameOwner, typename BoundOwner>
void ParseAndEvaluate(const std::string& text)
{
    ByNameOwner byNameOwner;
    BoundOwner boundOwner;
    Formula byName;
    Formula bound;
    const bool parsed = byName.ParseEquation(text.c_str(), &byNameOwner);
    if (bound.ParseEquation(text.c_str(), &boundOwner) != parsed)
        __builtin_trap();
    if (parsed) {
        if (!byName.IsValid() || !bound.IsValid())
            __builtin_trap();
        if (!Same(byName(), bound()))
            __builtin_trap();
    } else if (byName.IsValid() || byName() || bound.IsValid() || bound()) {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)gQuietLog;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseAndEvaluate<DesignerEquation_Algebra, FuzzAlgebraOwner, BoundAlgebraOwner>(text);
    ParseAndEvaluate<DesignerEquation_Boolean, FuzzBooleanOwner, BoundBooleanOwner>(text);
    return 0;
}
