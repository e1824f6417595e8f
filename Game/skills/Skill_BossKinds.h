// Two skills of bosses. The spirit burst sends an effect from the caster to every statue
// near it that a spirit can raise; each burst flies to its statue and raises it on
// arrival. The skill transfer strikes one target and draws a beam between the two that
// grows from the target to the caster and then retracts, with an effect at each end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Engine/World.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/Skill_DemoFauxAttack.h"

namespace GAME {

class EffectEntity;

// The beam of the skill transfer.
class SkillGodBeam : public ChaosBeam {
    GAME_DECLARE_CLASS(SkillGodBeam)

public:
    ~SkillGodBeam() override;
};

class Skill_SpawnMegalesiosSpirit : public Skill_DemoFauxAttack {
    GAME_DECLARE_CLASS(Skill_SpawnMegalesiosSpirit)

public:
    // How far around the caster the statues are looked for.
    static constexpr float kHostSearchRadius = 80.0f;

    // One burst on its way: the statue it flies to, its effect (0: none) and where it is.
    struct Burst {
        uint32_t targetId = 0;
        uint32_t effectId = 0;
        WorldVec3 position;
    };

    Skill_SpawnMegalesiosSpirit();
    // The bursts still on their way go with the skill.
    ~Skill_SpawnMegalesiosSpirit() override;

    // The spell's keys, then "burstVelocity" and "burstName".
    void Load(const LoadTable& table) override;
    // Moves every burst towards its statue; one that arrives raises it and ends, one whose
    // statue is gone ends at once.
    void Update(Character& caster, int elapsedMs) override;
    // Every peer: one burst from the caster's middle for each statue named.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // The driving peer: a result naming every monster near whose controller is a statue's.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    const std::vector<Burst>& GetBursts() const { return m_bursts; }

private:
    std::vector<Burst> m_bursts;
    float m_burstVelocity = 1.0f;   // world units a second
    std::string m_burstName;
};

class Skill_TyphonSkillTransfer : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_TyphonSkillTransfer)

public:
    Skill_TyphonSkillTransfer();
    // A copy owns no beam: the beam stays with the skill that made it, which alone lets it
    // go. Everything else is copied.
    Skill_TyphonSkillTransfer(const Skill_TyphonSkillTransfer& other);
    Skill_TyphonSkillTransfer& operator=(const Skill_TyphonSkillTransfer& other);
    // Lets its beam go.
    ~Skill_TyphonSkillTransfer() override;

    // The spell's keys, then the beam of "skillGodBeam", "beamVelocity", "sourceEnd" and
    // "targetEnd".
    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    // Grows the beam over the first unit of progress and retracts it over the second.
    void Update(Character& caster, int elapsedMs) override;
    // Every peer: the strike, and the beam set between the target and the caster, its
    // progress started again.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    bool ShouldMonsterSkillBeInterruptedWhilePursuing() const override { return false; }
    // The driving peer: a result for the target, when it is a character.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    SkillGodBeam* GetBeam() const;
    float GetProgress() const { return m_progress; }
    bool IsBeamShown() const { return m_beamShown; }
    uint32_t GetBeamTarget() const { return m_beamTarget; }
    EffectEntity* GetSourceEnd() const;
    EffectEntity* GetTargetEnd() const;

private:
    void CopyFields(const Skill_TyphonSkillTransfer& other);

    uint32_t m_beam = 0;   // owned, by object id
    float m_beamVelocity = 1.0f;   // progress units a second
    float m_progress = 0.0f;
    bool m_beamShown = false;
    uint32_t m_beamTarget = 0;
    std::string m_sourceEndName;
    uint32_t m_sourceEnd = 0;
    std::string m_targetEndName;
    uint32_t m_targetEnd = 0;
};

}  // namespace GAME
