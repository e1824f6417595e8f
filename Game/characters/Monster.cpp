#include "Game/characters/Monster.h"

#include <cstdio>
#include <cstdlib>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Player.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/BoundingVolumeBossMonster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Monster, Character)

namespace {

constexpr std::array<const char*, 6> kBossSpeedCapKeys = {
    "bossRunSpeedCapMin",       "bossRunSpeedCapMax",       "bossSpellCastSpeedCapMin",
    "bossSpellCastSpeedCapMax", "bossAttackSpeedCapMin",    "bossAttackSpeedCapMax"};
constexpr std::array<const char*, 6> kMonsterSpeedCapKeys = {
    "monsterRunSpeedCapMin",       "monsterRunSpeedCapMax",       "monsterSpellCastSpeedCapMin",
    "monsterSpellCastSpeedCapMax", "monsterAttackSpeedCapMin",    "monsterAttackSpeedCapMax"};

// A record's seconds as whole milliseconds; a value that is no number or does not fit
// is logged and taken as 0.
int SecondsToMs(const LoadTable& table, const char* key, float def)
{
    const double ms = static_cast<double>(table.GetFloat(key, def)) * 1000.0;
    if (!(ms > -2147483648.0 && ms < 2147483648.0)) {
        gEngine->Log(LOG_WARNING, "%s: \"%s\" is out of range, taken as 0", table.GetName().c_str(), key);
        return 0;
    }
    return static_cast<int>(ms);
}

void DestroyObject(Object* object, int line)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "Monster", line);
}

// The loosely attached worn items, then the firmly attached ones: loot entry and the
// location it is dropped from.
struct DropEntry {
    size_t entry;
    EquipLocations location;
};
constexpr DropEntry kDropOrder[] = {
    {3, EquipLocation_LeftHand}, {2, EquipLocation_RightHand}, {0, EquipLocation_Head},
    {1, EquipLocation_Neck},     {7, EquipLocation_Finger},    {8, EquipLocation_Finger},
    {4, EquipLocation_UpperBody}, {5, EquipLocation_LowerBody}, {6, EquipLocation_Forearm},
};

template <class Accumulator>
void ContributeBalancePak(const AttributePak* pak, void (AttributePak::*contribute)(Accumulator&, unsigned) const,
                          Accumulator& accumulator, uint32_t balanceDifficulty)
{
    if (pak)
        (pak->*contribute)(accumulator, balanceDifficulty);
}

}  // namespace

Monster::Monster()
    : m_speedCapKeys(kMonsterSpeedCapKeys),
      m_balanceListener("GameEvent_GameBalanceLevel", &Monster::OnGameBalanceLevel, this)
{
}

Monster::~Monster()
{
    m_confusionEffect.UnLoad();
    m_confusionEffect.SetParent(0);
    for (SoundPak** pak : {&m_ambientSound, &m_alertSound, &m_rallySound, &m_rampageSound, &m_fleeSound,
                           &m_petAttackSound, &m_petAcknowledgeSound, &m_aliveSound}) {
        DestroyObject(*pak, __LINE__);
        *pak = nullptr;
    }
    for (Actor* banner : {m_baseBanner, m_convertBanner, m_controlBanner})
        if (banner != m_attachedBanner)
            DestroyObject(banner, __LINE__);
    m_balanceListener.SetOwner(nullptr);
}

// ---- Load ------------------------------------------------------------------------------

