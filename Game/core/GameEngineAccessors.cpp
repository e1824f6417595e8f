// The game engine's small services: the main player and the local pets, random seeds,
// the rendering switches and a few conveniences for the host.
#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

Player* GameEngine::GetMainPlayer() const
{
    const uint32_t id = GetPlayerId();
    return id ? ObjectManager::Get().GetObject<Player>(id) : nullptr;
}

bool GameEngine::IsPlayerAlive()
{
    const Player* player = GetMainPlayer();
    return player && player->GetLifeState() == Character_LifeState_Alive;
}

// The game waits while there is no living main player, while it loads, and while the
// main player is being teleported.
bool GameEngine::IsGameWaiting()
{
    if (!IsPlayerAlive() || IsGameLoading())
        return true;
    return GetMainPlayer()->IsTeleporting();
}

void GameEngine::RegisterLocalPet(uint32_t id)
{
    if (!IsLocalPet(id))
        m_localPets.push_back(id);
}

void GameEngine::UnregisterLocalPet(uint32_t id)
{
    std::erase(m_localPets, id);
}

bool GameEngine::IsLocalPet(uint32_t id) const
{
    return std::find(m_localPets.begin(), m_localPets.end(), id) != m_localPets.end();
}

void GameEngine::SetPlayer(Player* player)
{
    m_camera.SetPlayer(player);
}

// A debugging aid: puts the main player where an entity stands.
void GameEngine::TryJump(uint32_t entityId)
{
    const Entity* entity = ObjectManager::Get().GetObject<Entity>(entityId);
    if (!entity) {
        gEngine->Log(LOG_WARNING, "Entity: %d is not loaded.", static_cast<int>(entityId));
        return;
    }
    Player* player = GetMainPlayer();
    if (!player) {
        gEngine->Log(LOG_WARNING, "Player is null!");
        return;
    }
    player->TeleportToLocation(entity->GetCoords());
}

RandomUniform& GameEngine::GetRandomGen()
{
    RandomUniform* stream = RandomStreamScope::Current();
    return stream ? *stream : m_random;
}

uint16_t GameEngine::GetRandomSeed()
{
    return static_cast<uint16_t>(GetRandomGen().IGenerate(m_seedMin, m_seedMax));
}

void GameEngine::DiscardRandomSeed()
{
    if (RandomUniform* stream = RandomStreamScope::Current())
        stream->IGenerate(m_seedMin, m_seedMax);
    else
        m_random.Skip();
}

Jukebox& GameEngine::GetJukebox()
{
    return Jukebox::Get();
}

bool GameEngine::IsRenderingEnabled() const
{
    return std::none_of(std::begin(m_renderingDisabled), std::end(m_renderingDisabled),
                        [](bool disabled) { return disabled; });
}

// Each reason has its own switch; a reason outside the known ones changes nothing.
void GameEngine::SetRenderingEnabled(bool enabled, RenderingDisable reason)
{
    const int index = static_cast<int>(reason);
    if (index < 0 || index >= kRenderingDisableReasons)
        return;
    m_renderingDisabled[index] = !enabled;
}

void GameEngine::ForceRenderingEnabled()
{
    std::fill(std::begin(m_renderingDisabled), std::end(m_renderingDisabled), false);
}

void GameEngine::InstallNetworkInterface(GameEngineNetworkInterface* network)
{
    m_currentNetworkInterface = network;
}

void GameEngine::SetCameraFOV(float degrees)
{
    m_camera.SetFieldOfView(DegreesToRadians(degrees));
}

void GameEngine::UnloadWorld()
{
    m_camera.SetTarget(WorldVec3());
    World::Get().Reset();
}

// The quest repository's passes at the start of a game, in this order.
void GameEngine::SuperPreRun()
{
    QuestRepository* quests = QuestRepository::Get();
    quests->FireTriggers();
    quests->SimulateRewards();
    quests->FindZombieAnimationCompleteConditions();
}

}  // namespace GAME
