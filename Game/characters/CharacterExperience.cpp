// A character's public face toward skills, combat, the user interface and the network:
// experience and levels, base attributes, life and mana queries, its team, the effects
// it shows and the operations that forward to an owned part.
#include "Game/characters/Character.h"

#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/PFxManager.h"

namespace GAME {

void Character::GetActiveStatusSkills(std::vector<std::string>& out) const
{
    for (uint32_t id : m_skillManager->GetUITempSkillList())
        if (const Skill* buff = ObjectManager::Get().GetObject<Skill>(id))
            out.push_back(buff->GetObjectName());
}

// ---- Level, experience and points -----------------------------------------------------

uint32_t Character::GetCharLevel() const { return m_levelControl->GetLevel(); }
void Character::SetCharLevel(uint32_t level)
{
    m_levelControl->SetLevelAndExperience(level, m_levelControl->GetExperience());
}
uint32_t Character::GetModifierPoints() const { return m_levelControl->GetModifierPoints(); }
void Character::SetModifierPoints(uint32_t points) { m_levelControl->SetModifierPoints(points); }
void Character::AddModifierPoints(uint32_t points) { m_levelControl->AddModifierPoints(points); }
uint32_t Character::GetSkillPoints() const { return m_levelControl->GetSkillPoints(); }
void Character::SetSkillPoints(uint32_t points) { m_levelControl->SetSkillPoints(points); }
void Character::AddSkillPoints(uint32_t points) { m_levelControl->AddSkillPoints(points); }
uint32_t Character::SubtractSkillPoint() { return m_levelControl->SubtractSkillPoint(); }
uint32_t Character::GetExperiencePoints() const { return m_levelControl->GetExperience(); }
void Character::SetExperiencePoints(uint32_t points)
{
    m_levelControl->SetLevelAndExperience(m_levelControl->GetLevel(), points);
}
uint32_t Character::GetLastLevelExperience() const { return m_levelControl->GetExperienceForCurrentLevel(); }
uint32_t Character::GetNextLevelExperience() const { return m_levelControl->GetExperienceToNextLevel(); }
bool Character::IsMaxLevel() const { return m_levelControl->IsMaxLevel(); }

uint32_t Character::GetExperienceReward(uint32_t playerId) const
{
    return gGameEngine ? gGameEngine->CalculateExperienceReward(GetCharLevel(), playerId, GetExperiencePoints()) : 0;
}

// The increased-experience percent may be negative: a total below -100 percent takes
// the whole amount and no more, instead of wrapping to a huge gain.
void Character::ReceiveExperience(uint32_t amount, bool silent)
{
    const float percent = GetTotalCharAttribute(CharAttributeType_IncreasedExperience);
    if (percent != 0.0f) {
        const int bonus = TruncateToInt(static_cast<double>(percent) * 0.01 * static_cast<double>(amount) + 0.5);
        amount = TruncateToUnsigned(static_cast<double>(amount) + static_cast<double>(bonus));
    }
    if (amount == 0)
        return;
    if (m_levelControl->ReceiveExperience(amount)) {
        m_bio->ReloadValues();
        m_skillManager->UpdateMasteriesAllowed(GetCharLevel());
        GameEvent_PlayerLevelUp event;
        event.objectId = GetObjectId();
        EventManager::Get().Send(event, "GameEvent_PlayerLevelUp");
        if (!silent) {
            SoundPak* sound = m_sounds[Sound_LevelUp];
            if (sound && gGameEngine && gGameEngine->GetMainPlayer() == this)
                sound->Play(true);
            if (!m_levelUpFx.empty())
                m_pfxManager->OneShotParticleEffect(m_levelUpFx, "");
        }
        m_playStats.IncrementLevel();
    }
    m_playStats.GainExperience(amount);
}

void Character::IncrementCharLevel()
{
    const uint32_t next = GetNextLevelExperience();
    const uint32_t current = GetExperiencePoints();
    ReceiveExperience(next > current ? next - current : 0, true);
}

// ---- Base attributes, life and mana ------------------------------------------------------

void Character::IncrementBaseStrength()
{
    IncrementBaseAttribute(CharAttributeType_Strength, static_cast<float>(m_levelControl->GetStrengthIncrement()));
}
void Character::IncrementBaseDexterity()
{
    IncrementBaseAttribute(CharAttributeType_Dexterity, static_cast<float>(m_levelControl->GetDexterityIncrement()));
}
void Character::IncrementBaseIntelligence()
{
    IncrementBaseAttribute(CharAttributeType_Intelligence,
                           static_cast<float>(m_levelControl->GetIntelligenceIncrement()));
}
void Character::IncrementBaseLife()
{
    IncrementBaseAttribute(CharAttributeType_Life, static_cast<float>(m_levelControl->GetLifeIncrement()));
}
void Character::IncrementBaseMana()
{
    IncrementBaseAttribute(CharAttributeType_Mana, static_cast<float>(m_levelControl->GetManaIncrement()));
}
void Character::IncrementBaseAttribute(CharAttributeType type, float amount)
{
    m_bio->IncrementBaseAttribute(type, amount);
}

float Character::GetTotalCharModifier(CharAttributeType type) const { return m_bio->GetTotalCharModifier(type); }
void Character::GetBaseCharAttributes(CharAttributeAccumulator& accumulator) const
{
    m_bio->GetBaseCharAttributes(accumulator);
}
float Character::GetPotentialLife() const { return m_bio->GetLifePotential(); }
float Character::GetPotentialMana() const { return m_bio->GetManaPotential(); }
float Character::GetReserveMana() const { return m_bio->GetManaReserve(); }
float Character::GetManaLimit() const { return m_bio->GetManaLimit(); }
void Character::ReloadCharacterBio() { m_bio->ReloadValues(); }

// The bio's mana becomes the value (it changes by the difference to the current mana).
void Character::SetCurrentMana(float mana) { m_bio->SetCurrentMana(mana); }

int32_t Character::GetCurrentLifeInt() const
{
    const float life = GetCurrentLife();
    if (life > 1.0f)
        return TruncateToInt(life);
    return life > 0.0f ? 1 : 0;
}

// ---- Combat manager --------------------------------------------------------------------

uint32_t Character::GetAttackerId() const { return m_combatManager->GetAttackerId(); }
bool Character::IsPoisoned() const { return m_combatManager->IsPoisoned(); }
float Character::GetOffensiveReduction() const { return m_combatManager->ContributeOffensiveReduction(); }
float Character::GetTotalDamageReductionPercent() const
{
    return m_combatManager->ContributeTotalDamageReductionPercent();
}
float Character::GetTotalDamageReductionAbsolute() const
{
    return m_combatManager->ContributeTotalDamageReductionAbsolute();
}
float Character::GetFumbleDamage() const { return m_combatManager->ContributeFumbleDamage(); }
float Character::GetProjectileFumbleDamage() const { return m_combatManager->ContributeProjectileFumbleDamage(); }
float Character::GetCombatRegionChance(CombatAttributeRegion region) const
{
    return m_combatManager->GetRegionChance(region);
}
bool Character::IsWieldingDualWeapons() const { return m_combatManager->GetHandState() == 2; }
bool Character::IsUnarmed() const { return m_combatManager->GetHandState() == 0; }

float Character::DesignerCalculatePhysicalDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePhysicalDamage(damage);
}