void Monster::Load(const LoadTable& table)
{
    m_classification = GameEngine::ResolveMonsterClassificationEnum(table.GetString("monsterClassification", ""));
    const bool highRank =
        m_classification == MonsterClassification_Hero || m_classification == MonsterClassification_Boss;
    if (highRank)
        SetLootNoBrokenItems(true);
    m_speedCapKeys = m_classification == MonsterClassification_Boss ? kBossSpeedCapKeys : kMonsterSpeedCapKeys;
    if (gGameEngine) {
        RandomizerWeightModifiers modifiers{};
        gGameEngine->GetMonsterLootWeightModifiers(m_classification, modifiers);
        SetLootWeightModifiers(modifiers);
    }

    GetSkillManager().ParentIsMonster();
    Character::Load(table);

    LoadSoundPak(table, m_ambientSound, "ambientSound", nullptr);
    LoadSoundPak(table, m_alertSound, "alertSound", nullptr);
    LoadSoundPak(table, m_rallySound, "rallySound", nullptr);
    LoadSoundPak(table, m_rampageSound, "rampageSound", nullptr);
    LoadSoundPak(table, m_fleeSound, "fleeSound", nullptr);
    LoadSoundPak(table, m_petAttackSound, "petAttackSound", nullptr);
    LoadSoundPak(table, m_petAcknowledgeSound, "petAcknowledgeSound", nullptr);
    LoadSoundPak(table, m_aliveSound, "aliveSound", nullptr);
    m_alertChance = table.GetFloat("alertSoundChance", 0.0f);
    m_rallyChance = table.GetFloat("rallySoundChance", 0.0f);
    m_rampageChance = table.GetFloat("rampageSoundChance", 0.0f);
    m_rampageDelayMs = SecondsToMs(table, "rampageSoundDelay", 0.0f);
    m_ambientMinMs = table.GetFloat("ambientPeriodMin", 0.0f) * 1000.0f;
    m_ambientMaxMs = table.GetFloat("ambientPeriodMax", 0.0f) * 1000.0f;

    m_monsterMusic = table.GetString("MonsterMusic", "");
    const float musicRadius = table.GetFloat("MonsterMusicRadius", 0.0f);
    m_monsterMusicRadiusSquared = musicRadius * musicRadius;
    m_showStatusWidgetWhenPet = table.GetBool("showStatusWidgetWhenPet", false);
    m_statusIcon = table.GetString("StatusIcon", "");
    m_statusIconRed = table.GetString("StatusIconRed", "");
    m_stunResistanceInc = table.GetFloat("stunResistanceInc", 0.0f);

    if (!GetTeam().IsInitialized())
        SetTeam(TeamManager::DefaultMonsterTeam());
    SetOutlineColor(Color{1.0f, 0.0f, 0.0f, 0.3f});
    m_deathFromEnemyRange = table.GetFloat("deathFromEnemyRange", 0.0f);

    // The controller: a client follows the server, the editor places, the rest fight.
    DestroyObject(ObjectManager::Get().GetObject(GetControllerId()), __LINE__);
    SetControllerId(0);
    ControllerBaseCharacter* controller = nullptr;
    if (IsOnNetworkClient()) {
        controller = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(kStubControllerRecord);
        SetIsControllingCharacter(false);
    } else {
        if (gEngine && gEngine->IsEditorMode()) {
            controller = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(kEditorControllerRecord);
        } else {
            controller = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(
                table.GetString("controller", kDefaultControllerRecord));
            GetSkillManager().SetAsControllingManager();
        }
        SetIsControllingCharacter(true);
    }
    if (controller)
        SetControllerId(controller->GetObjectId());

    // The record's skills, then the default attacks. A client's stub follows the server
    // and is handed none.
    GetSkillManager().LoadSkills(table, kRecordSkillCount);
    const uint32_t defaultSkillId = GetSkillManager().LoadDefaultSkills();
    auto* monsterController = IsOnNetworkClient() ? nullptr : GetMonsterController();
    if (monsterController)
        HandSkillsToController(table, *monsterController, defaultSkillId);

    m_bossBoundingVolumes = table.GetString("bossBoundingVolumes", "");
    m_ambientTimerMs = DrawAmbientPeriod();

    if (gGameEngine) {
        std::vector<std::string> effects;
        gGameEngine->GetDatabase().GetStringArray("confusionDamageFxPak", effects);
        const size_t entry = static_cast<size_t>(GetEffectIndex());
        if (entry < effects.size() && !effects[entry].empty())
            m_confusionEffect.LoadFromDatabase(effects[entry]);
    }

    table.GetStringArray("monsterMesh", m_meshes);
    table.GetStringArray("monsterBaseTexture", m_baseTextures);
    table.GetStringArray("monsterBumpTexture", m_bumpTextures);
    const std::string dropName = table.GetString("perPartyMemberDropItemName", "");
    if (!dropName.empty())
        m_dropPerPartyMember.baseName = dropName;

    const int lifetime = table.GetInt("lifeTime", 0);
    if (lifetime != 0)
        SetLifetime(lifetime);
    m_treasureProxyName = table.GetString("treasureProxyName", "");
}

