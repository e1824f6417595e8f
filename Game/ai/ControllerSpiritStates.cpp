#include "Game/ai/ControllerSpiritStates.h"

#include <limits>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/characters/Character.h"
#include "Game/core/TeamManager.h"

namespace GAME {

namespace {

bool SpiritStateIsEnd(const Name& event) { return event == Actor::EndEvent(); }

ControllerSpiritHost* StatueControllerOf(const Character& character)
{
    return ObjectManager::Get().GetObject<ControllerSpiritHost>(character.GetControllerId());
}

}  // namespace

// ---- The spirit's base --------------------------------------------------------------------------

ControllerSpiritState::ControllerSpiritState(ControllerSpirit& spirit) : MonsterState(spirit), m_spirit(&spirit) {}

uint32_t ControllerSpiritState::GetAnimateTarget() const { return m_spirit->GetAnimateTarget(); }

void ControllerSpiritState::SetAnimateTarget(uint32_t id) { m_spirit->SetAnimateTarget(id); }

void ControllerSpiritState::GiveUp(const char* why)
{
    gEngine->Log(LOG_ERROR, "%s", why);
    SetState("Idle", ControllerAIStateData());
}

bool ControllerSpiritState::FindNewAnimateTarget()
{
    const Character* self = GetCharacter();
    if (!self)
        return false;
    std::vector<Character*> allies;
    FindAlliesInSight(allies);
    const WorldVec3 from = self->GetCoords().GetPosition();
    Character* best = nullptr;
    ControllerSpiritHost* bestHost = nullptr;
    float bestDistance = std::numeric_limits<float>::max();
    for (Character* ally : allies) {
        ControllerSpiritHost* host = StatueControllerOf(*ally);
        if (!host || !host->IsAvailable())
            continue;
        const float distance = (ally->GetCoords().GetPosition() - from).LengthSquared();
        if (distance < bestDistance) {
            bestDistance = distance;
            best = ally;
            bestHost = host;
        }
    }
    if (!best)
        return false;
    bestHost->SetAnimator(self->GetObjectId());
    SetAnimateTarget(best->GetObjectId());
    return true;
}

// ---- Spirit states ------------------------------------------------------------------------------

void ControllerSpiritStateStartup::SetMyTeam()
{
    if (Character* self = GetCharacter())
        self->SetTeam(TeamManager::InvisibleTeam());
}

void ControllerSpiritStateStartup::OnBegin()
{
    SetMyTeam();
    FindNewAnimateTarget();
    const Character* self = GetCharacter();
    // Without a respawn animation there is no end to wait for.
    if (!self || !self->CanPlayAnimation(AnimationSet_Respawn)) {
        SetOut();
        return;
    }
    PlayAnimation(AnimationSet_Respawn, Name(), 1.0f, false, 0);
}

void ControllerSpiritStateStartup::HandleEvent(const Name& event)
{
    if (SpiritStateIsEnd(event))
        SetOut();
}

void ControllerSpiritStateStartup::SetOut()
{
    const uint32_t target = GetAnimateTarget();
    if (target == 0) {
        GiveUp("Spirit error - went to idle because it could not find an animate target.");
        return;
    }
    ControllerSpirit& spirit = Spirit();
    spirit.SetMostHatedEnemy(target);
    SetState("PursueToAnimate", Data(target, 0, spirit.ChooseBestSkill(target, false)));
}

void ControllerSpiritStatePursueToAnimate::OnBegin()
{
    const uint32_t target = GetAnimateTarget();
    Character* statue = ValidateObjectId(target, "PursueToAnimate");
    if (!statue || !statue->IsAlive()) {
        GiveUp("Spirit error - went to idle because StatePursueToAnimate was given a bad enemy.");
        return;
    }
    const uint32_t skill = GetCurrentSkillID();
    if (CloseEnoughToUseSkill(target, skill)) {
        SetState("AttackToAnimate", Data(GetCurrentEnemy(), 0, skill));
        return;
    }
    Character* self = GetCharacter();
    const WorldVec3 point = self ? self->GetMoveToPoint(GetCurrentEnemy(), skill, statue->GetPathPosition()) : WorldVec3();
    if (!point.IsValid()) {
        GiveUp("Spirit error - went to idle because StatePursueToAnimate could not find a valid moveto point.");
        return;
    }
    MoveTo(point, target, skill);
}

void ControllerSpiritStatePursueToAnimate::OnUpdate(int /*elapsedMs*/)
{
    const uint32_t target = GetAnimateTarget();
    const Character* statue = ObjectManager::Get().GetObject<Character>(target);
    const ControllerSpiritHost* host = statue ? StatueControllerOf(*statue) : nullptr;
    if (host && host->IsAnimated()) {
        // Another spirit got there first.
        if (!FindNewAnimateTarget()) {
            GiveUp("Spirit error - went to idle because StatePursueToAnimate could not find a valid animate target.");
            return;
        }
        const uint32_t next = GetAnimateTarget();
        ControllerSpirit& spirit = Spirit();
        spirit.SetMostHatedEnemy(next);
        SetState("PursueToAnimate", Data(next, 0, spirit.ChooseBestSkill(next, false)));
        return;
    }
    if (CloseEnoughToUseSkill(target, GetCurrentSkillID()))
        SetState("AttackToAnimate", Data(GetCurrentEnemy(), 0, GetCurrentSkillID()));
}

void ControllerSpiritStatePursueToAnimate::EndOfPathReached()
{
    SetState("AttackToAnimate", Data(GetCurrentEnemy(), 0, GetCurrentSkillID()));
}

void ControllerSpiritStateAttackToAnimate::OnBegin()
{
    const uint32_t target = GetAnimateTarget();
    Character* statue = ValidateObjectId(target, "AttackToAnimate");
    if (!statue || !statue->IsAlive()) {
        GiveUp("Spirit error - went to idle because StateAttackToAnimate could not find a valid animate target.");
        return;
    }
    UseSkill(target, statue->GetPathPosition(), GetCurrentSkillID(), 0, TargetLeadingData());
}

void ControllerSpiritStateAttackToAnimate::HandleEvent(const Name& event)
{
    if (SpiritStateIsEnd(event))
        KillMe();
}

// ---- The statue ---------------------------------------------------------------------------------

ControllerSpiritHostState::ControllerSpiritHostState(ControllerSpiritHost& host) : MonsterState(host), m_host(&host) {}

void ControllerSpiritHostState::SetAnimated(bool animated)
{
    m_host->SetAnimatedFlag(animated);
    if (auto* statue = ObjectManager::Get().GetObject<SpiritHost>(m_host->GetParentId()))
        statue->SetAnimated(animated);
}

void ControllerSpiritHostStateStartup::OnBegin()
{
    const auto* statue = ObjectManager::Get().GetObject<SpiritHost>(Host().GetParentId());
    if (statue && statue->IsAnimated()) {
        SetAnimated(true);
        SetState("Idle", ControllerAIStateData());
        return;
    }
    PlayAnimation(AnimationSet_Special, Name("StatueSit"), 1.0f, false, 0);
    ControllerSpiritHost& host = Host();
    host.SetCausesAnger(false);
    host.SetInvincible(true);
    host.SetTeam(TeamManager::InvisibleTeam());
}

void ControllerSpiritHostStateStartup::Attacked(uint32_t attackerId)
{
    const Character* attacker = ObjectManager::Get().GetObject<Character>(attackerId);
    if (attacker && ObjectManager::Get().GetObject<ControllerSpirit>(attacker->GetControllerId())) {
        SetAnimated(true);
        SetState("Animate", ControllerAIStateData());
        return;
    }
    gEngine->Log(LOG_ERROR, "ControllerSpiritHostStateStartup - failed to animate");
}

void ControllerSpiritHostStateAnimate::OnBegin()
{
    ControllerSpiritHost& host = Host();
    host.SetCausesAnger(true);
    host.SetInvincible(false);
    host.SetTeam(TeamManager::DefaultMonsterTeam());
    const Character* statue = GetCharacter();
    // Without a special animation there is no rise to wait for.
    if (!statue || !statue->CanPlayAnimation(AnimationSet_Special)) {
        Risen();
        return;
    }
    PlayAnimation(AnimationSet_Special, Name("StatueRise"), 1.0f, false, 0);
}

void ControllerSpiritHostStateAnimate::HandleEvent(const Name& event)
{
    if (SpiritStateIsEnd(event))
        Risen();
}

void ControllerSpiritHostStateAnimate::Risen()
{
    SetState("Idle", ControllerAIStateData());
    SetAnimated(true);
}

}  // namespace GAME