float Character::DesignerCalculatePierceDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePierceDamage(damage);
}

float Character::DesignerCalculateElementalDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDamage(damage);
}

float Character::DesignerCalculateElementalDurationDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDurationDamage(damage);
}

float Character::DesignerCalculateOffensiveAbility(float bonus)
{
    return m_combatManager->DesignerCalculateOffensiveAbility(bonus);
}

float Character::DesignerCalculateDefensiveAbility(float bonus)
{
    return m_combatManager->DesignerCalculateDefensiveAbility(bonus);
}

float Character::DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                        float bonus)
{
    const float result =
        m_combatManager->DesignerCalculatePhysicalDamageDefense(damage, protection, protectionAbsorption, bonus);
    m_playStats.TallyDamageReduction(static_cast<float>(TruncateToInt(damage - result)),
                                     PlayStatsDamageReductionType_Unknown);
    return result;
}

float Character::DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense, float shieldAbsorption)
{
    const float result = m_combatManager->DesignerCalculateShieldBlockDamageReduction(damage, shieldDefense,
                                                                                      shieldAbsorption);
    m_playStats.TallyDamageReduction(static_cast<float>(TruncateToInt(damage - result)),
                                     PlayStatsDamageReductionType_Blocked);
    return result;
}

// ---- Team ------------------------------------------------------------------------------