void Monster::HandSkillsToController(const LoadTable& table, ControllerMonster& controller, uint32_t defaultSkillId)
{
    const SkillManager& skills = GetSkillManager();
    // The id of the skill a "...SkillName" key names; 0 for none or a skill not known. The
    // keys are written into storage on the stack: most records name none of these skills.
    auto skillId = [&](const char* key) -> uint32_t {
        const char* name = table.GetString(key, "");
        return *name ? skills.FindSkillId(name) : 0;
    };
    auto handIf = [&](const char* key, void (ControllerMonster::*set)(uint32_t)) {
        if (const uint32_t id = skillId(key))
            (controller.*set)(id);
    };

    controller.SetDefaultAttackSkill(defaultSkillId);
    handIf("attackSkillName", &ControllerMonster::SetNormalAttackSkill);

    using SpecialSetter = void (ControllerMonster::*)(uint32_t, int, int, uint32_t, SkillUseRange);
    const std::array<SpecialSetter, 5> specials = {
        &ControllerMonster::SetSpecialAttackSkill, &ControllerMonster::SetSpecialAttack2Skill,
        &ControllerMonster::SetSpecialAttack3Skill, &ControllerMonster::SetSpecialAttack4Skill,
        &ControllerMonster::SetSpecialAttack5Skill};
    for (size_t i = 0; i < specials.size(); ++i) {
        // "specialAttack<suffix>" for the first, "specialAttack<n><suffix>" for the others.
        char key[48];
        auto keyOf = [&](const char* suffix) -> const char* {
            if (i == 0)
                std::snprintf(key, sizeof key, "specialAttack%s", suffix);
            else
                std::snprintf(key, sizeof key, "specialAttack%zu%s", i + 1, suffix);
            return key;
        };
        const uint32_t id = skillId(keyOf("SkillName"));
        if (!id)
            continue;   // the rest of an unknown attack's keys are never read
        const int timeout = SecondsToMs(table, keyOf("Timeout"), 0.0f);
        const int delay = SecondsToMs(table, keyOf("Delay"), 0.0f);
        const float chance = table.GetFloat(keyOf("Chance"), 0.0f);
        const SkillUseRange range = ControllerMonster::ResolveSkillUseRange(table.GetString(keyOf("Range"), ""));
        // A negative or non-finite chance from a careless record counts as none.
        const uint32_t wholeChance = chance >= 1.0f && chance < 4.0e9f ? static_cast<uint32_t>(chance) : 0;
        (controller.*specials[i])(id, timeout, delay, wholeChance, range);
    }

    handIf("buffSelfSkillName", &ControllerMonster::SetBuffSelfSkill);
    handIf("buffSelf2SkillName", &ControllerMonster::SetBuffSelf2Skill);
    handIf("buffSelf3SkillName", &ControllerMonster::SetBuffSelf3Skill);
    handIf("buffOtherSkillName", &ControllerMonster::SetBuffOtherSkill);
    handIf("buffOther2SkillName", &ControllerMonster::SetBuffOther2Skill);
    handIf("buffOther3SkillName", &ControllerMonster::SetBuffOther3Skill);
    if (const uint32_t id = skillId("healSkillName"))
        controller.SetHealSkill(id, SecondsToMs(table, "healSkillDelay", 3.0f));
    handIf("berserkSkillName", &ControllerMonster::SetBerserkSkill);
    handIf("dyingSkillName", &ControllerMonster::SetDyingSkill);
    handIf("initialSkillName", &ControllerMonster::SetInitialSkill);
    controller.SetSkillRanges(table.GetFloat("shortRangeMin", 0.0f), table.GetFloat("shortRangeMax", 4.0f),
                              table.GetFloat("mediumRangeMin", 4.0f), table.GetFloat("mediumRangeMax", 8.0f),
                              table.GetFloat("longRangeMin", 8.0f), table.GetFloat("longRangeMax", 16.0f));
    handIf("chainInitialSkill", &ControllerMonster::SetChainInitialSkill);
    handIf("chainNextSkill", &ControllerMonster::SetChainNextSkill);
    if (table.HasKey("chainBehavior")) {
        const std::string behavior = table.GetString("chainBehavior", "");
        controller.SetChainBehavior(behavior == "UseOnLeader" ? 1 : behavior == "UseOnSelf" ? 2 : 0);
    }
}

