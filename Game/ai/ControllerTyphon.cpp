#include "Game/ai/ControllerTyphon.h"

#include <algorithm>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Typhon.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerTyphon, ControllerMonster)

// ---- The controller -----------------------------------------------------------------------

void ControllerTyphon::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_minWithoutMs = table.GetInt("MinTimeWithoutGodSkills", kDefaultMinWithout);
    m_maxWithoutMs = table.GetInt("MaxTimeWithoutGodSkills", kDefaultMaxWithout);
    m_minWithMs = table.GetInt("MinTimeWithGodSkills", kDefaultMinWith);
    m_maxWithMs = table.GetInt("MaxTimeWithGodSkills", kDefaultMaxWith);
}

int ControllerTyphon::DrawPhase(int min, int max)
{
    return static_cast<int>(RandomFloat(static_cast<float>(min), static_cast<float>(max)));
}

void ControllerTyphon::InitialUpdate()
{
    ControllerAI::InitialUpdate();
    m_withoutTimerMs = DrawPhase(m_minWithoutMs, m_maxWithoutMs);
    m_withTimerMs = -1;
    m_defaultAttacks = {GetSpecialAttackSkillInfo(), GetSpecialAttack2SkillInfo(), GetSpecialAttack3SkillInfo(),
                        GetSpecialAttack4SkillInfo(), GetSpecialAttack5SkillInfo()};
}

void ControllerTyphon::Update(int elapsedMs)
{
    ControllerMonster::Update(elapsedMs);
    if (GetCurrentEnemy() == 0)
        return;
    if (m_withoutTimerMs >= 0) {
        m_withoutTimerMs -= elapsedMs;
        if (m_withoutTimerMs < 0 && ChooseStatue())
            m_withTimerMs = DrawPhase(m_minWithMs, m_maxWithMs);
    } else if (m_withTimerMs >= 0) {
        m_withTimerMs -= elapsedMs;
        if (m_withTimerMs < 0) {
            RestoreDefaultSkills();
            m_withoutTimerMs = DrawPhase(m_minWithoutMs, m_maxWithoutMs);
            // The god effects go out on every peer.
            if (Character* boss = GetParentCharacter())
                boss->Enqueue(new DisableTyphonSkillEffectsConfigCmd(GetParentId()));
        }
    }
}

void ControllerTyphon::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("PursueStatue", new ControllerTyphonStatePursueStatue(*this));
    AddState("AttackStatue", new ControllerTyphonStateAttackStatue(*this));
}

void ControllerTyphon::SetGodSpecialAttack(size_t slot, uint32_t god, uint32_t skillId, int timeoutMs, int delayMs,
                                           uint32_t chance, SkillUseRange range)
{
    if (slot >= kSpecialAttacks || god >= kGodCount) {
        gEngine->Log(LOG_WARNING, "ControllerTyphon: no attack slot %zu of god %u", slot, god);
        return;
    }
    m_godAttacks[god][slot] = {skillId, timeoutMs, delayMs, 0, timeoutMs, chance, range};
}

void ControllerTyphon::SetTransferSkill(uint32_t god, uint32_t skillId)
{
    if (god < kGodCount)
        m_transferSkills[god] = skillId;
}

void ControllerTyphon::SetAttacks(const Attacks& a)
{
    SetSpecialAttackSkill(a[0].skillId, a[0].timeoutMs, a[0].delayMs, a[0].chance, a[0].range);
    SetSpecialAttack2Skill(a[1].skillId, a[1].timeoutMs, a[1].delayMs, a[1].chance, a[1].range);
    SetSpecialAttack3Skill(a[2].skillId, a[2].timeoutMs, a[2].delayMs, a[2].chance, a[2].range);
    SetSpecialAttack4Skill(a[3].skillId, a[3].timeoutMs, a[3].delayMs, a[3].chance, a[3].range);
    SetSpecialAttack5Skill(a[4].skillId, a[4].timeoutMs, a[4].delayMs, a[4].chance, a[4].range);
}

void ControllerTyphon::ApplyGodSkills(uint32_t god)
{
    if (god >= kGodCount) {
        gEngine->Log(LOG_WARNING, "ControllerTyphon: no god %u", god);
        return;
    }
    SetAttacks(m_godAttacks[god]);
    m_currentGod = god;
}

