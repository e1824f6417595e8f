#include "Game/world/FixedItemShrine.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/Fx.h"
#include "Game/world/MapMarkers.h"
#include "Game/world/SpecialFX.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemShrine, FixedItem)

namespace {

// The record keys of one phase, in the order of FixedItemShrine::Phase.
struct ShrinePhaseKeys {
    const char* animation;
    const char* speed;
    const char* sound;
    const char* fxPak;
};
constexpr ShrinePhaseKeys kShrinePhaseKeys[FixedItemShrine::PhaseCount] = {
    {"idleAnimation", "idleAnimationSpeed", "idleSound", "idleFxPakName"},
    {"idleToActiveAnimation", "idleToActiveAnimationSpeed", "idleToActiveSound", "idleToActiveFxPakName"},
    {"activeAnimation", "activeAnimationSpeed", "activeSound", "activeFxPakName"},
    {"activeToDormantAnimation", "activeToDormantAnimationSpeed", "activeToDormantSound", "activeToDormantFxPakName"},
    {"dormantAnimation", "dormantAnimationSpeed", "dormantSound", "dormantFxPakName"},
    {"dormantToIdleAnimation", "dormantToIdleAnimationSpeed", "dormantToIdleSound", "dormantToIdleFxPakName"},
};

}  // namespace

void FixedItemShrine::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_idleLoopingEffectName = table.GetString("IdleLoopingEffect", "");
    m_dormantToIdleEffectName = table.GetString("DormantToIdleEffect", "");
    m_activeOneShotEffectName = table.GetString("ActiveOneShotEffect", "");
    m_idleLoopingAttachment = table.GetString("IdleLoopingAttachment", "");
    m_dormantToIdleAttachment = table.GetString("DormantToIdleAttachment", "");
    m_activeOneShotAttachment = table.GetString("ActiveOneShotAttachment", "");
    m_activeMeshFxName = table.GetString("ActiveMeshFX", "");
    for (int i = 0; i < PhaseCount; ++i) {
        const ShrinePhaseKeys& keys = kShrinePhaseKeys[i];
        m_phases[i].Load(table, keys.animation, keys.speed, 0.0f, keys.sound, keys.fxPak);
    }
}

void FixedItemShrine::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    for (FixedItemLook& phase : m_phases)
        phase.PreLoad(flag);
}

void FixedItemShrine::OnDestroy()
{
    for (FixedItemLook& phase : m_phases)
        phase.Release("FixedItemShrine");
    FixedItem::OnDestroy();
}

void FixedItemShrine::InitialUpdate()
{
    FixedItem::InitialUpdate();
    if (GetCurrentState() == FixedItemState_None)
        SetFixedItemState(FixedItemState_Idle, 0, true, true);
    if (DecidesRules())
        SetController(std::make_unique<FixedItemShrineController>());
}

// ---- Phases --------------------------------------------------------------------------------

bool FixedItemShrine::PlayAnimationAndFX(bool instant, Phase phase, bool loop)
{
    const FixedItemLook& look = m_phases[phase];
    if (!instant) {
        if (!look.PlayAnimation(*this, m_animationSpeed, loop))
            return false;
        look.PlaySound(*this);
        look.PlaceFxPak(*this);
        return true;
    }
    if (loop)
        return look.PlayAnimation(*this, m_animationSpeed, true);
    look.ShowLastFrame(*this);
    return true;
}

void FixedItemShrine::GoIdle(bool instant) { PlayAnimationAndFX(instant, Idle, true); }

void FixedItemShrine::GoActive(bool instant)
{
    if (gGameEngine)
        gGameEngine->UnlockTutorialPage(kTutorialPage, true);
    PlayAnimationAndFX(instant, Active, true);
    if (!instant) {
        GetActiveEffect().StartFx();
        NotifyAllies(m_activator);
    }
    PlaySkillWarningFx();
}

void FixedItemShrine::GoDormant(bool instant)
{
    PlayAnimationAndFX(instant, Dormant, true);
    if (!instant)
        GetActiveEffect().StopFx();
}

void FixedItemShrine::GoIdleToActive(bool instant)
{
    if (PlayAnimationAndFX(instant, IdleToActive, false))
        return;
    SetCurrentState(FixedItemState_Active);
    GoActive(false);
}