float Monster::DrawAmbientPeriod() const
{
    return RandomFloat(m_ambientMinMs, m_ambientMaxMs);
}

void Monster::PreLoad(bool flag)
{
    Character::PreLoad(flag);
    for (SoundPak* pak : {m_ambientSound, m_alertSound, m_rallySound, m_rampageSound})
        if (pak)
            pak->PreLoad(flag);
    m_confusionEffect.PreLoad();
}

// ---- InitialUpdate and the alternative look ---------------------------------------------

void Monster::InitialUpdate()
{
    if (Controller* controller = ObjectManager::Get().GetObject<Controller>(GetControllerId()))
        controller->AttachParent(GetObjectId());
    Character::InitialUpdate();
    m_confusionEffect.SetParent(GetObjectId());

    if (!m_bossBoundingVolumes.empty()) {
        if (auto* volume = ObjectManager::Get().CreateObjectFromFile<BoundingVolumeBossMonster>(m_bossBoundingVolumes)) {
            Attach(volume, Coords(), Name());
            volume->SetBossId(GetObjectId());
            volume->AttachVolumes(this);
        }
    }

    m_confusionEffect.InitializeFxPak();
    ChooseAlternativeLook();

    m_savedTeam = TeamManager::DefaultMonsterTeam();
    RestoreLifeState();
    if (GetLifeState() != Character_LifeState_Dead)
        StartAliveSound();
    SetTreasureProxy(m_treasureProxyName, false);
    if (gGameEngine)
        SetBalanceDifficulty(gGameEngine->GetBalanceDifficulty());
    GetCharacterBio().BalanceHasChanged();
    WarnOfNoLife();
}

// A monster's life is its record's: the balance pack adds none while one player plays
// alone, and the combat controller kills a character without life at its first update.
// A record that forgot "characterLife" is said so, by name, instead of a silent death.
void Monster::WarnOfNoLife() const
{
    if (GetLifeState() == Character_LifeState_Dead || IsInvincible() ||
        GetCharacterBio().GetBaseCharAttribute(CharAttributeType_Life) > 0.0f)
        return;
    gEngine->Log(LOG_WARNING, "Monster: %s gives no \"characterLife\"; it lives only on what the balance pack adds",
                 GetObjectName().c_str());
}

// Picks the mesh and textures from the object id, so that every peer shows the same
// look. A list that is empty is never indexed, and no modulo is taken of it.
void Monster::ChooseAlternativeLook()
{
    const uint32_t id = GetObjectId();
    size_t i = 0;
    if (!m_meshes.empty()) {
        i = id % m_meshes.size();
        SetOwnMesh(m_meshes[i]);
        if (i < m_baseTextures.size())
            SetBaseTexture(m_baseTextures[i]);
    } else if (!m_baseTextures.empty()) {
        i = id % m_baseTextures.size();
        SetBaseTexture(m_baseTextures[i]);
    } else {
        if (!m_bumpTextures.empty())
            SetBumpTexture(m_bumpTextures[id % m_bumpTextures.size()]);
        return;
    }
    if (i < m_bumpTextures.size())
        SetBumpTexture(m_bumpTextures[i]);
}

// ---- UpdateSelf ----------------------------------------------------------------------------