void ControllerTyphon::RestoreDefaultSkills()
{
    SetAttacks(m_defaultAttacks);
    m_currentGod = kNoGod;
}

void ControllerTyphon::StatueDestroyed(uint32_t god)
{
    if (god != m_currentGod)
        return;
    RestoreDefaultSkills();
    SetState("Return", ControllerAIStateData());
}

bool ControllerTyphon::ChooseStatue()
{
    Character* boss = GetParentCharacter();
    const WorldVec3 at = boss ? boss->GetPathPosition() : WorldVec3();
    if (!at.IsValid())
        return false;
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), kStatueSearchRadius},
                                     EntityList_All);
    std::vector<TyphonStatue*> statues;
    for (Entity* entity : found)
        if (auto* statue = DynamicCast<TyphonStatue>(entity); statue && statue->IsAlive())
            statues.push_back(statue);
    if (statues.empty())
        return false;
    // The world lists entities in no fixed order: by object id the same seed picks the same
    // statue on every run and every peer.
    std::sort(statues.begin(), statues.end(),
              [](const TyphonStatue* a, const TyphonStatue* b) { return a->GetObjectId() < b->GetObjectId(); });
    const int count = static_cast<int>(statues.size());
    int chosen = GAME::rand() % count;
    for (int reroll = 0; chosen == m_lastStatue && reroll < kStatueRerolls; ++reroll)
        chosen = GAME::rand() % count;
    m_lastStatue = chosen;
    const TyphonStatue& statue = *statues[static_cast<size_t>(chosen)];
    // The transfer skill is the chosen statue's own god's: the god whose attacks it hands
    // over.
    const uint32_t statueId = statue.GetObjectId();
    SetMostHatedEnemy(statueId);
    SetState("PursueStatue", ControllerAIStateData(statueId, 0, m_transferSkills[statue.GetGod() % kGodCount], WorldVec3()));
    return true;
}

// ---- PursueStatue ---------------------------------------------------------------------------

void ControllerTyphonStatePursueStatue::GiveUp()
{
    gEngine->Log(LOG_WARNING, "Typhon can't move to the statue.");
    GetController()->SetMostHatedEnemy(0);
    SetState("Idle", ControllerAIStateData());
}

void ControllerTyphonStatePursueStatue::StrikeStatue()
{
    SetState("AttackStatue", Data(GetCurrentEnemy(), 0, GetCurrentSkillID()));
}

void ControllerTyphonStatePursueStatue::OnBegin()
{
    const uint32_t statueId = GetCurrentEnemy();
    const uint32_t skill = GetCurrentSkillID();
    Monster* boss = GetCharacter();
    Character* statue = ObjectManager::Get().GetObject<Character>(statueId);
    if (!boss || !statue) {
        GiveUp();
        return;
    }
    const WorldVec3 point = boss->GetMoveToPoint(statueId, skill, statue->GetPathPosition());
    const bool usable = CloseEnoughToUseSkill(statueId, skill);
    if (!point.IsValid() || (!usable && !boss->CanMoveTo(point, GetSkillUseTolerance(statueId)))) {
        GiveUp();
        return;
    }
    if (usable)
        StrikeStatue();
    else
        MoveTo(point, statueId, skill);
}

void ControllerTyphonStatePursueStatue::OnUpdate(int /*elapsedMs*/)
{
    if (CloseEnoughToUseSkill(GetCurrentEnemy(), GetCurrentSkillID()))
        StrikeStatue();
}

void ControllerTyphonStatePursueStatue::EndOfPathReached() { StrikeStatue(); }

// ---- AttackStatue ---------------------------------------------------------------------------

void ControllerTyphonStateAttackStatue::OnUpdate(int elapsedMs)
{
    ControllerMonsterStateAttack::OnUpdate(elapsedMs);
    if (GetController()->GetExecutingState() != this)
        return;   // the attack has already given up
    const Character* statue = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!statue || !statue->IsAlive()) {
        GetController()->SetMostHatedEnemy(0);
        SetState("Return", ControllerAIStateData());
    }
}

void ControllerTyphonStateAttackStatue::HandleEvent(const Name& event)
{
    if (event == Actor::EndEvent())
        SetState("Return", ControllerAIStateData());
}

void ControllerTyphonStateAttackStatue::OnEnd()
{
    ControllerMonsterStateAttack::OnEnd();
    GetController()->SetMostHatedEnemy(0);
}

}  // namespace GAME
