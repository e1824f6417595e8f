// Spawn proxies: invisible placeholders in a level that, when the level loads, choose a
// pool by difficulty and weight, turn the players' levels into a difficulty budget with
// designer formulas, let the pool create monsters worth that budget (and an accessory
// pool a fixed item), and place them around themselves when the world starts.
//
// Threads: a level may load on its own thread. Load and InitialUpdate hold the proxy's
// own lock; there a proxy draws only from the game's locked generator and uses only the
// game engine's guarded registries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/Entity.h"
#include "Engine/UniqueId.h"
#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/world/ProxyPool.h"

namespace GAME {

class BinaryReader;
class BinaryWriter;

class Proxy : public Actor, public EquationInterface_Algebra {
    GAME_DECLARE_CLASS(Proxy)

public:
    static constexpr int kPoolSlots = 6;
    static constexpr float kDefaultPlacementExtents = 2.5f;
    static constexpr int kEditorFilterType = 3;

    Proxy();
    ~Proxy() override;

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    void PreLoad(bool flag) override;
    bool ShouldServerSpawn() const override { return false; }
    bool CanCollide(const Entity* /*other*/) const override { return false; }
    bool OccludesPathing() const override { return false; }

    // The level's saved state of the proxy: whether it has run.
    virtual bool ShouldSaveState() const { return true; }
    virtual void SaveState(BinaryWriter& writer);
    // False (and the proxy as it was) when the bytes run out.
    virtual bool RestoreState(BinaryReader& reader);
    // A trigger's order: the proxy will spawn nothing more.
    void Disable();
    bool IsSpent() const;

    void GetPrimaryObjects(std::vector<uint32_t>& out) const;
    // The primary objects of the proxy with this id; none when the id names no proxy.
    static std::vector<uint32_t> PrimaryObjectsOf(uint32_t proxyId);
    void GetAccessoryObjects(std::vector<uint32_t>& out) const;
    void GetPlacedObjects(std::vector<uint32_t>& out) const;

    // The cost of a pool entry: the character formula over the monster's level, never
    // below the entry's own difficulty.
    int CalculateCharacterDifficulty(const LoadTable& monsterRecord, int entryDifficulty);
    // The part of the budget spent on champions, within [0, budget].
    int CalculateChampionDifficulty(int budget);
    // A pool's count formula evaluated with poolValue = value; the value itself when the
    // text is empty or does not parse.
    int RunEquation(const std::string& text, int value);
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    // The level's identity of the proxy, by which instance groups know it.
    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    // Also enters the proxy in the engine's map of placed entities under that id.
    void SetUniqueId(const UniqueId& id);
    int GetBudget() const { return m_budget; }
    GameDifficulty GetDifficulty() const { return static_cast<GameDifficulty>(m_playerInfo.gameDifficulty); }
    const std::string& GetPoolName() const { return m_poolName; }
    const std::string& GetAccessoryName() const { return m_accessoryName; }
    uint32_t GetAveragePlayerLevel() const { return m_averagePlayerLevel; }

    // The weighted choice: r drawn in [0, total]; the first selection whose running sum
    // reaches r. 0 for an empty list.
    static unsigned SelectPool(const std::vector<ProxySelection>& selections);

protected:
    // Hands the pool's monsters their proxy and places what it can.
    virtual void PoolComplete(ProxyPool& pool, std::vector<WorldCoords>& coords);
    virtual void AccessoryComplete(ProxyAccessoryPool& pool, std::vector<WorldCoords>& coords);
    // Pairs ids and coordinates in order; what is placed leaves `ids`.
    void PlaceObjects(std::vector<uint32_t>& ids, std::vector<WorldCoords>& coords);
    // Places around the proxy, one spacing of placementExtents for each id.
    void SelectPoolLoctions(const std::vector<uint32_t>& ids, std::vector<WorldCoords>& out) const;
    void RunProxy();
    // Destroys the objects not placed (a proxy that will never run).
    void ReleasePools();

    mutable CriticalSection m_lock;

private:
    void LoadEquations(const LoadTable& table);
    void SetDesignerLimits(const std::string& limitsFile);
    void InitializePools(const LoadTable& table);
    void LoadPoolSelection(const LoadTable& table, const char* poolKey, const char* weightKey,
                           std::vector<ProxySelection>& out) const;
    // The formula's value times the game-wide modifier of the difficulty (when above 0)
    // in percent, rounded.
    int ScaledByModifier(float value, const char* modifierKey) const;

    UniqueId m_uniqueId;
    PlayerInfo m_playerInfo;
    uint32_t m_averagePlayerLevel = 0;
    uint32_t m_characterLevel = 0;
    uint32_t m_entryDifficulty = 0;
    int m_poolValue = 0;
    uint32_t m_availableChampionDifficulty = 0;
    float m_placementExtents = kDefaultPlacementExtents;
    float m_chanceToRun = 0.0f;
    int m_budget = 0;
    std::string m_poolName;
    std::string m_accessoryName;
    std::unique_ptr<DesignerEquation_Algebra> m_difficultyEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_characterDifficultyEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_championDifficultyEquation;
    std::unique_ptr<ProxyPool> m_pool;
    std::unique_ptr<ProxyAccessoryPool> m_accessoryPool;
    std::vector<WorldCoords> m_poolCoords;
    std::vector<WorldCoords> m_accessoryCoords;
    std::vector<uint32_t> m_placed;
    bool m_spent = false;
};

}  // namespace GAME