void Monster::UpdateSelf(int elapsedMs)
{
    Character::UpdateSelf(elapsedMs);
    if (!GetSpawnPoint().GetRegion())
        SetSpawnPoint(GetCoords());

    if (IsAlive()) {
        if (m_aliveSoundWanted && m_aliveSound && IsInWorld() && !m_aliveSound->IsPlaying()) {
            m_aliveSound->Play(GetCoords().GetPosition(), 0, false);
            m_aliveSound->Track(GetObjectId());
        }
    }

    if (m_ambientTimerMs > 0.0f) {
        m_ambientTimerMs -= static_cast<float>(elapsedMs);
        if (m_ambientTimerMs <= 0.0f) {
            PlayAmbientSound(false);
            m_ambientTimerMs = DrawAmbientPeriod();
        }
    }

    if (m_leaderId != 0) {
        const TeamManager* teams = gGameEngine ? gGameEngine->GetTeamManager() : nullptr;
        if (teams && teams->IsFoe(GetObjectId(), m_leaderId)) {
            UnJoinLeader();
        } else if (m_joinTimerMs < 1) {
            const Character* leader = ObjectManager::Get().GetObject<Character>(m_leaderId);
            if (!leader || !leader->IsAlive()) {
                if (m_leaderIsPlayer) {
                    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(GetControllerId()))
                        controller->KillMe();
                } else {
                    UnJoinLeader();
                }
            }
        } else {
            m_joinTimerMs -= elapsedMs;
            if (m_joinTimerMs <= 0)
                UnJoinLeader();
        }
    }

    if (!m_monsterMusic.empty() && gGameEngine) {
        if (Player* player = gGameEngine->GetMainPlayer()) {
            const Vec3 offset = GetCoords().GetPosition() - player->GetCoords().GetPosition();
            if (offset.LengthSquared() < m_monsterMusicRadiusSquared)
                player->RegisterMonsterMusic(GetObjectId(), m_monsterMusic);
        }
    }
}

// ---- Sounds -----------------------------------------------------------------------------

bool Monster::PlayAmbientSound(bool)
{
    if (!m_ambientSound)
        return false;
    m_ambientSound->Play(GetCoords().GetPosition(), 0, true);
    return true;
}

void Monster::StartAliveSound()
{
    m_aliveSoundWanted = true;
    if (m_aliveSound && IsInWorld()) {
        m_aliveSound->Play(GetCoords().GetPosition(), 0, false);
        m_aliveSound->Track(GetObjectId());
    }
}

void Monster::StopAliveSound()
{
    m_aliveSoundWanted = false;
    if (m_aliveSound) {
        m_aliveSound->Track(0);
        m_aliveSound->FadeLastPlayedSound(250);
    }
}

// ---- Caps and balance ---------------------------------------------------------------------

float Monster::CapSpeed(float speed, size_t keyIndex, CharAttributeType base) const
{
    return Character::CapSpeed(speed, m_speedCapKeys[keyIndex], m_speedCapKeys[keyIndex + 1], base);
}

float Monster::CapRunSpeed(float speed) const { return CapSpeed(speed, 0, CharAttributeType_RunSpeed); }
float Monster::CapSpellCastSpeed(float speed) const { return CapSpeed(speed, 2, CharAttributeType_SpellCastSpeed); }
float Monster::CapAttackSpeed(float speed) const { return CapSpeed(speed, 4, CharAttributeType_AttackSpeed); }

float Monster::GetDefenseAttributeCap() const
{
    if (!gGameEngine)
        return 0.0f;
    return gGameEngine->GetMonsterDefenseCap(Player::DifficultyIndex());
}

float Monster::CalculateStun(float a, float b, float c, float d) const
{
    const float remaining = 1.0f - c * 0.01f;
    const float share = a / b;
    if (!(share * remaining * 100.0f > d + 5.0f))
        return 0.0f;
    return (share * 3.0f + 1000.0f) * remaining;
}

const AttributePak* Monster::GetBalanceAttributePak() const
{
    return gGameEngine ? &gGameEngine->GetMonsterAttributePak() : nullptr;
}

void Monster::ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetCharAttributes, accumulator, m_balanceDifficulty);
}
void Monster::ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetSkillAttributes, accumulator, m_balanceDifficulty);
}
void Monster::ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetDefenseAttributes, accumulator,
                         m_balanceDifficulty);
}
void Monster::ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetOffensiveDamageAttributes, accumulator,
                         m_balanceDifficulty);
}
void Monster::ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetOffensiveModifierAttributes, accumulator,
                         m_balanceDifficulty);
}
void Monster::ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributeBalancePak(GetBalanceAttributePak(), &AttributePak::GetRetaliationAttributes, accumulator,
                         m_balanceDifficulty);
}

