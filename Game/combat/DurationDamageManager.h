// The damage over time and the timed effects that hit one character: poison, burning,
// bleeding and the other duration damages, life and mana leech over time, and fixed
// levels such as slows, reductions and crowd control. Each attack builds its additions
// tick by tick and folds them into the running effects at `EndAttack`; every frame the
// due ticks are applied, the damage and involuntary effects shown on the character are
// started and stopped, and the combat manager reads the fixed levels in force.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DurationDamageReplication.h"
#include "Game/combat/DurationDamageTrack.h"

namespace GAME {

class Character;
class CombatManager;

class DurationDamageManager {
public:
    DurationDamageManager();
    virtual ~DurationDamageManager();
    DurationDamageManager(const DurationDamageManager&) = delete;
    DurationDamageManager& operator=(const DurationDamageManager&) = delete;

    // The frame update: advances the ticks, applies what fell due, shows and hides the
    // effects, runs the delayed clear and drops the tracks that ran out.
    virtual void Update(int ms);
    // The level of a fixed type in force now; 0 when none runs.
    virtual float GetFixedDamage(CombatAttributeType type) const;
    // Duration damage for the attack being built: the damage acts as an amount per second.
    virtual void AddDamage(CombatAttributeType type, float damagePerSecond, float seconds);
    // A fixed level (a slow, a reduction, crowd control at level 1) for the attack being
    // built, held per type whoever the attacker is.
    virtual void AddFixedDamage(CombatAttributeType type, float level, float seconds);
    // Drops every track; the effects they showed stop at the next update.
    virtual void Clear();
    // Clears a little later (the character is dying).
    virtual void DelayedClearHack();

    void AssignParents(Character* character, CombatManager* combatManager);
    Character* GetCharacter() const { return m_character; }
    CombatManager* GetCombatManager() const { return m_combatManager; }

    // The attacker of the attack being resolved; its additions go to its own tracks.
    void SetAttacker(uint32_t id) { m_attacker = id; }
    // Folds what the attack added into the running effects.
    void EndAttack();

    bool IsPoisoned() const;
    // The attack, run or spell-cast speed level changed at the last update.
    bool GetSpeedUpdate() const { return m_attackSpeedChanged || m_runSpeedChanged || m_spellCastSpeedChanged; }
    // The involuntary effect shown now (stun, trap, freeze, petrify, immobilize), 0 for none.
    CombatAttributeType GetInvoluntaryEffect() const { return m_involuntaryEffect; }

    // The tracks, their clocks up to date.
    const std::vector<DurationDamageTrack>& GetDurationDamageTracks() const
    {
        ApplyQuietTime();
        return m_durationDamageTracks;
    }
    const std::vector<FixedDurationDamageTrack>& GetFixedDurationDamageTracks() const
    {
        ApplyQuietTime();
        return m_fixedDurationDamageTracks;
    }

    // The running ticks as replication records, one per track that has positive ticks.
    void GetDamageReplica(std::vector<DurationDamageReplication>& out) const;
    void GetFixedDamageReplica(std::vector<FixedDurationDamageReplication>& out) const;
    // Adds received records to what the manager holds.
    void SetDamageReplica(const std::vector<DurationDamageReplication>& records);
    void SetFixedDamageReplica(const std::vector<FixedDurationDamageReplication>& records);
    // Replicated ticks go straight to the running ones; what would take the manager past
    // the ticks it holds in all is dropped, with a warning.
    void AddDamageReplication(CombatAttributeType type, uint32_t attacker, const std::vector<DurationDamageInfo>& infos);
    void AddFixedDamageReplication(CombatAttributeType type, const std::vector<DurationDamageInfo>& infos);

    // Every tick held, running or being built, over all tracks.
    size_t GetHeldTicks() const;

private:
    // Crowd control, strongest first: the first that runs is the one shown.
    static constexpr std::array<CombatAttributeType, 5> kInvoluntaryPrecedence = {
        CombatAttributeType_Immobilize, CombatAttributeType_Petrify, CombatAttributeType_Freeze,
        CombatAttributeType_Trap, CombatAttributeType_Stun};

