#include "Game/ai/ControllerTelkine.h"

#include <limits>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerTelkine, ControllerMonster)

void ControllerTelkine::Load(const LoadTable& table)
{
    ControllerCombat::Load(table);
    m_skeletonSpell = table.GetString("skeletonSpell", "");
    m_telekinesisSpell = table.GetString("telekinesisSpell", "");
    m_directAttack = table.GetString("directAttack", "");
}

void ControllerTelkine::InitialUpdate()
{
    ControllerAI::InitialUpdate();
    const Character* boss = GetParentCharacter();
    if (!boss)
        return;
    const SkillManager& skills = boss->GetSkillManager();
    m_skeletonSpellId = skills.FindSkillId(m_skeletonSpell);
    m_telekinesisSpellId = skills.FindSkillId(m_telekinesisSpell);
    m_directAttackId = skills.FindSkillId(m_directAttack);
}

void ControllerTelkine::RegisterStates()
{
    AddState("Startup", new ControllerTelkineStateStartup(*this));
    AddState("AttackPhase1", new ControllerTelkineStateAttackPhase1(*this));
    AddState("AttackPhase2", new ControllerTelkineStateAttackPhase2(*this));
    // A dying boss leaves its attack phases like any monster: without these two states it
    // would log a missing state at its death and go on casting.
    AddState("Dying", new ControllerMonsterStateDying(*this));
    AddState("Dead", new ControllerMonsterStateDead(*this));
    // A stun takes it out of its phase like any monster ("Stunned"), and its end ("Return")
    // starts it again: the first phase, which hands over to the second once its casts are done.
    AddState("Stunned", new ControllerMonsterStateStunned(*this));
    AddState("Return", new ControllerTelkineStateStartup(*this));
}

void ControllerTelkine::RegisterTemporaryStates()
{
    AddTemporaryState(std::string("Emote"), new ControllerTelkineStateEmote(*this));
}

void ControllerTelkineState::FindTargets(uint32_t& closestPlayer, uint32_t& closestOther)
{
    closestPlayer = 0;
    closestOther = 0;
    const Character* boss = GetCharacter();
    if (!boss)
        return;
    const WorldVec3 from = boss->GetCoords().GetPosition();
    std::vector<Character*> seen;
    FindEnemiesInSight(seen);
    float bestPlayer = std::numeric_limits<float>::infinity();
    float bestOther = std::numeric_limits<float>::infinity();
    for (const Character* enemy : seen) {
        if (!enemy->IsAlive())
            continue;
        const float squared = (enemy->GetCoords().GetPosition() - from).LengthSquared();
        const bool player = DynamicCast<Player>(enemy) != nullptr;
        float& best = player ? bestPlayer : bestOther;
        if (squared < best) {
            best = squared;
            (player ? closestPlayer : closestOther) = enemy->GetObjectId();
        }
    }
}

void ControllerTelkineStateAttackPhase1::OnUpdate(int elapsedMs)
{
    if (!m_waitingForCast)
        m_sinceCastMs += elapsedMs;
    if (m_castCount >= kCastLimit) {
        SetState("AttackPhase2", ControllerAIStateData());
        return;
    }
    const Character* boss = GetCharacter();
    if (!boss || boss->GetActionState() == Character_ActionState_Attack)
        return;
    if (m_sinceCastMs < kCastIntervalMs || m_waitingForCast)
        return;
    if (m_emotePending) {
        m_emotePending = false;
        AddTemporaryState("Emote", ControllerAIStateData());
        return;
    }
    m_sinceCastMs = 0;
    m_waitingForCast = true;
    uint32_t player = 0;
    uint32_t other = 0;
    FindTargets(player, other);
    const uint32_t target = other ? other : player;
    if (target == 0)
        return;
    UseSkill(target, WorldVec3(), GetTelekinesisSpellId(), 0, TargetLeadingData());
    // The phase ends after its twelfth cast started.
    ++m_castCount;
}

void ControllerTelkineStateAttackPhase1::HandleEvent(const Name& event)
{
    static const Name kEnd("End");
    if (!m_waitingForCast || !(event == kEnd))
        return;
    m_emotePending = true;
    m_sinceCastMs = 0;
    m_waitingForCast = false;
}

void ControllerTelkineStateAttackPhase2::OnUpdate(int /*elapsedMs*/)
{
    if (m_timer.GetTotalElapsedTime() < kAttackIntervalMs)
        return;
    m_timer.Reset();
    uint32_t player = 0;
    uint32_t other = 0;
    FindTargets(player, other);
    const uint32_t target = player ? player : other;
    if (target != 0)
        UseSkill(target, WorldVec3(), GetDirectAttackId(), 0, TargetLeadingData());
}

void ControllerTelkineStateEmote::OnBegin()
{
    static const Name kEmote("TelkineEmote");
    PlayAnimation(AnimationSet_Special, kEmote, 1.0f, false, 0);
}

void ControllerTelkineStateEmote::HandleEvent(const Name& event)
{
    static const Name kEnd("End");
    if (event == kEnd)
        SetDone(true);
}

}  // namespace GAME
