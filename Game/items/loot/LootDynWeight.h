// An item table whose weights follow the items' levels: a window of levels from designer
// formulas decides which items may drop, and a bell curve around a target level weights
// them. The window and weights are worked out once per object, at its first pick.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/loot/LootBase.h"

namespace GAME {

class LootItemTable_DynWeight : public LootBase, public EquationInterface_Algebra {
    GAME_DECLARE_CLASS(LootItemTable_DynWeight)

public:
    struct Entry {
        std::string_view name;   // in the table's own copy of the names
        uint32_t level = 0;
        uint32_t weight = 0;
        bool valid = false;
    };
    static constexpr uint32_t kNoLowestLevel = 0xFFFFFF;

    LootItemTable_DynWeight() = default;
    ~LootItemTable_DynWeight() override;

    void Load(const LoadTable& table) override;
    void GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random,
                     int& depth) override;
    void SetLevel(uint32_t parentLevel, uint32_t averagePlayerLevel) override
    {
        m_parentLevel = parentLevel;
        m_averagePlayerLevel = averagePlayerLevel;
    }
    void OverrideTest(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random) override;
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    // Works out the window and weights now, when not done yet.
    void ComputeWeights();
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    uint32_t GetTotalWeight() const { return m_totalWeight; }

private:
    // Binds one formula as read from the record (`kept`, kept with it; see the source).
    void LoadFormula(const void* kept, const char* key, DesignerEquation_Algebra& formula, bool& present);
    int LevelFromFormula(const DesignerEquation_Algebra& formula, bool present) const;

    std::vector<Entry> m_entries;
    // What was read of the record, kept with it and shared by its tables: the entries'
    // names are in it.
    std::shared_ptr<const void> m_read;
    uint32_t m_defaultWeight = 0;
    std::vector<float> m_bellSlope;
    DesignerEquation_Algebra m_minLevelFormula;
    DesignerEquation_Algebra m_maxLevelFormula;
    DesignerEquation_Algebra m_targetLevelFormula;
    bool m_hasMinLevel = false;
    bool m_hasMaxLevel = false;
    bool m_hasTargetLevel = false;
    uint32_t m_lowestItemLevel = kNoLowestLevel;
    uint32_t m_highestItemLevel = 0;
    uint32_t m_parentLevel = 0;
    uint32_t m_averagePlayerLevel = 0;
    uint32_t m_gameDifficulty = 0;
    bool m_processed = false;
    bool m_weightsFit = true;
    uint32_t m_totalWeight = 0;
};

}  // namespace GAME
