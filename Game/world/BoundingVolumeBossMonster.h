// The nested spheres a boss carries: attached to the boss, they fade the music out when a
// player comes near, start the boss's event music when the player reaches the boss, and go
// quiet once the boss starts to die.
#pragma once

#include <cstdint>
#include <string>

#include "Game/world/BoundingVolumeMultiple.h"

namespace GAME {

class BoundingVolumeBossMonster : public BoundingVolumeMultiple {
    GAME_DECLARE_CLASS(BoundingVolumeBossMonster)

public:
    BoundingVolumeBossMonster();

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    void OnEnterVolume(int index) override;

    void SetBossId(uint32_t bossId) { m_bossId = bossId; }
    uint32_t GetBossId() const { return m_bossId; }
    const std::string& GetBossEventMusic() const { return m_bossEventMusic; }
    unsigned GetUpdateCount() const { return m_updates; }

private:
    void OnCreatureStartDeath(const GameEvent_CreatureStartDeath& event);

    uint32_t m_bossId = 0;
    std::string m_bossEventMusic;
    unsigned m_updates = 0;
    GameEventListener<BoundingVolumeBossMonster, GameEvent_CreatureStartDeath> m_deathHandler;
};

}  // namespace GAME
