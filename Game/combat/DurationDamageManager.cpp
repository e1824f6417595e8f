#include "Game/combat/DurationDamageManager.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterRagDoll.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/DurationDamageConstants.h"
#include "Game/core/Bonus.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

DurationDamageManager::DurationDamageManager() : m_delayedClearDelay(DurationDamage::kDelayedClearDelayMs)
{
    Clear();
}

DurationDamageManager::~DurationDamageManager() = default;

void DurationDamageManager::AssignParents(Character* character, CombatManager* combatManager)
{
    m_character = character;
    m_combatManager = combatManager;
}

// ---- Adding -------------------------------------------------------------------------

bool DurationDamageManager::Ignores(float amount, float seconds) const
{
    // Written so that a value that is not a number is ignored too: it would otherwise
    // pass a "<= 0" test and poison the character's life.
    if (!(amount > 0.0f && std::isfinite(amount)) || !(seconds > 0.0f))
        return true;
    return !m_character || m_character->IsInvincible();
}

DurationDamageTrack* DurationDamageManager::FindTrack(CombatAttributeType type, uint32_t attacker)
{
    for (DurationDamageTrack& track : m_durationDamageTracks)
        if (track.GetType() == type && track.GetAttacker() == attacker)
            return &track;
    return nullptr;
}

