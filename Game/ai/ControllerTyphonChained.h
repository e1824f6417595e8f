// The boss held in chains: a monster that carries its chains, an actor of their own,
// attached to it from its first update.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"
#include "Game/characters/Monster.h"

namespace GAME {

// The chains: how they dissolve when they break, and the effect burst at each of their
// three beam points.
class TyphonChains : public Actor {
    GAME_DECLARE_CLASS(TyphonChains)

public:
    void Load(const LoadTable& table) override;

    const std::string& GetBurstEffect() const { return m_burstFx; }

private:
    std::string m_dissolveEffect;
    float m_dissolveTime = 1.0f;
    std::string m_dissolveTexture;
    int32_t m_dissolveRed = 255;
    int32_t m_dissolveGreen = 255;
    int32_t m_dissolveBlue = 255;
    std::string m_burstFx;
};

class TyphonChained : public Monster {
    GAME_DECLARE_CLASS(TyphonChained)

public:
    // The monster's keys, then its chains made from "chains" (kept only when they are
    // chains).
    void Load(const LoadTable& table) override;
    // Puts the chains on the character.
    void InitialUpdate() override;
    // The chains go with the character, attached or not.
    void OnDestroy() override;

    TyphonChains* GetChains() const;

private:
    uint32_t m_chains = 0;   // owned, by object id
    bool m_chainsAttached = false;
};

}  // namespace GAME
