#include "Game/ai/ControllerPlayer.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Math.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayerStates.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/RespawnActivity.h"
#include "Game/core/TeamManager.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerPlayer, ControllerAI)

ControllerPlayer::ControllerPlayer()
{
    GetEquipmentCtrl().SetController(this);
    m_inventoryCtrl.SetController(this);
}

ControllerPlayer::~ControllerPlayer() = default;

Player* ControllerPlayer::GetPlayer() const { return ObjectManager::Get().GetObject<Player>(GetParentId()); }

ControllerPlayerState* ControllerPlayer::GetPlayerState() const
{
    // Before the first frame the executing state is the machine's pre-start state, which
    // is no player state.
    return m_statesRegistered ? static_cast<ControllerPlayerState*>(GetExecutingState()) : nullptr;
}

void ControllerPlayer::Load(const LoadTable& table)
{
    ControllerAI::Load(table);
    const double ms = static_cast<double>(table.GetFloat("controllerDeathDelay", 0.0f)) * 1000.0;
    // A delay that is no number, negative or beyond a day is taken as none.
    m_deathDelay = std::isfinite(ms) && ms > 0.0 && ms < 86400000.0 ? static_cast<int>(ms) : 0;
}

void ControllerPlayer::PostParentAttached()
{
    ControllerAI::PostParentAttached();
    Player* player = GetPlayer();
    GetEquipmentCtrl().SetParent(player);
    m_inventoryCtrl.SetParent(player);
}

void ControllerPlayer::Update(int elapsedMs)
{
    ControllerAI::Update(elapsedMs);
    m_inventoryCtrl.Update(elapsedMs);
}

void ControllerPlayer::RegisterStates()
{
#define GAME_ADD_PLAYER_STATE(Word, Class) AddState(Word, new Class(*this));
    GAME_PLAYER_STATES(GAME_ADD_PLAYER_STATE)
#undef GAME_ADD_PLAYER_STATE
    m_statesRegistered = true;
}

void ControllerPlayer::InitializeStates()
{
    const Player* player = GetPlayer();
    // Without a player there is nothing to start: the controller waits as if dead.
    SetState(player && player->IsAlive() ? "Startup" : "Dead", ControllerAIStateData());
}

CharacterActionPermission ControllerPlayer::CheckAction(CharacterActionType type)
{
    Character* character = GetParentCharacter();
    if (!character)
        return CharacterActionPermission_Refuse;
    const CharacterActionHandler* handler = character->GetActionHandler();
    if (!handler || !handler->IsActive())
        return CharacterActionPermission_Perform;
    if (!gGameEngine)
        return CharacterActionPermission_Refuse;
    return gGameEngine->CheckPlayerAction(type, handler->GetActionType());
}

// ---- Requests through the executing state ----------------------------------------------------

bool ControllerPlayer::UseItem(uint32_t itemId, bool remove)
{
    ControllerPlayerState* state = GetPlayerState();
    return state && state->RequestUseItem(itemId, remove);
}

bool ControllerPlayer::ReleasePet(uint32_t petId)
{
    ControllerPlayerState* state = GetPlayerState();
    return state && state->RequestReleasePet(petId);
}

bool ControllerPlayer::UseRelic(uint32_t relicId, uint32_t itemId)
{
    ControllerPlayerState* state = GetPlayerState();
    return state && state->RequestUseRelic(relicId, itemId);
}

bool ControllerPlayer::SendSkillAction(Character&, bool inPlace, bool second, uint32_t skillId, const WorldVec3& point,
                                       uint32_t& target)
{
    ControllerPlayerState* state = GetPlayerState();
    return state && state->RequestSkillAction(inPlace, second, skillId, point, target);
}

void ControllerPlayer::BeginStun()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->BeginStun();
}
void ControllerPlayer::EndStun()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->EndStun();
}
void ControllerPlayer::BeginImmobilize()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->BeginImmobilize();
}
void ControllerPlayer::EndImmobilize()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->EndImmobilize();
}
void ControllerPlayer::BeginTrap()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->BeginTrap();
}
void ControllerPlayer::EndTrap()
{
    if (ControllerPlayerState* state = GetPlayerState())
        state->EndTrap();
}

