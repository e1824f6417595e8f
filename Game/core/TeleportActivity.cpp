#include "Game/core/TeleportActivity.h"

#include <algorithm>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

// The dissolve colour of a teleport: blue.
constexpr float kDissolveBlue = 255.0f;

// The player and every actor attached to it.
template <class Step>
void ForPlayerActors(Player& player, Step&& step)
{
    step(static_cast<Actor&>(player));
    for (const Entity::AttachedEntity& attached : player.GetAttachedEntities())
        if (auto* actor = DynamicCast<Actor>(attached.entity))
            step(*actor);
}

}  // namespace

TeleportActivity::TeleportActivity(Kind kind, const char* className, NetworkRegionLoaderBase* loader)
    : LoadingActivity(className), m_kind(kind), m_loader(loader)
{
    m_textureLoaded = GraphicsEngine::Get()->LoadTexture(m_dissolveTexture);
    if (kind == Kind::LocalClient || kind == Kind::LocalServer)
        LockMouse();
}

TeleportActivity::~TeleportActivity()
{
    if (m_textureLoaded)
        GraphicsEngine::Get()->UnloadTexture(m_dissolveTexture);
    if (Object* effect = m_effectId ? ObjectManager::Get().GetObject(m_effectId) : nullptr)
        ObjectManager::Get().DestroyObjectEx(effect, "TeleportActivity", __LINE__);
    delete m_loader;   // its destructor takes it out of the engine's registry
}