Team Character::GetTeam() const { return m_invisible ? TeamManager::InvisibleTeam() : m_team; }

void Character::SetTeam(const Team& team)
{
    if (team.GetTeamMajor() == m_team.GetTeamMajor() && team.GetTeamMinor() == m_team.GetTeamMinor())
        return;
    m_team = team;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerAI>(m_controllerId))
        controller->TeamChanged();
}

// ---- The world ---------------------------------------------------------------------------

void Character::GetLivingCharacters(std::vector<Character*>& out, const OBBox& box) const
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInBox(found, GetRegion(), box, EntityList_Dynamic);
    for (Entity* entity : found) {
        auto* character = DynamicCast<Character>(entity);
        if (character && character != this && character->IsAlive() && !DynamicCast<Player>(character))
            out.push_back(character);
    }
}

void Character::SetRagdollData(const CharacterRagDoll::EffectData& data, bool force)
{
    if (!force && GetCurrentLife() > 0.0f)
        return;
    m_ragdollData = data;
    if (!m_ragDollBehaviorOverride.empty())
        m_ragdollData.effect = CharacterRagDoll::GetEffectEnum(m_ragDollBehaviorOverride);
    if (m_ragDollSpeedOverride != 0.0f)
        m_ragdollData.speed = m_ragDollSpeedOverride;
}

bool Character::ShouldDoRagDoll() const
{
    const GraphicsEngine& graphics = *GraphicsEngine::Get();
    return graphics.IsInPreLoadFrustum(*this) && graphics.GetMeshRigidBodies(GetMeshName()) != nullptr;
}

// Called by the entity when its physics type changes: the rag doll for a body gone limp,
// else one rigid body.
void Character::CreatePhysicsObject()
{
    if (GetPhysicsObject())
        return;
    if (GetPhysicsType() == CharacterRagDoll::kPhysicsType)
        SetPhysicsObject(std::make_unique<CharacterRagDoll>(this));
    else
        SetPhysicsObject(std::make_unique<PhysicsRigidBody>(this));
}

void Character::DestroyMe()
{
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "Character", __LINE__);
}

// ---- Effects -----------------------------------------------------------------------------

uint32_t Character::AddParticleEffect(const std::string& recordName, const std::string& attachPoint)
{
    return m_pfxManager->AddParticleEffect(recordName, attachPoint);
}
void Character::StartParticleEffect(uint32_t effectId) { m_pfxManager->StartParticleEffect(effectId); }
void Character::StopParticleEffect(uint32_t effectId) { m_pfxManager->StopParticleEffect(effectId); }
void Character::RemoveParticleEffect(uint32_t& effectId) { m_pfxManager->RemoveParticleEffect(effectId); }
uint32_t Character::AddMeshEffect(const std::string& recordName) { return m_pfxManager->AddMeshEffect(recordName); }
void Character::StartMeshEffect(uint32_t effectId) { m_pfxManager->StartMeshEffect(effectId); }
void Character::StopMeshEffect(uint32_t effectId) { m_pfxManager->StopMeshEffect(effectId); }
void Character::RemoveMeshEffect(uint32_t& effectId) { m_pfxManager->RemoveMeshEffect(effectId); }

void Character::StopAttachedEffects()
{
    for (const AttachedEntity& attached : GetAttachedEntities())
        if (auto* effect = DynamicCast<EffectEntity>(attached.entity))
            effect->StopEmitting();
}

void Character::StartSpawnEffect()
{
    if (!m_spawnEffect.empty())
        if (auto* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(m_spawnEffect))
            if (!effect->AddToWorld(GetCoords(), false))
                ObjectManager::Get().DestroyObjectEx(effect, "Character", __LINE__);
    if (auto* sound = ObjectManager::Get().GetObject<SoundPak>(m_spawnSoundId))
        sound->Play(GetCoords().GetPosition(), 0, true);
}

}  // namespace GAME
