#include "Game/items/loot/GoldGenerator.h"

#include <algorithm>
#include <climits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerInfoVariables.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

// The smallest pile a split makes: a record's minimum of 0 or less would make empty or
// negative piles.
constexpr int kSmallestPile = 1;

}  // namespace

void GoldGenerator::SetGeneratorLevel(float level) { m_generatorLevel = TruncateToUnsigned(level); }
void GoldGenerator::SetPlayerLevel(float level) { m_currentPlayerLevel = TruncateToUnsigned(level); }
void GoldGenerator::SetMonsterExperience(float experience) { m_monsterExperience = TruncateToUnsigned(experience); }

void GoldGenerator::LoadFromDatabase(const std::string& recordName)
{
    const LoadTable* table = recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return;
    auto loadFormula = [&](const char* key, DesignerEquation_Algebra& formula, bool& present) {
        const char* text = table->GetString(key, "");
        present = *text && formula.ParseEquation(text, this);
        if (*text && !present)
            gEngine->Log(LOG_WARNING, "-=- GoldGenerator Equation load failure : %s ", key);
    };
    loadFormula("goldAmountEquation", m_amountFormula, m_hasAmount);
    loadFormula("goldAmountEquation2", m_amountFormula2, m_hasAmount2);
    m_valueMin = table->GetInt("goldValueMin", 0);
    m_valueMax = table->GetInt("goldValueMax", 0);
    m_splitMin = table->GetInt("goldSplitMin", 0);
    m_splitMax = table->GetInt("goldSplitMax", 0);
    if (m_splitMin > kMaxPiles || m_splitMax > kMaxPiles) {
        gEngine->Log(LOG_WARNING, "GoldGenerator %s: split counts %d to %d held to %d piles", recordName.c_str(),
                     m_splitMin, m_splitMax, kMaxPiles);
        m_splitMin = std::min(m_splitMin, kMaxPiles);
        m_splitMax = std::min(m_splitMax, kMaxPiles);
    }
    m_splitSizeMin = table->GetInt("goldSplitSizeMin", 0);
    table->GetStringArray("goldActors", m_goldActors);
}

DesignerVariableSlot<float> GoldGenerator::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    const Slot player = FindPlayerInfoVariable(name, m_playerInfo);
    if (player.GetKind() != Slot::Kind::Unknown)
        return player;
    return FindDesignerVariable<float>(name, {
                                                 {"currentPlayerLevel", Slot::OfUnsigned(m_currentPlayerLevel)},
                                                 {"generatorLevel", Slot::OfUnsigned(m_generatorLevel)},
                                             });
}

void GoldGenerator::RunGenerator(std::vector<ItemReplicaInfo>& piles)
{
    if (gGameEngine)
        RunGenerator(piles, gGameEngine->GetRandomGen());
}

void GoldGenerator::RunGenerator(std::vector<ItemReplicaInfo>& piles, RandomUniform& random)
{
    // A chance of 0 or less means gold always drops, without a roll.
    if (m_chance > 0.0f && m_chance < random.FGenerate(0.0f, 100.0f))
        return;
    m_playerInfo = {};
    if (gGameEngine)
        gGameEngine->GetPlayerInfo(m_playerInfo);
    const int first = m_hasAmount ? TruncateToInt(m_amountFormula()) : 0;
    const int second = m_hasAmount2 ? TruncateToInt(m_amountFormula2()) : first;
    const int a = std::min(std::max(first, m_valueMin), m_valueMax);
    const int b = std::min(std::max(second, m_valueMin), m_valueMax);
    const int amount = random.IGenerate(std::min(a, b), std::max(a, b));

    std::vector<int> amounts;
    SplitAmount(amount, amounts, random);
    const int lastActor = static_cast<int>(std::min<size_t>(m_goldActors.size(), INT_MAX)) - 1;
    for (const int pile : amounts) {
        std::string name;
        if (lastActor >= 0)
            name = m_goldActors[static_cast<size_t>(std::clamp(random.IGenerate(0, lastActor), 0, lastActor))];
        if (name.empty()) {
            gEngine->Log(LOG_WARNING, "GoldGenerator:  Unable to resolve gold actor name");
            continue;
        }
        ItemReplicaInfo replica;
        replica.baseName = std::move(name);
        replica.var1 = static_cast<uint32_t>(pile);
        piles.push_back(std::move(replica));
    }
}

void GoldGenerator::SplitAmount(int amount, std::vector<int>& piles, RandomUniform& random) const
{
    const int64_t splits = random.IGenerate(m_splitMin, m_splitMax);
    int64_t draws = splits - 1;
    int remainder = amount;
    if (draws < 1) {
        if (remainder >= 1)
            piles.push_back(remainder);
        return;
    }
    const int sizeMin = std::max(m_splitSizeMin, kSmallestPile);
    for (; draws > 0 && remainder >= 1; --draws) {
        int pile = remainder;
        if (static_cast<int64_t>(remainder) > 2 * static_cast<int64_t>(sizeMin))
            pile = random.IGenerate(sizeMin, remainder - sizeMin);
        piles.push_back(pile);
        remainder -= pile;
    }
    if (remainder >= 1)
        piles.push_back(remainder);
}

}  // namespace GAME