// ---- Clicks ----------------------------------------------------------------------------------

bool ControllerPlayer::HandleActionFromMouse(bool primary, bool inPlace, bool second, bool repeat,
                                             const WorldVec3& point, uint32_t& target)
{
    Player* player = GetPlayer();
    if (!player)
        return false;
    if (!player->IsAlive() || player->IsTeleporting()) {
        m_mouseRepeatTarget = 0;
        target = 0;
        return false;
    }
    ControllerPlayerState* state = GetPlayerState();
    if (!state)
        return false;   // not started yet: a click has no state to go to
    m_commandRepeated = repeat;
    WorldVec3 working = point;
    if (repeat && m_mouseRepeatTarget != 0) {
        const Character* remembered = ObjectManager::Get().GetObject<Character>(m_mouseRepeatTarget);
        if (remembered && !remembered->IsAlive()) {
            m_mouseRepeatTarget = 0;
            target = 0;
            return false;
        }
        target = m_combatEnemy = m_combatAlly = m_mouseRepeatTarget;
        working = m_mouseRepeatPoint;
    } else if (!repeat) {
        m_mouseRepeatTarget = 0;
        m_mouseRepeatPoint = WorldVec3();
    }
    // A click on nothing, at a point in no region, can lead nowhere: it is no move.
    if (target == 0 && !working.IsValid())
        return false;
    if (state->ActivateSuperSkill(inPlace, second, working, target))
        return false;
    // The super skill may have switched the state: the request goes to the one executing now.
    state = GetPlayerState();
    return primary ? state->SelectPrimaryAction(inPlace, second, working, target)
                   : state->SelectSecondaryAction(inPlace, second, working, target);
}

bool ControllerPlayer::HandlePetAction(Character& player, bool, bool, const WorldVec3& point, uint32_t& target)
{
    if (m_pet == 0 || target == m_pet)
        return false;
    const uint32_t petId = m_pet;
    m_pet = 0;
    ObjectManager& objects = ObjectManager::Get();
    Monster* pet = objects.GetObject<Monster>(petId);
    if (!pet || pet->GetLeader() != player.GetObjectId())
        return false;
    if (SoundPak* sound = pet->GetPetAttackSound())
        sound->Play(pet->GetCoords().GetPosition());
    const Monster* foe = objects.GetObject<Monster>(target);
    TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
    if (foe && teams && teams->IsFoe(player, *foe))
        player.Enqueue(new RequestAllyAttackConfigCmd(petId, player.GetObjectId(), target));
    else
        player.Enqueue(new RequestAllyMoveConfigCmd(petId, player.GetObjectId(), point));
    return true;
}

void ControllerPlayer::ChatWithNPC(uint32_t npcId)
{
    if (npcId == 0)
        return;
    if (Npc* npc = ObjectManager::Get().GetObject<Npc>(npcId))
        npc->Converse(GetParentId());
}

void ControllerPlayer::FaceTarget(uint32_t targetId)
{
    Player* player = GetPlayer();
    const Character* other = ObjectManager::Get().GetObject<Character>(targetId);
    if (!player || !other || other == player)
        return;
    const WorldCoords& coords = player->GetCoords();
    if (!coords.IsValid())
        return;
    World::Get().SetCoords(player, WorldCoords::LookAtNoLean(coords.GetPosition(), other->GetCoords().GetPosition(),
                                                             Vec3{0.0f, 1.0f, 0.0f}));
}

void ControllerPlayer::ClearTarget()
{
    if (m_statesRegistered)
        SetState("Idle", ControllerAIStateData());
    SetTarget(0);
    m_combatEnemy = 0;
    m_targetPoint = WorldVec3();
    m_mouseRepeatTarget = 0;
    m_mouseRepeatPoint = WorldVec3();
}

