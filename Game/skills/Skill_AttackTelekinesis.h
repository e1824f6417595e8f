// The telekinesis attack: the caster seizes a throwable object resting near it, pulls it
// up with a beam, carries it over its head, holds it there wobbling while the cast
// animation loops, and hurls it at the target; the object's hits come back as target
// results. The cast's swipe claims the object, its activation throws it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

class ChaosBeam;
class CharFxPak;
class ProjectileTelekinesis;
class Puppet;
class SoundPak;

class Skill_AttackTelekinesis : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackTelekinesis)

public:
    enum HandleState : int32_t {
        Handle_Idle = 0,
        Handle_Reaching = 1,   // the beam reaches out to the object
        Handle_WaitingForPuppet = 2,
        Handle_Lifting = 3,
        Handle_MovingOverhead = 4,
        Handle_Holding = 5,    // wobbling over the caster's head
        Handle_Thrown = 6,
    };
    // Objects this close to the caster can be seized.
    static constexpr float kSearchRadius = 12.0f;
    // An overhead move shorter than this has arrived before it starts.
    static constexpr float kArrivedDistance = 0.0001f;
    static constexpr int32_t kWobbleAmplitude = 10;   // degrees
    static constexpr int kBeamSoundFadeMs = 250;

    Skill_AttackTelekinesis();
    // Destroys the beam sound it owns.
    ~Skill_AttackTelekinesis() override;

    // The activated skill's keys, then the telekinesis keys.
    void Load(const LoadTable& table) override;
    // The beam-origin effect pack goes with the character.
    void Install(Character* owner) override;
    void UnInstall(Character* owner) override;
    void PreLoad(bool preloadNow) override;
    // Carries the held object through its states.
    void Update(Character& caster, int elapsedMs) override;
    // Usable while an object is held; otherwise only with an object in reach (reason 6
    // without), then by the base rule.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    // The thrown object's hits, never on the caster.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // Both let the object go wherever it is.
    void Cancel(Character& caster) override;
    void StopSkill(Character& caster) override;
    // Claims an object in reach and loops the cast.
    void SwipeAction(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    // The action goes on while an object is being handled.
    bool EndAction(Character& caster) override;
    // Throws the held object at the target.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    // True when no object is being handled.
    bool IsTelkineFinished() const { return m_handleState == Handle_Idle; }
    // Takes `candidate` for the caster; false (nothing changed) when it is gone or in use.
    bool ClaimObject(Character& caster, const WorldVec3& position);
    // Lifting again: true when the held object exists.
    bool RetrieveObject();
    void ThrowObject(Character& caster, const WorldVec3& targetPoint, unsigned targetId);
    // The held object falls back to the world; beam, puppet and effect go.
    void ReleaseObject();
    // `candidate` becomes a free throwable object around the coordinates (0 for none).
    void FindObjectToThrow(const WorldCoords& coords);

    HandleState GetHandleState() const { return m_handleState; }
    uint32_t GetCandidate() const { return m_candidate; }
    uint32_t GetHeldObject() const { return m_heldObject; }
    uint32_t GetBeamId() const { return m_beamId; }
    uint32_t GetPuppetId() const { return m_puppetId; }
    float GetBeamHead() const { return m_beamHead; }
    uint32_t GetWobblePhase() const { return m_wobblePhase; }
    float GetMoveDistance() const { return m_moveDistance; }
    float GetMoveProgress() const { return m_moveProgress; }
    const WorldCoords& GetLiftCoords() const { return m_liftCoords; }
    const WorldCoords& GetOverheadCoords() const { return m_overheadCoords; }
    SoundPak* GetBeamSound() const;
    const CharFxPak* GetBeamOrigin() const { return m_beamOrigin.get(); }

private:
    ProjectileTelekinesis* GetHeld() const;
    Puppet* GetPuppet() const;
    ChaosBeam* GetBeam() const;
    // The object's grip: the puppet's "Wrist" point, or the object's position.
    WorldVec3 GripPosition() const;
    // Beam, puppet, beam sound and effect go, as at a throw or a release.
    void LetGoOfHandles();
    void MoveBeam(int elapsedMs);
    void LiftEntity(int elapsedMs);
    void MoveEntity(Character& caster, int elapsedMs);
    void WobbleEntity();
    // The puppet at the coordinates, wobbling, and the object at its grip.
    void PlaceWobbling(const WorldCoords& coords);
    WorldCoords WobbleCoords(const WorldCoords& coords) const;

    uint32_t m_candidate = 0;
    uint32_t m_heldObject = 0;
    HandleState m_handleState = Handle_Idle;
    uint32_t m_wobblePhase = 0;   // degrees, 0 .. 359
    WorldVec3 m_handPoint;
    float m_liftSpeed = 2.0f;     // units per second
    float m_wobbleOffsetX = 0.0f; // degrees
    float m_wobbleOffsetY = 0.0f;
    int32_t m_wobbleAmplitude = kWobbleAmplitude;
    Name m_loopingAnimation;
    Name m_endingAnimation;
    float m_headVelocity = 0.0f;  // of the beam's length per second
    float m_beamHead = 0.0f;      // 0 .. 1
    std::string m_chaosBeamName;
    std::string m_puppetName;
    uint32_t m_beamId = 0;
    std::unique_ptr<CharFxPak> m_beamOrigin;
    uint32_t m_puppetId = 0;
    uint32_t m_beamSound = 0;     // owned, by object id
    float m_moveOverHeadVelocity = 3.0f;   // units per second
    float m_moveDistance = 0.0f;
    float m_moveProgress = 0.0f;
    WorldCoords m_claimCoords;
    WorldCoords m_liftCoords;
    WorldCoords m_overheadCoords;
    Coords m_gripOffset;          // the object in the frame of its grip
};

}  // namespace GAME
