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

// The third sphere (normally the outermost) fades the level's music out.
void BoundingVolumeBossMonster::OnEnterVolume(int index)
{
    if (index == kBossFadeSphere)
        Jukebox::Get().FadeOutMusic(kBossFadeOutMs);
}

void BoundingVolumeBossMonster::OnCreatureStartDeath(const GameEvent_CreatureStartDeath& event)
{
    if (m_bossId != 0 && event.objectId == m_bossId && ObjectManager::Get().GetObject<Monster>(event.objectId))
        m_isDone = true;
}

}  // namespace GAME