    // Invincibility, and amounts or durations that add nothing (not a number included).
    bool Ignores(float amount, float seconds) const;
    DurationDamageTrack* FindTrack(CombatAttributeType type, uint32_t attacker);
    FixedDurationDamageTrack* FindFixedTrack(CombatAttributeType type);
    DurationDamageTrack& TrackFor(CombatAttributeType type, uint32_t attacker);
    FixedDurationDamageTrack& FixedTrackFor(CombatAttributeType type);
    // The seconds an addition to the track may span without the manager holding more
    // ticks in all than it may: the effect is cut there, as one longer than a track holds is.
    float BoundedSeconds(const DurationDamageTrack& track, float seconds) const;
    void AppendReplicated(DurationDamageTrack& track, const std::vector<DurationDamageInfo>& infos);

    // Adds the time of the quiet updates to the tracks' clocks.
    void ApplyQuietTime() const;
    // After the tracks' clocks advanced: how long the next updates may run without a
    // tick falling due.
    void FindQuietRoom();
    // Before a track is made: the other clocks brought up to date, the next update a full
    // one, the effects shown read again.
    void NoteTrackMade();
    void ProcessDamage();
    // `ticksDue`: some track had a tick fall due at this update; without one no track
    // has damage to apply.
    void ExecuteDamage(bool ticksDue);
    void ApplyTrackDamage(CombatAttributeType type, uint32_t attacker, float damage);
    void UpdateEffects();
    void UpdateInvoluntaryEffect();
    void AddDamageEffect(CombatAttributeType type);
    void ConsumeAndDropEmpty();

    // The members an update reads come first, together: with the combat manager's timers
    // before them they share the cache lines an update touches.
    Character* m_character = nullptr;
    CombatManager* m_combatManager = nullptr;
    // The tracks' clocks are advanced lazily: while no tick can fall due (every track's
    // clock stays within one tick) an update only counts its time here, without touching
    // the tracks, and the time is added to the clocks (which also takes the ticks due at
    // the last full update back to none) when they are read or a track is made. Such an
    // update would have done nothing else to them.
    mutable int m_quietMs = 0;           // counted, not yet added to the clocks
    mutable bool m_quietUpdates = false;  // an update counted so (perhaps of 0 ms)
    int m_quietRoom = -1;                 // how much more may pass so; below 0 the next update is a full one
    float m_attackSpeedFixed = 0.0f;
    float m_runSpeedFixed = 0.0f;
    // The spell-cast slow slows casting (the combat manager's ContributeSpellCastSpeed)
    // and forces a speed update when it changes, as the attack and run slows do.
    float m_spellCastSpeedFixed = 0.0f;
    CombatAttributeType m_involuntaryEffect = CombatAttributeType_Unknown;
    bool m_attackSpeedChanged = false;
    bool m_runSpeedChanged = false;
    bool m_spellCastSpeedChanged = false;
    // The effects shown follow from the types of the tracks: set whenever a track comes
    // or goes (or an effect is added), and while it is clear the list below already
    // holds exactly those types, so there is nothing to start or stop.
    bool m_trackSetChanged = true;
    int m_delayedClearTimer = 0;
    uint32_t m_attacker = 0;
    int m_delayedClearDelay;
    // Mutable so that the const readers can bring the clocks up to date first.
    mutable std::vector<FixedDurationDamageTrack> m_fixedDurationDamageTracks;
    mutable std::vector<DurationDamageTrack> m_durationDamageTracks;
    // Types whose damage effect is shown, in order of type (a handful at most, walked
    // every frame: a flat list); the mark is a stale flag used while updating.
    std::vector<std::pair<CombatAttributeType, bool>> m_damageEffects;
    std::pair<CombatAttributeType, bool>* FindDamageEffect(CombatAttributeType type);
};

}  // namespace GAME
