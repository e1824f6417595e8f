// Parses arbitrary bytes as a designer formula in both flavours and evaluates what parses,
// with an owner that knows a few names.
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
        else
            return false;
        return true;
    }
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

// Unknown names log a warning on every evaluation; drop the lines so the run stays fast.
const bool gQuietLog = [] {
    gEngine->SetLogSink([](const LogLine&) {});
    return true;
}();

}  // namespace

// A formula that parses has a tree; one that does not has none and yields zero (false).
template <typename Formula, typename Owner>
void ParseAndEvaluate(const std::string& text)
{
    Owner owner;
    Formula formula;
    if (formula.ParseEquation(text.c_str(), &owner)) {
        if (!formula.IsValid())
            __builtin_trap();
        volatile auto value = formula();
        (void)value;
    } else if (formula.IsValid() || formula()) {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)gQuietLog;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseAndEvaluate<DesignerEquation_Algebra, FuzzAlgebraOwner>(text);
    ParseAndEvaluate<DesignerEquation_Boolean, FuzzBooleanOwner>(text);
    return 0;
}