void FixedItemShrine::GoActiveToDormant(bool instant)
{
    if (PlayAnimationAndFX(instant, ActiveToDormant, false))
        return;
    SetCurrentState(FixedItemState_Dormant);
    GoDormant(false);
}

void FixedItemShrine::GoDormantToIdle(bool instant)
{
    if (PlayAnimationAndFX(instant, DormantToIdle, false))
        return;
    SetCurrentState(FixedItemState_Idle);
    GoIdle(false);
}

void FixedItemShrine::SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool /*withEffects*/)
{
    m_activator = actorId;
    if (state == GetCurrentState())
        return;
    SetCurrentState(state);
    switch (state) {
    case FixedItemState_Idle:
        GoIdle(instant);
        StartIdleEffect();
        break;
    case FixedItemState_IdleToActive:
        GoIdleToActive(instant);
        StartActiveEffect();
        break;
    case FixedItemState_Active:
        GoActive(instant);
        StartActiveEffect();
        break;
    case FixedItemState_ActiveToDormant:
        GoActiveToDormant(instant);
        PlaceEffectsInWorld();
        break;
    case FixedItemState_Dormant:
        GoDormant(instant);
        PlaceEffectsInWorld();
        break;
    case FixedItemState_DormantToIdle:
        GoDormantToIdle(instant);
        StartIdleEffect();
        break;
    default:
        break;
    }
}

void FixedItemShrine::AnimationCallback(const Name& event)
{
    // The base's animation sounds are not played for shrines.
    Actor::AnimationCallback(event);
    if (event == EndEvent()) {
        switch (GetCurrentState()) {
        case FixedItemState_IdleToActive:
            SetCurrentState(FixedItemState_Active);
            GoActive(false);
            break;
        case FixedItemState_ActiveToDormant:
            SetCurrentState(FixedItemState_Dormant);
            GoDormant(false);
            break;
        case FixedItemState_DormantToIdle:
            SetCurrentState(FixedItemState_Idle);
            GoIdle(false);
            break;
        default:
            break;
        }
    }
    if (FixedItemController* controller = GetController())
        controller->AnimationCallback(0, event);
}

// ---- Effects -------------------------------------------------------------------------------

void FixedItemShrine::PlaceEffectsInWorld()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t* id : {&m_idleLoopingEffect, &m_dormantToIdleEffect, &m_activeOneShotEffect}) {
        if (EffectEntity* effect = objects.GetObject<EffectEntity>(*id)) {
            effect->StopEmitting();
            Detach(effect);
            effect->AddToWorld(GetCoords(), true);
        }
        *id = 0;
    }
}

uint32_t FixedItemShrine::StartAttachedEffect(const std::string& record, const std::string& attachment)
{
    if (record.empty())
        return 0;
    EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(record);
    if (!effect)
        return 0;
    effect->StartEmitting();
    if (!Attach(effect, Coords{}, Name(attachment))) {
        ObjectManager::Get().DestroyObjectEx(effect, "FixedItemShrine", __LINE__);
        return 0;
    }
    return effect->GetObjectId();
}

void FixedItemShrine::StartIdleEffect()
{
    PlaceEffectsInWorld();
    m_idleLoopingEffect = StartAttachedEffect(m_idleLoopingEffectName, m_idleLoopingAttachment);
    m_dormantToIdleEffect = StartAttachedEffect(m_dormantToIdleEffectName, m_dormantToIdleAttachment);
}

void FixedItemShrine::StartActiveEffect()
{
    PlaceEffectsInWorld();
    m_activeOneShotEffect = StartAttachedEffect(m_activeOneShotEffectName, m_activeOneShotAttachment);
    StartActiveFXMesh();
}

void FixedItemShrine::StartActiveFXMesh()
{
    if (m_activeMeshFxName.empty() || !IsInWorld())
        return;
    FxMesh* mesh = ObjectManager::Get().CreateObjectFromFile<FxMesh>(m_activeMeshFxName);
    if (!mesh)
        return;
    mesh->AddToWorld(GetCoords());
    mesh->Start();
}

size_t FixedItemShrine::GetRunningEffectCount() const
{
    size_t count = 0;
    for (uint32_t id : {m_idleLoopingEffect, m_dormantToIdleEffect, m_activeOneShotEffect})
        count += ObjectManager::Get().GetObject<EffectEntity>(id) != nullptr;
    return count;
}

