#include "Game/world/BoundingVolumeBossMonster.h"

#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(BoundingVolumeBossMonster, BoundingVolumeMultiple)

namespace {
constexpr int kBossFadeOutMs = 5000;
constexpr int kBossFadeSphere = 2;
constexpr int kBossInnerSphere = 0;
}  // namespace

BoundingVolumeBossMonster::BoundingVolumeBossMonster()
    : m_deathHandler("GameEvent_CreatureStartDeath", &BoundingVolumeBossMonster::OnCreatureStartDeath, this)
{
}

void BoundingVolumeBossMonster::Load(const LoadTable& table)
{
    BoundingVolumeMultiple::Load(table);
    m_bossEventMusic = table.GetString("bossEventMusic", "");
}

void BoundingVolumeBossMonster::UpdateSelf(int elapsedMs)
{
    BoundingVolumeMultiple::UpdateSelf(elapsedMs);
    ++m_updates;
}

// The third sphere (normally the outermost) fades the level's music out. The innermost
// looks its boss up: a boss still alive starts the set's event music, once, and the set
// is done; a boss that is gone or dead leaves everything as it is.
void BoundingVolumeBossMonster::OnEnterVolume(int index)
{
    if (index == kBossFadeSphere) {
        Jukebox::Get().FadeOutMusic(kBossFadeOutMs);
        return;
    }
    if (index != kBossInnerSphere)
        return;
    const Monster* boss = ObjectManager::Get().GetObject<Monster>(m_bossId);
    if (!boss || !boss->IsAlive() || m_bossEventMusic.empty())
        return;
    Jukebox::Get().PlayEventMusic(m_bossEventMusic, false);
    m_isDone = true;
}

void BoundingVolumeBossMonster::OnCreatureStartDeath(const GameEvent_CreatureStartDeath& event)
{
    if (m_bossId != 0 && event.objectId == m_bossId && ObjectManager::Get().GetObject<Monster>(event.objectId))
        m_isDone = true;
}

}  // namespace GAME