FixedDurationDamageTrack* DurationDamageManager::FindFixedTrack(CombatAttributeType type)
{
    for (FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
        if (track.GetType() == type)
            return &track;
    return nullptr;
}

DurationDamageTrack& DurationDamageManager::TrackFor(CombatAttributeType type, uint32_t attacker)
{
    if (DurationDamageTrack* track = FindTrack(type, attacker))
        return *track;
    NoteTrackMade();
    return m_durationDamageTracks.emplace_back(type, attacker);
}

FixedDurationDamageTrack& DurationDamageManager::FixedTrackFor(CombatAttributeType type)
{
    if (FixedDurationDamageTrack* track = FindFixedTrack(type))
        return *track;
    NoteTrackMade();
    return m_fixedDurationDamageTracks.emplace_back(type);
}

void DurationDamageManager::NoteTrackMade()
{
    // A new track's clock starts now; and it may run out (or hold nothing) at once.
    ApplyQuietTime();
    m_quietRoom = -1;
    m_trackSetChanged = true;
}

std::pair<CombatAttributeType, bool>* DurationDamageManager::FindDamageEffect(CombatAttributeType type)
{
    for (auto& effect : m_damageEffects)
        if (effect.first == type)
            return &effect;
    return nullptr;
}

void DurationDamageManager::AddDamageEffect(CombatAttributeType type)
{
    if (FindDamageEffect(type))
        return;
    m_trackSetChanged = true;
    m_character->StartDamageEffect(type);
    const auto place = std::find_if(m_damageEffects.begin(), m_damageEffects.end(),
                                    [type](const auto& effect) { return effect.first > type; });
    m_damageEffects.emplace(place, type, false);
}

size_t DurationDamageManager::GetHeldTicks() const
{
    size_t held = 0;
    const auto count = [&held](const DurationDamageTrack& track) {
        held += track.GetActiveTicks().size() + track.GetPendingTicks().size();
    };
    std::for_each(m_durationDamageTracks.begin(), m_durationDamageTracks.end(), count);
    std::for_each(m_fixedDurationDamageTracks.begin(), m_fixedDurationDamageTracks.end(), count);
    return held;
}

float DurationDamageManager::BoundedSeconds(const DurationDamageTrack& track, float seconds) const
{
    const size_t held = GetHeldTicks();
    const size_t room = DurationDamage::kMaxManagerTicks - std::min(held, DurationDamage::kMaxManagerTicks);
    // The addition grows the track's pending ticks to its own length at most.
    const size_t allowed = track.GetPendingTicks().size() + room;
    if (seconds * DurationDamage::kTicksPerSecond < static_cast<float>(allowed))
        return seconds;
    return static_cast<float>(allowed) * DurationDamage::kSecondsPerTick;
}

void DurationDamageManager::AddDamage(CombatAttributeType type, float damagePerSecond, float seconds)
{
    if (Ignores(damagePerSecond, seconds))
        return;
    AddDamageEffect(type);
    DurationDamageTrack& track = TrackFor(type, m_attacker);
    track.Add({damagePerSecond, BoundedSeconds(track, seconds)});
}

void DurationDamageManager::AddFixedDamage(CombatAttributeType type, float level, float seconds)
{
    if (Ignores(level, seconds))
        return;
    FixedDurationDamageTrack& track = FixedTrackFor(type);
    track.Add({level, BoundedSeconds(track, seconds)});
}

void DurationDamageManager::EndAttack()
{
    for (DurationDamageTrack& track : m_durationDamageTracks)
        track.MergePending();
    for (FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
        track.MergePending();
}

// ---- Reading ------------------------------------------------------------------------

float DurationDamageManager::GetFixedDamage(CombatAttributeType type) const
{
    for (const FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
        if (track.GetType() == type)
            return track.GetDamage();
    return 0.0f;
}

bool DurationDamageManager::IsPoisoned() const
{
    return std::any_of(m_durationDamageTracks.begin(), m_durationDamageTracks.end(),
                       [](const DurationDamageTrack& track) { return track.GetType() == CombatAttributeType_Poison; });
}

// ---- Clearing -----------------------------------------------------------------------

void DurationDamageManager::Clear()
{
    m_durationDamageTracks.clear();
    m_fixedDurationDamageTracks.clear();
    m_trackSetChanged = true;
    m_quietMs = 0;
    m_quietUpdates = false;
    m_quietRoom = -1;
}

void DurationDamageManager::DelayedClearHack() { m_delayedClearTimer = m_delayedClearDelay; }

// ---- The frame ----------------------------------------------------------------------

void DurationDamageManager::ApplyQuietTime() const
{
    if (!m_quietUpdates)
        return;
    // Within one tick the clock only adds: one step of the sum is the steps one by one,
    // and each of them leaves no tick due.
    for (DurationDamageTrack& track : m_durationDamageTracks)
        track.Update(m_quietMs);
    for (FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
        track.Update(m_quietMs);
    m_quietMs = 0;
    m_quietUpdates = false;
}

void DurationDamageManager::FindQuietRoom()
{
    // A tick falls due when a clock passes one tick (a clock holds at most one).
    int64_t room = DurationDamage::kTickMs;
    const auto bound = [&room](const DurationDamageTrack& track) {
        room = std::min(room, int64_t{DurationDamage::kTickMs} - track.GetElapsedMs());
    };
    std::for_each(m_durationDamageTracks.begin(), m_durationDamageTracks.end(), bound);
    std::for_each(m_fixedDurationDamageTracks.begin(), m_fixedDurationDamageTracks.end(), bound);
    m_quietRoom = static_cast<int>(room);
}

void DurationDamageManager::Update(int ms)
{
    // A quiet update: no tick falls due, no track runs out.
    const bool quiet = ms >= 0 && ms <= m_quietRoom;
    bool ticksDue = false;
    if (quiet) {
        m_quietRoom -= ms;
        m_quietMs += ms;
        m_quietUpdates = true;
    } else {
        ApplyQuietTime();
        for (DurationDamageTrack& track : m_durationDamageTracks) {
            track.Update(ms);
            ticksDue = ticksDue || track.GetTicksDue() > 0;
        }
        for (FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
            track.Update(ms);
        FindQuietRoom();
    }

    ProcessDamage();
    if (m_character && m_combatManager)
        ExecuteDamage(ticksDue);

    if (m_delayedClearTimer > 0) {
        m_delayedClearTimer -= ms;
        if (m_delayedClearTimer <= 0)
            Clear();
    }
    // A quiet update has no due ticks to consume, and a track that ran out was dropped by
    // the last full update; a track made meanwhile (which brought the clocks up to date)
    // took the room away.
    if (!quiet || m_quietRoom < 0)
        ConsumeAndDropEmpty();
}

void DurationDamageManager::ProcessDamage()
{
    // Each slow's level against the one seen at the last update (none runs without a
    // fixed track).
    const bool none = m_fixedDurationDamageTracks.empty();
    const auto track = [this, none](CombatAttributeType type, float& seen, bool& changed) {
        const float level = none ? 0.0f : GetFixedDamage(type);
        changed = level != seen;
        seen = level;
    };
    track(CombatAttributeType_AttackSpeed, m_attackSpeedFixed, m_attackSpeedChanged);
    track(CombatAttributeType_RunSpeed, m_runSpeedFixed, m_runSpeedChanged);
    track(CombatAttributeType_SpellCastSpeed, m_spellCastSpeedFixed, m_spellCastSpeedChanged);
}

void DurationDamageManager::ExecuteDamage(bool ticksDue)
{
    CharacterRagDoll::EffectData ragdoll;
    ragdoll.effect = CharacterRagDoll::Crumple;
    ragdoll.amplification = 0.0f;
    m_character->SetRagdollData(ragdoll, false);

    UpdateEffects();

    // A track's damage is the sum of its due ticks; a track added while the loop runs
    // has none due yet. So with no tick due at this update there is nothing to apply.
    if (ticksDue && !m_durationDamageTracks.empty()) {
        // The damage of the update is registered with the engine in one go, in the order
        // it was applied.
        const CombatManager::DamageRegisteredTogether registered(*m_combatManager,
                                                                  m_durationDamageTracks.front().GetAttacker());
        // By index, with the key copied out: applying damage reaches other code (death,
        // skills), which may add tracks or clear them while this loop runs.
        for (size_t i = 0; i < m_durationDamageTracks.size(); ++i) {
            const DurationDamageTrack& track = m_durationDamageTracks[i];
            const float damage = track.GetDamage();
            if (damage > 0.0f)
                ApplyTrackDamage(track.GetType(), track.GetAttacker(), damage);
        }
    }

    if (GetSpeedUpdate() || m_character->GetSkillManager().IsSpeedUpdateNeeded())
        m_character->ForceSpeedUpdate();
}

void DurationDamageManager::ApplyTrackDamage(CombatAttributeType type, uint32_t attacker, float damage)
{
    const PlayStatsDamageType statsType{PlayStatsDamageKind_CombatAttributeType, type};
    Bonus bonus;
    switch (type) {
    case CombatAttributeType_LifeLeach: {
        // The attacker gets the life the defender actually lost, which filters and
        // racial defence may have made less than the tick.
        const float lifeBefore = m_character->GetCurrentLife();
        m_combatManager->SetAttacker(attacker);
        if (!m_combatManager->ApplyDamage(damage, statsType, type))
            return;
        bonus.lifePoints = std::max(lifeBefore - m_character->GetCurrentLife(), 0.0f);
        if (bonus.lifePoints > 0.0f)
            m_combatManager->GiveBonus(bonus, attacker);
        return;
    }
    case CombatAttributeType_ManaLeach: {
        bonus.manaPoints = std::min(damage, m_character->GetCurrentMana());
        m_character->SubtractMana(damage);
        if (bonus.manaPoints > 0.0f)
            m_combatManager->GiveBonus(bonus, attacker);
        return;
    }
    default:
        m_combatManager->SetAttacker(attacker);
        m_combatManager->ApplyDamage(damage, statsType, type);
        return;
    }
}

void DurationDamageManager::UpdateInvoluntaryEffect()
{
    CombatAttributeType shown = CombatAttributeType_Unknown;
    for (CombatAttributeType type : kInvoluntaryPrecedence) {
        if (GetFixedDamage(type) > 0.0f) {
            shown = type;
            break;
        }
    }
    if (shown == m_involuntaryEffect)
        return;
    m_character->StopInvoluntaryEffect(m_involuntaryEffect);
    m_character->StartInvoluntaryEffect(shown);
    m_involuntaryEffect = shown;
}

void DurationDamageManager::UpdateEffects()
{
    // Without fixed tracks every level reads 0, so the effect to show is none.
    if (!m_fixedDurationDamageTracks.empty() || m_involuntaryEffect != CombatAttributeType_Unknown)
        UpdateInvoluntaryEffect();

    if (!m_trackSetChanged)
        return;
    // Cleared first: a track that comes or goes while the effects start and stop is
    // seen at the next update.
    m_trackSetChanged = false;
    for (auto& [type, stale] : m_damageEffects)
        stale = true;
    auto markLive = [this](CombatAttributeType type) {
        if (auto* effect = FindDamageEffect(type))
            effect->second = false;
        else
            AddDamageEffect(type);
    };
    for (const FixedDurationDamageTrack& track : m_fixedDurationDamageTracks)
        markLive(track.GetType());
    for (const DurationDamageTrack& track : m_durationDamageTracks)
        markLive(track.GetType());

    // In order of type; stopping an effect does not reach back into this list.
    for (size_t i = 0; i < m_damageEffects.size();) {
        if (m_damageEffects[i].second) {
            m_character->StopDamageEffect(m_damageEffects[i].first);
            m_damageEffects.erase(m_damageEffects.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void DurationDamageManager::ConsumeAndDropEmpty()
{
    auto consume = [this](auto& tracks) {
        bool ranOut = false;
        for (auto& track : tracks) {
            track.ConsumeTicks();
            ranOut = ranOut || track.IsEmpty();
        }
        if (ranOut) {
            std::erase_if(tracks, [](const DurationDamageTrack& track) { return track.IsEmpty(); });
            m_trackSetChanged = true;
        }
    };
    consume(m_durationDamageTracks);
    consume(m_fixedDurationDamageTracks);
}

// ---- Replication --------------------------------------------------------------------

void DurationDamageManager::GetDamageReplica(std::vector<DurationDamageReplication>& out) const
{
    for (const DurationDamageTrack& track : m_durationDamageTracks) {
        DurationDamageReplication record{track.GetType(), track.GetAttacker(), {}};
        track.GetReplicaInfo(record.infos);
        if (!record.infos.empty())
            out.push_back(std::move(record));
    }
}

void DurationDamageManager::GetFixedDamageReplica(std::vector<FixedDurationDamageReplication>& out) const
{
    for (const FixedDurationDamageTrack& track : m_fixedDurationDamageTracks) {
        FixedDurationDamageReplication record{track.GetType(), {}};
        track.GetReplicaInfo(record.infos);
        if (!record.infos.empty())
            out.push_back(std::move(record));
    }
}

void DurationDamageManager::SetDamageReplica(const std::vector<DurationDamageReplication>& records)
{
    for (const DurationDamageReplication& record : records)
        AddDamageReplication(record.type, record.attacker, record.infos);
}

void DurationDamageManager::SetFixedDamageReplica(const std::vector<FixedDurationDamageReplication>& records)
{
    for (const FixedDurationDamageReplication& record : records)
        AddFixedDamageReplication(record.type, record.infos);
}

void DurationDamageManager::AddDamageReplication(CombatAttributeType type, uint32_t attacker,
                                                 const std::vector<DurationDamageInfo>& infos)
{
    AppendReplicated(TrackFor(type, attacker), infos);
}

void DurationDamageManager::AddFixedDamageReplication(CombatAttributeType type,
                                                      const std::vector<DurationDamageInfo>& infos)
{
    AppendReplicated(FixedTrackFor(type), infos);
}

void DurationDamageManager::AppendReplicated(DurationDamageTrack& track, const std::vector<DurationDamageInfo>& infos)
{
    size_t held = GetHeldTicks();
    bool cut = false;
    for (const DurationDamageInfo& info : infos) {
        const size_t room = DurationDamage::kMaxManagerTicks - std::min(held, DurationDamage::kMaxManagerTicks);
        const size_t before = track.GetActiveTicks().size();
        // A count that is not a number appends nothing (AppendTicks), whatever the room.
        cut = cut || info.duration >= static_cast<float>(room + 1);
        track.AppendTicks(info.damage, std::min(info.duration, static_cast<float>(room)));
        held += track.GetActiveTicks().size() - before;
    }
    if (cut)
        gEngine->Log(LOG_WARNING, "DurationDamageManager: replicated ticks past the %zu a character holds are dropped",
                     DurationDamage::kMaxManagerTicks);
}

}  // namespace GAME
