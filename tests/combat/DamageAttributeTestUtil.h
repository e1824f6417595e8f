// What the damage attribute tests share: records from text, kinds by name, and formats
// that show each piece of a line plainly.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/RetaliationAttributeKinds.h"

namespace GAME {

// Hands out one whole-number draw, or the scripted draws in turn (the last again once they
// run out), and remembers the spread of every draw asked for.
class FixedDrawRandom : public RandomUniform {
public:
    int IGenerate(int min, int max) override
    {
        spreads.emplace_back(min, max);
        return draws.empty() ? draw : draws[std::min(spreads.size(), draws.size()) - 1];
    }
    int draw = 0;
    std::vector<int> draws;
    std::vector<std::pair<int, int>> spreads;
};

inline LoadTable Record(const std::string& text)
{
    LoadTable table("test.dbr");
    table.Parse(text.data(), text.size(), "test.dbr");
    return table;
}

// A kind of one family's table by its class name (a test failure and null when missing).
template <class Kinds>
auto MakeNamed(const Kinds& kinds, const std::string& name) -> decltype(kinds.begin()->create())
{
    for (const auto& kind : kinds)
        if (name == kind.name)
            return kind.create();
    ADD_FAILURE() << "no attribute kind " << name;
    return nullptr;
}

// An offensive or a retaliation kind by its class name.
inline std::unique_ptr<DamageAttribute> MakeKind(const std::string& name)
{
    for (const DamageAttributeKind& kind : GetRetaliationAttributeKinds())
        if (name == kind.name)
            return kind.create();
    return MakeNamed(GetDamageAttributeKinds(), name);
}

// The class names of a list of attributes, in order.
template <class List>
std::vector<std::string> ClassNames(const List& list)
{
    std::vector<std::string> names;
    for (const auto& attribute : list)
        names.push_back(attribute->GetClassInfo().GetName());
    return names;
}

inline std::vector<std::string> Utf8Lines(const DamageAttribute::TextList& lines)
{
    std::vector<std::string> out;
    for (const std::u16string& line : lines)
        out.push_back(LocalizationManager::ToChar(line));
    return out;
}

// One attribute's lines at a level, its three lists in order.
inline std::vector<std::string> AttributeLines(const DamageAttribute& attribute, unsigned level)
{
    DamageAttribute::TextList texts1, texts2, texts3;
    attribute.CreateText(texts1, texts2, texts3, level);
    texts1.insert(texts1.end(), texts2.begin(), texts2.end());
    texts1.insert(texts1.end(), texts3.begin(), texts3.end());
    return Utf8Lines(texts1);
}

// Each piece of a line in brackets of its own kind; display tags show as themselves,
// given a value in the modifier families.
inline void RegisterTestFormats()
{
    LocalizationManager& text = LocalizationManager::Instance();
    text.Clear();
    text.RegisterTags("ChanceOfTag=[%.0f]\n"
                      "tagIndent=>\n"
                      "DamageSingleFormat={%g}\n"
                      "DamageRangeFormat={%g-%g}\n"
                      "DamageReflexSingleFormat=R{%g}\n"
                      "DamageReflexRangeFormat=R{%g-%g}\n"
                      "DamageInfluenceSingleFormat=I{%g}\n"
                      "DamageInfluenceRangeFormat=I{%g-%g}\n"
                      "tagPerSecond=/s\n"
                      "DamageSingleFormatTime=(%g s)\n"
                      "DamageRangeFormatTime=(%g-%g s)\n"
                      "DamageFixedSingleFormatTime=(for %g s)\n"
                      "DamageFixedRangeFormatTime=(for %g-%g s)\n"
                      "ImprovedTimeFormat=+%g%%t\n"
                      "DamageBasePhysical=DamageBasePhysical\n"
                      "DamageBasePierceRatio=pierce %g\n"
                      "DamageManaDrain=DamageManaDrain\n"
                      "DamageManaBurnRatio=, ratio %g\n");
}

// The bundled English texts, and the test records to load, for as long as it lives.
struct BundledTextsScope {
    BundledTextsScope()
    {
        LocalizationManager::Instance().Clear();
        EXPECT_GT(LocalizationManager::Instance().LoadFile(std::string(GAME_DATA_DIR) + "/Text/English.txt"), 0u);
        RecordDatabase::Get().SetDataRoot(GAME_TEST_DATA_DIR);
    }
    ~BundledTextsScope()
    {
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().SetDataRoot("");
    }
};

// A display tag shown as itself, with the modifier after it when it takes one.
inline void RegisterDisplayTag(const std::string& tag, bool takesValue)
{
    LocalizationManager::Instance().RegisterTags(tag + "=" + tag + (takesValue ? " %g" : "") + "\n");
}

}  // namespace GAME