// The level the balance pack is read at: totals kept from the pack are summed again.
void Monster::SetBalanceDifficulty(uint32_t level)
{
    m_balanceDifficulty = level;
    AttributePak::SharedValuesChanged();
}

void Monster::OnGameBalanceLevel(const GameEvent_GameBalanceLevel& event)
{
    SetBalanceDifficulty(event.level < 0 ? 0u : static_cast<uint32_t>(event.level));
    GetCharacterBio().BalanceHasChanged();
    GetCharacterBio().Update(*this, 0);
}

// ---- Controller ---------------------------------------------------------------------------

ControllerMonster* Monster::GetMonsterController() const
{
    return ObjectManager::Get().GetObject<ControllerMonster>(GetControllerId());
}

void Monster::SetLifetime(int ms)
{
    if (auto* controller = GetMonsterController())
        controller->SetLifetime(ms);
}

void Monster::TransferAnger(Monster& other)
{
    ControllerMonster* mine = GetMonsterController();
    ControllerMonster* theirs = other.GetMonsterController();
    if (mine && theirs)
        mine->TransferAnger(*theirs);
}

void Monster::ClearAnger()
{
    if (auto* controller = GetMonsterController())
        controller->ClearAnger();
}

void Monster::SetTreasureProxy(const std::string& name, bool flag)
{
    if (auto* controller = GetMonsterController())
        controller->SetTreasureProxy(name, flag);
}

void Monster::CombatExertInfluenceConfusion(int durationMs)
{
    if (auto* controller = GetMonsterController())
        controller->Confuse(durationMs);
}

bool Monster::RequestConversation(const Monster& other)
{
    auto* controller = ObjectManager::Get().GetObject<ControllerAI>(GetControllerId());
    if (!controller) {
        gEngine->Log(2, "%s does not have a controller.", GetObjectName().c_str());
        return false;
    }
    return controller->RequestConversation(other.GetObjectId());
}

void Monster::BrainTransplant(ControllerMonster* controller)
{
    if (!controller)
        return;
    // The controller it replaces (the stub given by Lobotomize) is no one's any more.
    if (GetControllerId() != controller->GetObjectId())
        DestroyObject(ObjectManager::Get().GetObject(GetControllerId()), __LINE__);
    SetControllerId(controller->GetObjectId());
    controller->SetParentId(GetObjectId());
}

ControllerMonster* Monster::Lobotomize()
{
    ControllerMonster* current = GetMonsterController();
    if (!current)
        return nullptr;
    SetControllerId(0);
    if (auto* stub = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(kStubControllerRecord))
        SetControllerId(stub->GetObjectId());
    return current;
}

// ---- Leader -------------------------------------------------------------------------------

void Monster::JoinMe(uint32_t leaderId, int durationMs, bool convert)
{
    Player* mainPlayer = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
    if (mainPlayer && mainPlayer->GetObjectId() == leaderId && durationMs == -1 && m_showStatusWidgetWhenPet) {
        m_isLocalPet = true;
        gGameEngine->RegisterLocalPet(GetObjectId());
        gGameEngine->UnlockTutorialPage(34, true);
    }
    if (m_joinTimerMs >= 1) {
        gEngine->Log(0, "Monster::JoinMe() called on (%d): has already joined.", static_cast<int>(GetObjectId()));
        return;
    }
    Character* leader = ObjectManager::Get().GetObject<Character>(leaderId);
    if (!leader) {
        gEngine->Log(2, "Monster::JoinMe() called by invalid target %d", static_cast<int>(leaderId));
        return;
    }
    m_savedTeam = GetTeam();
    m_previousLeaderId = m_leaderId;
    m_joinTimerMs = durationMs;
    SetTeam(leader->GetTeam());
    SetLeader(leaderId);
    if (auto* controller = GetMonsterController())
        controller->NewLeader(leaderId);
    m_leaderIsPlayer = leader->IsA<Player>();
    if (convert && gGameEngine) {
        const char* key = GetTeam().GetTeamMajor() == 2 ? "playerPetBannerName" : "monsterPetBannerName";
        SetConvertBanner(gGameEngine->GetDatabase().GetString(key, ""));
    }
}

