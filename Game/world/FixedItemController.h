// The rules of a fixed item where the world is decided (single player or server): who
// touched it, whether the touch changes it, its skill's countdown, and its loot: a level
// from a designer formula, a number of items, the items from weighted loot tables, gold,
// and one item per party member. The controller changes the world only through commands
// queued on its item, so that every peer sees the change. Each kind of item has its own.
#pragma once

#include <cstdint>
#include <string>

#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/items/ItemTypes.h"
#include "Game/world/FixedItem.h"

namespace GAME {

class LoadTable;
class Name;
class RandomUniform;
struct ItemReplicaInfo;

class FixedItemController : public EquationInterface_Algebra {
public:
    FixedItemController() = default;
    ~FixedItemController() override = default;

    // "averagePlayerLevel", "minPlayerLevel", "maxPlayerLevel", "numberOfPlayers",
    // "gameDifficulty" (the players' information read when loot is made) and "proxyLevel"
    // (the item's level from its spawn pool, read at every evaluation).
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    virtual void SetParent(FixedItem* item) { m_parent = item; }
    virtual void LoadFromDatabase(const std::string& recordName) { m_recordName = recordName; }
    virtual void SetFixedItemState(FixedItem_State state) { m_state = state; }
    virtual void HasBeenTouchedByActor(uint32_t actorId);
    // The item counts its skill's delay down itself; the kinds call this from theirs.
    virtual void Update(int /*elapsedMs*/) {}
    virtual void AnimationCallback(int /*unused*/, const Name& /*event*/) {}
    virtual void InitialUpdate() {}

    // Creates max(count, 1) items of the same identity at the loot point, each under a
    // fresh object id (the seed stays).
    void DropAdditionalItems(ItemReplicaInfo& info, unsigned count);

    // The loot of one opening: items, gold and the per-party item.
    void LoadDropLoot();

    // The generator loot draws from: the game's unless one is set (tests script draws).
    void SetRandomGen(RandomUniform* random) { m_random = random; }

    uint32_t GetLevel() const { return m_level; }
    uint32_t GetTouchingActor() const { return m_touchingActor; }
    FixedItem_State GetState() const { return m_state; }
    FixedItem* GetParent() const { return m_parent; }

    // The loot steps, public for the kinds and for checks of the draws.
    void CalculateFixedItemLevel(const LoadTable& itemRecord);
    unsigned SelectLootNumber(const LoadTable& lootRecord);
    void PickLootRecord(const LoadTable& itemRecord, std::string& out) const;
    void SelectLoot(const LoadTable& lootRecord, std::string& base, std::string& prefix, std::string& suffix,
                    unsigned level, ChestClassification classification);
    void RunGoldGenerator(float chance, float level, const std::string& record);

protected:
    virtual void TouchedByActor() {}
    uint32_t GetProxyLevel() const;
    // Starts the item's skill countdown for the touching actor.
    void RunSkill();
    RandomUniform& Random() const;
    // A new identity's item in the world at the loot point.
    void CreateLootItem(const ItemReplicaInfo& info) const;

    uint32_t m_level = 0;
    uint32_t m_touchingActor = 0;
    std::string m_recordName;
    FixedItem* m_parent = nullptr;
    FixedItem_State m_state = FixedItemState_None;
    PlayerInfo m_playerInfo;

private:
    // A non-empty formula's value, rounded, a negative value counting as 0; 0 (logged as
    // `what`) when it does not parse.
    unsigned EvaluateRounded(const char* text, const char* what);

    RandomUniform* m_random = nullptr;
};

}  // namespace GAME
