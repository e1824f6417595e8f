#include "host/HostLoot.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/Filters.h"
#include "Game/items/EquipManager.h"
#include "Game/items/ItemFingerprint.h"
#include "Game/items/OneShot.h"
#include "Game/network/ActorConfigCommands.h"
#include "host/HostText.h"

namespace GAME {

namespace {

// The player reaches for the pile this many frames after it fell: a peer that hears of the
// pile and of the pick-up in frames this far apart sees it on the ground first.
constexpr int kPickUpDelayFrames = 12;

struct IsMonster : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity->IsA<Monster>(); }
};

// An item lying on the ground: in the world and held by nobody.
struct IsLooseItem : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override
    {
        return entity->IsA<Item>() && entity->IsInWorld() && !entity->GetAttachParent();
    }
};

std::vector<Entity*> Find(const FilterFunction<Entity>& filter)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, filter, EntityList_All);
    return found;
}

}  // namespace

std::string HostLoot::Identity(const Item& item)
{
    const ItemReplicaInfo& id = item.GetItemReplicaInfo();
    char text[1024];
    std::snprintf(text, sizeof(text), "%s (seed %u), fingerprint %016" PRIx64, HostName(&item).c_str(), id.seed,
                  ItemFingerprint(item).Digest());
    return text;
}

void HostLoot::AfterFrame(int frame, uint32_t playerId)
{
    WatchMonsters(frame);
    WatchDrops(frame);
    // The piles are the server's to hand out.
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (player && gGameEngine && gGameEngine->IsServerOrSingle())
        TakePile(frame, *player);
}

// The items a monster rolled, printed when it is first seen: on the host that rolled them
// at its load, and on a peer that rebuilt them from its loot seed.
void HostLoot::WatchMonsters(int frame)
{
    ObjectManager& objects = ObjectManager::Get();
    for (Entity* entity : Find(IsMonster())) {
        auto* monster = static_cast<Monster*>(entity);
        const Character::LootStruct& loot = monster->GetLootInfo();
        // A peer may see a monster a frame before its replica brings the loot (a spawned
        // creature is made by the command first): its items have no ids until then.
        if (loot.itemIds[0] == 0)
            continue;
        if (!m_monstersSeen.insert(monster->GetObjectId()).second)
            continue;
        std::printf("loot: frame %d: monster %u rolls its items from loot seed %u\n", frame, monster->GetObjectId(),
                    static_cast<unsigned>(loot.seed));
        for (uint32_t itemId : loot.itemIds) {
            const auto* item = objects.GetObject<Item>(itemId);
            if (!item)
                continue;
            m_lootIds.insert(itemId);
            const bool worn = monster->GetCombatManager().GetEquipManager().HasItem(itemId);
            std::printf("loot: frame %d: monster %u %s item %u: %s\n", frame, monster->GetObjectId(),
                        worn ? "wears" : "carries", itemId, Identity(*item).c_str());
        }
    }
}

// What came to lie on the ground: a monster's rolled items and gold piles, each once.
void HostLoot::WatchDrops(int frame)
{
    for (Entity* entity : Find(IsLooseItem())) {
        const auto* item = static_cast<const Item*>(entity);
        const uint32_t id = item->GetObjectId();
        const bool pile = item->IsA<OneShot_Gold>();
        if ((!pile && !m_lootIds.count(id)) || !m_dropsSeen.insert(id).second)
            continue;
        std::printf("loot: frame %d: %s %u lies on the ground: %s\n", frame, pile ? "gold pile" : "item", id,
                    Identity(*item).c_str());
        if (pile && !m_pileId) {
            m_pileId = id;
            m_pileFrame = frame;
        }
    }
}

void HostLoot::TakePile(int frame, Player& player)
{
    auto* pile = ObjectManager::Get().GetObject<OneShot_Gold>(m_pileId);
    switch (m_step) {
    case Step::Waiting:
        if (!pile || !pile->IsInWorld() || !player.IsAlive() || frame < m_pileFrame + kPickUpDelayFrames)
            return;
        // The pick-up runs as the command the player's pick-up ends in, at the commands'
        // point of the next frame.
        m_step = Step::PickedUp;
        m_pileGold = pile->GetItemReplicaInfo().var1;
        m_moneyBefore = player.GetCurrentMoney();
        std::printf("loot: frame %d: the player picks up gold pile %u, %.2f units away\n", frame, m_pileId,
                    (pile->GetCoords().GetPosition() - player.GetPathPosition()).Length());
        player.Enqueue(new CharPickUpConfigCmd(player.GetObjectId(), m_pileId));
        return;
    case Step::PickedUp:
        m_step = Step::Done;
        // The bags use a gold pile as it arrives: the pile is gone and the gold is paid.
        if (pile) {
            std::printf("loot: frame %d: the gold pile %u never reached the player\n", frame, m_pileId);
            return;
        }
        std::printf("loot: frame %d: the player uses the gold pile %u (%u gold): money %u -> %u\n", frame, m_pileId,
                    m_pileGold, m_moneyBefore, player.GetCurrentMoney());
        return;
    case Step::Done:
        return;
    }
}

}  // namespace GAME