void Monster::UnJoinLeader()
{
    RemoveConvertBanner();
    m_joinTimerMs = -1;
    SetTeam(m_savedTeam);
    SetLeader(m_previousLeaderId);
    if (auto* controller = GetMonsterController())
        controller->NewLeader(m_previousLeaderId);
}

void Monster::SetLeader(uint32_t leaderId)
{
    m_leaderId = leaderId;
    if (!gEngine)
        return;
    if (leaderId == 0)
        gEngine->UnregisterForcedUpdate(GetObjectId());
    else if (ObjectManager::Get().GetObject<Player>(leaderId))
        gEngine->RegisterForcedUpdate(GetObjectId());
}

// ---- Banners --------------------------------------------------------------------------------

void Monster::DetachBanner()
{
    if (m_attachedBanner)
        Detach(m_attachedBanner);
    m_attachedBanner = nullptr;
}

void Monster::AttachBanner()
{
    DetachBanner();
    Actor* banner = m_controlBanner ? m_controlBanner : m_convertBanner ? m_convertBanner : m_baseBanner;
    if (!banner)
        return;
    // The banner keeps its own size whatever the monster's scale.
    const float monsterScale = GetCurrentScale();
    if (monsterScale > 0.0f)
        banner->SetScale(banner->GetCurrentScale() / monsterScale);
    if (Attach(banner, Coords(), Name(kBannerAttachPoint)))
        m_attachedBanner = banner;
}

void Monster::SetBanner(Actor*& banner, const std::string& name)
{
    RemoveBanner(banner);
    if (name.empty())
        return;
    banner = ObjectManager::Get().CreateObjectFromFile<Actor>(name);
    AttachBanner();
}

void Monster::RemoveBanner(Actor*& banner)
{
    if (!banner)
        return;
    if (banner == m_attachedBanner)
        DetachBanner();
    DestroyObject(banner, __LINE__);
    banner = nullptr;
    if (!m_attachedBanner)
        AttachBanner();
}

// ---- Death and effects ----------------------------------------------------------------------

void Monster::CharacterIsDying()
{
    Character::CharacterIsDying();
    if (gGameEngine)
        gGameEngine->UnregisterLocalPet(GetObjectId());
    for (const DropEntry& drop : kDropOrder) {
        uint32_t& itemId = LootItemId(drop.entry);
        if (itemId == 0)
            continue;
        DetachItemAction(itemId);
        DropItemFromEquipLocation(itemId, drop.location, true);
    }
    StopAliveSound();
    if (gEngine)
        gEngine->UnregisterForcedUpdate(GetObjectId());
    RemoveControlBanner();
    RemoveConvertBanner();
    RemoveBaseBanner();
}

void Monster::CharacterHasDied()
{
    Character::CharacterHasDied();
    const uint32_t attackerId = GetCombatManager().GetAttackerId();
    if (Player* attacker = ObjectManager::Get().GetObject<Player>(attackerId))
        attacker->ContactWithObject(GetObjectId());
}

void Monster::StartDamageEffect(CombatAttributeType type)
{
    Character::StartDamageEffect(type);
    if (type == CombatAttributeType_Confusion)
        m_confusionEffect.Start();
}

void Monster::StopDamageEffect(CombatAttributeType type)
{
    Character::StopDamageEffect(type);
    if (type == CombatAttributeType_Confusion)
        m_confusionEffect.Stop();
}

}  // namespace GAME

namespace GAME {

std::u16string Monster::GetGameDescription(bool flag) const
{
    std::u16string text = gGameEngine ? gGameEngine->GetMonsterColor(m_classification) : std::u16string();
    text += Character::GetGameDescription(flag);   // its tag already went through the format
    RemoveLineBreakCodes(text);
    TrimDisplayText(text);
    return text;
}

void GetMonstersInSphere(std::vector<Monster*>& out, const Region* region, const Sphere& sphere, EntityListType type)
{
    ControllerAI::GetObjectsInSphere(out, region, sphere, type);
}

}  // namespace GAME