HotSlotOption* ControllerPlayer::GetPrimarySlotOption() const
{
    Player* player = GetPlayer();
    return player ? player->GetPlayerHotSlotCtrl().GetActiveSlotOption(true) : nullptr;
}

HotSlotOption* ControllerPlayer::GetSecondarySlotOption() const
{
    Player* player = GetPlayer();
    return player ? player->GetPlayerHotSlotCtrl().GetActiveSlotOption(false) : nullptr;
}

// ---- Mailbox ---------------------------------------------------------------------------------

void ControllerPlayer::PopMailboxItem()
{
    if (!m_mailboxItems.empty())
        m_mailboxItems.pop_front();
}

void ControllerPlayer::PopMailboxNpcChat()
{
    if (!m_mailboxNpcChats.empty())
        m_mailboxNpcChats.pop_front();
}

void ControllerPlayer::SetUserText(const std::string& text, int timeMs)
{
    if (!text.empty() && timeMs > 0)
        m_mailboxUserTexts.push_back({text, timeMs});
}

const std::string& ControllerPlayer::GetMailboxUserText() const
{
    return m_mailboxUserTexts.empty() ? m_emptyText : m_mailboxUserTexts.front().text;
}

int ControllerPlayer::GetMailboxUserTextTime() const
{
    return m_mailboxUserTexts.empty() ? 0 : m_mailboxUserTexts.front().time;
}

void ControllerPlayer::PopUserText()
{
    if (!m_mailboxUserTexts.empty())
        m_mailboxUserTexts.pop_front();
}

// ---- Items and tokens ------------------------------------------------------------------------

bool ControllerPlayer::GiveItemToPlayer(uint32_t itemId)
{
    if (itemId == 0)
        return false;
    return GetEquipmentCtrl().AutoInsertItem(itemId) || m_inventoryCtrl.AddItem(itemId, true);
}

void ControllerPlayer::BestowToken(const TriggerToken& token)
{
    if (Player* player = GetPlayer())
        player->BestowToken(token);
}

void ControllerPlayer::RemoveToken(const TriggerToken& token)
{
    if (Player* player = GetPlayer())
        player->RemoveToken(token);
}

// ---- Death and respawn -----------------------------------------------------------------------

void ControllerPlayer::CharacterIsDying()
{
    ControllerAI::CharacterIsDying();
    if (m_statesRegistered)
        SetState("Dying", ControllerAIStateData());
}

void ControllerPlayer::CharacterIsDead()
{
    ControllerAI::CharacterIsDead();
    // The respawn waits at least the record's death delay.
    m_deathCountdown = m_deathDelay;
    if (gGameEngine)
        gGameEngine->DestroyFixedItemTeleport(gGameEngine->GetPlayerId());
}

void ControllerPlayer::DeathUpdate(int elapsedMs)
{
    Character* character = GetParentCharacter();
    if (!character || character->GetLifeState() != Character_LifeState_Dead)
        return;
    if (m_respawnActivity == 0 && gGameEngine)
        if (const Player* player = GetPlayer())
            m_respawnActivity = gGameEngine->StartRespawnForLocalPlayer(player->GetClosestRespawnPoint().GetPosition());
    const auto* activity =
        dynamic_cast<const RespawnActivityBase*>(ActivityManager::Get()->GetActivity(m_respawnActivity));
    // Held at 0 once run out, so that a long wait cannot wrap it.
    m_deathCountdown = m_deathCountdown > elapsedMs ? m_deathCountdown - elapsedMs : 0;
    if (activity && (!activity->IsRespawnComplete() || m_deathCountdown > 0))
        return;
    RespawnMe();
    m_respawnActivity = 0;
}

void ControllerPlayer::RespawnMe()
{
    Player* player = GetPlayer();
    if (!player)
        return;
    player->SetLifeState(Character_LifeState_Respawning);
    if (m_statesRegistered)
        SetState("Respawning", ControllerAIStateData());
}

}  // namespace GAME