void TeleportActivity::Set(int x, int y, int z, uint32_t player)
{
    m_x = x;
    m_y = y;
    m_z = z;
    m_playerId = player;
    const Vec3 point(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    Region* region = World::Get().GetRegionContaining(point);
    if (!region) {
        // Nowhere to go: the player is neither hidden nor held waiting for a loader.
        gEngine->Log(LOG_WARNING, "%s: no region holds (%d, %d, %d); player %u stays", m_className, x, y, z, player);
        SetState(State_Finished);
        return;
    }
    m_destination = WorldVec3(region, point - region->GetOffset());
    StartHook();
    if (m_loader)
        m_loader->Initialize(m_destination, player);
}

Player* TeleportActivity::FindPlayer() const { return ObjectManager::Get().GetObject<Player>(m_playerId); }

bool TeleportActivity::IsLoaderDone() const { return !m_loader || m_loader->IsDone(); }

WorldCoords TeleportActivity::FloorCoords() const
{
    WorldVec3 floor = m_destination;
    floor.TranslateToFloor(Vec3{});   // refused: the destination as it is
    return WorldCoords(floor.GetRegion(), Coords::MakeTranslation(floor.GetRegionPosition()));
}

void TeleportActivity::ArrivalHook(Player* player)
{
    if (!player)
        return;
    const WorldCoords coords = FloorCoords();
    if (player->IsInWorld())
        World::Get().SetCoords(player, coords);
    else
        World::Get().AddEntity(player, coords);
    player->ResetMovementManager();
}

void TeleportActivity::CreateEffect(const Player& player)
{
    auto* effect = ObjectManager::Get().CreateObjectFromFile<Entity>(m_effectRecord);
    if (!effect)
        return;
    const WorldCoords& at = player.GetCoords();
    if (World::Get().AddEntity(effect, WorldCoords(at.GetRegion(), Coords::MakeTranslation(at.GetRegionCoords().origin))))
        m_effectId = effect->GetObjectId();
    else
        ObjectManager::Get().DestroyObjectEx(effect, "TeleportActivity", __LINE__);
}

void TeleportActivity::Update(int ms)
{
    if (m_state == State_Finished)
        return;
    m_elapsed += ms;
    m_indicator.Update(ms);
    if (m_loader)
        m_loader->Update();
    Player* player = FindPlayer();
    if (!player && m_kind != Kind::NonLocalClient) {
        SetState(State_Finished);
        return;
    }
    const float dissolveSeconds = static_cast<float>(m_dissolveTime) * 0.001f;
    switch (m_state) {
    case State_Start:
        if (player) {
            player->SetTeleporting(true);
            player->SetInvincible(true);
            ForPlayerActors(*player, [&](Actor& actor) {
                actor.GetMeshInstance().BeginDissolve(0.0f, 0.0f, kDissolveBlue, dissolveSeconds, m_dissolveTexture);
            });
            CreateEffect(*player);
        }
        SetState(State_Dissolve);
        break;
    case State_Dissolve:
        if (m_elapsed <= m_dissolveTime)
            break;
        if (player)
            FrustumHook(*player);
        if (DrivesView() && gGameEngine) {
            gEngine->SetTeleportMode(true);
            gGameEngine->SetRenderingEnabled(false, RenderingDisable_Teleport);
            GraphicsEngine::Get()->ReloadAllResources(false);
        }
        SetState(State_Load);
        if (DrivesView())
            m_indicator.FadeIn();
        break;
    case State_Load:
        StepLoading(player);
        break;
    case State_Reappear:
        StepReappear(player);
        break;
    case State_Release:
        if (player)
            player->SetTeleporting(false);
        SetState(State_Finished);
        break;
    default:
        break;
    }
}

void TeleportActivity::StepLoading(Player* player)
{
    if (!m_loaded) {
        if (!IsLoaderDone())
            return;
        m_loaded = true;
        m_elapsed %= m_period;
        if (m_kind == Kind::LocalServer || m_kind == Kind::NonLocalServer)
            gEngine->SetTeleportMode(false);
    }
    if (m_elapsed < m_period)
        return;
    if (DrivesView() && gGameEngine)
        gGameEngine->SetRenderingEnabled(true, RenderingDisable_Teleport);
    if (player) {
        const float seconds = static_cast<float>(m_dissolveTime) * 0.001f;
        ForPlayerActors(*player, [&](Actor& actor) {
            actor.GetMeshInstance().BeginUnDissolve(0.0f, 0.0f, kDissolveBlue, seconds, m_dissolveTexture);
        });
    }
    SetState(State_Reappear);
    ArrivalHook(player);
    if (DrivesView()) {
        gEngine->SetTeleportMode(false);
        m_indicator.FadeOut();
    }
}

void TeleportActivity::StepReappear(Player* player)
{
    if (m_elapsed <= m_dissolveTime)
        return;
    if (player)
        player->SetInvincible(false);
    if (m_kind == Kind::LocalClient) {
        SetState(State_Release);
        return;
    }
    // The other kinds let the player go in the same step.
    if (player)
        player->SetTeleporting(false);
    SetState(State_Finished);
}

void TeleportActivity::Render(GraphicsCanvas& canvas)
{
    const Player* player = FindPlayer();
    if (!player || !player->IsControllingCharacter())
        return;
    const float p = std::clamp(static_cast<float>(m_elapsed) / static_cast<float>(m_dissolveTime), 0.0f, 1.0f);
    float alpha = 0.0f;
    if (m_state == State_Dissolve)
        alpha = p;
    else if (m_state == State_Load)
        alpha = 1.0f;
    else if (m_state == State_Reappear)
        alpha = 1.0f - p;
    RenderOverlay(canvas, alpha, true);
}

// ---- The four kinds ---------------------------------------------------------------------

TeleportLocalClientActivity::TeleportLocalClientActivity()
    : TeleportActivity(Kind::LocalClient, "TeleportLocalClientActivity", new NRLoaderClient)
{
}

void TeleportLocalClientActivity::StartHook()
{
    if (gGameEngine)
        gGameEngine->CtoS_StartTeleportOutbound(m_playerId, m_x, m_y, m_z);
    RaiseNeedsSleep();
    if (Player* player = ObjectManager::Get().GetObject<Player>(m_playerId))
        player->SetTeleporting(true);
}

TeleportLocalServerActivity::TeleportLocalServerActivity()
    : TeleportActivity(Kind::LocalServer, "TeleportLocalServerActivity", new NRLoaderHost)
{
}

void TeleportLocalServerActivity::StartHook()
{
    if (gGameEngine)
        gGameEngine->StoC_StartTeleportOutbound(m_playerId, m_x, m_y, m_z);
    RaiseNeedsSleep();
}

void TeleportLocalServerActivity::ArrivalHook(Player* player)
{
    if (player)
        player->TeleportToLocation(
            WorldCoords(m_destination.GetRegion(), Coords::MakeTranslation(m_destination.GetRegionPosition())));
}

// The bare loader: done once the server reports the player's place loaded.
TeleportNonLocalClientActivity::TeleportNonLocalClientActivity()
    : TeleportActivity(Kind::NonLocalClient, "TeleportNonLocalClientActivity", new NetworkRegionLoaderBase)
{
}

TeleportNonLocalServerActivity::TeleportNonLocalServerActivity()
    : TeleportActivity(Kind::NonLocalServer, "TeleportNonLocalServerActivity", new NRLoaderServer)
{
    auto* loader = static_cast<NRLoaderServer*>(m_loader);
    loader->SetHold();
    loader->AddListener(this);
}

// An entry still taken (the teleport cut short) goes back, so the client's view is not lost.
TeleportNonLocalServerActivity::~TeleportNonLocalServerActivity()
{
    NetworkEntityList::Get().ReturnFrustumEntry(std::move(m_frustumEntry));
}

int TeleportNonLocalServerActivity::HostId() const { return ConnectionManager::HostOfPlayer(m_playerId); }

void TeleportNonLocalServerActivity::StartHook()
{
    if (gGameEngine)
        gGameEngine->ServerPropegateTeleport(m_playerId, m_x, m_y, m_z);
}

void TeleportNonLocalServerActivity::FrustumHook(Player& player)
{
    m_frustumEntry = NetworkEntityList::Get().StealFrustumEntryOfHost(HostId());
    World::Get().RemoveEntity(&player);
}

void TeleportNonLocalServerActivity::ArrivalHook(Player* player)
{
    if (player) {
        World::Get().AddEntity(player, FloorCoords());
        player->ResetMovementManager();
    }
    std::unique_ptr<NetworkFrustumEntry> entry = std::move(m_frustumEntry);
    if (!entry) {
        entry = std::make_unique<NetworkFrustumEntry>();
        entry->hostId = HostId();
    }
    if (gGameEngine)
        gGameEngine->GetFrustumForPlayer(entry->frustum, FloorCoords().GetPosition());
    std::erase_if(entry->objectIds, [](uint32_t id) { return ObjectManager::Get().GetObject(id) == nullptr; });
    NetworkEntityList::Get().ReturnFrustumEntry(std::move(entry));
    gEngine->UpdateClientEntities(HostId());
    static_cast<NRLoaderServer*>(m_loader)->ClearHold();
}

}  // namespace GAME