// ---- Use -----------------------------------------------------------------------------------

void FixedItemShrine::RequestToUse(uint32_t actorId)
{
    FixedItem::RequestToUse(actorId);
    if (!IsLocked())
        return;
    if (Player* player = ObjectManager::Get().GetObject<Player>(actorId))
        player->PlayLockedShrineVox();
}

bool FixedItemShrine::IsOfInterest() const
{
    if (GetCurrentState() != FixedItemState_Idle)
        return false;
    return !IsLocked() || !GetLockedTextTag().empty();
}

void FixedItemShrine::AppendDetailMapData(std::vector<MinimapGameNugget>& out) const
{
    out.push_back(MinimapGameNugget::At(kMinimapKind, GetGameDescription(false), GetCoords()));
}

// ---- FixedItemShrineController -------------------------------------------------------------

void FixedItemShrineController::LoadFromDatabase(const std::string& recordName)
{
    FixedItemController::LoadFromDatabase(recordName);
    if (recordName.empty())
        return;
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(recordName);
    m_oneTimeUse = record.GetBool("oneTimeUse", false);
    m_activeTime = SecondsToMs(record.GetFloat("shrineActiveTime", 0.0f));
    m_dormantTime = SecondsToMs(record.GetFloat("shrineDormantTime", 0.0f));
    m_sampleTime = SecondsToMs(record.GetFloat("shrineSampleTime", 0.0f));
    m_radius = record.GetFloat("shrineRadius", 0.0f);
}

void FixedItemShrineController::InitialUpdate()
{
    switch (m_state) {
    case FixedItemState_Idle:
    case FixedItemState_DormantToIdle:
        m_shrineState = Waiting;
        break;
    case FixedItemState_Active:
    case FixedItemState_IdleToActive:
        m_shrineState = Blessing;
        break;
    case FixedItemState_Dormant:
    case FixedItemState_ActiveToDormant:
        m_shrineState = Resting;
        break;
    default:
        break;
    }
}

void FixedItemShrineController::QueueState(FixedItem_State state, uint32_t actorId)
{
    m_parent->Enqueue(new FixedItemStateChangeConfigCmd(m_parent->GetObjectId(), state, actorId, true));
}

void FixedItemShrineController::TouchedByActor()
{
    if (m_shrineState != Waiting || !m_parent || m_parent->IsLocked())
        return;
    m_phaseTimer = m_activeTime;
    m_sampleTimer = 0;
    m_shrineState = Blessing;
    QueueState(FixedItemState_IdleToActive, m_touchingActor);
    m_activator = m_touchingActor;
    LoadDropLoot();
    RunSkill();
}

void FixedItemShrineController::Pulse()
{
    const Character* activator = ObjectManager::Get().GetObject<Character>(m_activator);
    if (!activator || !gGameEngine)
        return;
    std::vector<unsigned> targets;
    gGameEngine->GetTargetsInRadius(activator->GetTeam(), m_parent->GetCoords().GetPosition(), m_radius, targets, 0,
                                    true);
    m_parent->Enqueue(new FixedItemTargetConfigCmd(m_parent->GetObjectId(), m_activator,
                                                   std::vector<uint32_t>(targets.begin(), targets.end())));
}

void FixedItemShrineController::Update(int elapsedMs)
{
    FixedItemController::Update(elapsedMs);
    if (!m_parent)
        return;
    if (m_sampleTimer > 0)
        m_sampleTimer -= elapsedMs;
    if (m_phaseTimer > 0)
        m_phaseTimer -= elapsedMs;
    if (m_shrineState == Blessing && m_sampleTimer < 1) {
        m_sampleTimer = m_sampleTime;
        Pulse();
    }
    if (m_phaseTimer >= 1)
        return;
    if (m_shrineState == Blessing) {
        m_shrineState = Resting;
        m_phaseTimer = m_dormantTime;
        m_activator = 0;
        QueueState(FixedItemState_ActiveToDormant, 0);
    } else if (m_shrineState == Resting && !m_oneTimeUse) {
        m_shrineState = Waiting;
        QueueState(FixedItemState_DormantToIdle, 0);
    }
}

}  // namespace GAME
