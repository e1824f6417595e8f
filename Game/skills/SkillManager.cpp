#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillManagerVisit.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Weapon.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillOnDeath.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/Prop.h"

namespace GAME {

namespace {

// A whole-number array of the record, taken as unsigned numbers.
void ReadUnsignedArray(const LoadTable& table, const char* key, std::vector<uint32_t>& out)
{
    std::vector<int> values;
    table.GetIntArray(key, values);
    out.clear();
    for (int value : values)
        out.push_back(static_cast<uint32_t>(value));
}

// Entry `index` of a whole-number array of the record; `fallback` past its end.
int ReadIntAt(const LoadTable& table, const char* key, size_t index, int fallback)
{
    // The entry itself, read as GetIntArray reads it (0 when it does not parse), without
    // reading the others into a list.
    const LoadTable::Value* value = table.FindValue(key);
    if (!value || index >= value->entries.size())
        return fallback;
    return table.GetInt(key, static_cast<unsigned>(index), 0);
}

void DestroyOwnedSkill(uint32_t id)
{
    ObjectManager& objects = ObjectManager::Get();
    if (Object* object = objects.GetObject(id)) {
        if (auto* skill = objects.GetObject<Skill>(id))
            skill->SetManager(nullptr);
        objects.DestroyObjectEx(object, "SkillManager", __LINE__);
    }
}

}  // namespace

SkillManager::~SkillManager()
{
    // Detached first: a skill's destruction may not call back into a manager going away.
    for (uint32_t id : m_skills)
        DestroyOwnedSkill(id);
    for (uint32_t id : m_itemSkills)
        DestroyOwnedSkill(id);
    for (const BuffEntry& entry : m_buffs)
        for (uint32_t id : {entry.buffId, entry.modifierId1, entry.modifierId2})
            DestroyOwnedSkill(id);
    m_buffs.clear();
}

void SkillManager::Initialize(CombatManager& combatManager, Character& parent)
{
    m_combatManager = &combatManager;
    m_parent = &parent;
}

void SkillManager::Load(const LoadTable& table)
{
    ReadUnsignedArray(table, "masteryIncrementLevel", m_masteryIncrementLevels);
    ReadUnsignedArray(table, "reclamationPointTiers", m_reclamationPointTiers);
    ReadUnsignedArray(table, "reclamationPointCosts", m_reclamationPointCosts);
}

void SkillManager::PreLoad(bool preloadNow)
{
    if (gGameEngine)
        m_skillAttributeTotals.SetSeed(gGameEngine->GetRandomSeed());
    ObjectManager& objects = ObjectManager::Get();
    for (const std::vector<uint32_t>* list : {&m_skills, &m_itemSkills})
        for (uint32_t id : *list)
            if (Skill* skill = objects.GetObject<Skill>(id); skill && skill->GetCurrentLevel() != 0)
                skill->PreLoad(preloadNow);
}

template <class Visit>
void SkillManager::ForEachSkillOfCopy(const std::vector<uint32_t>& ids, Visit visit)
{
    m_frameIds.assign(ids.begin(), ids.end());
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_frameIds)
        if (Skill* skill = objects.GetObject<Skill>(id))
            visit(*skill);
}

template <class Visit>
void SkillManager::WalkFrameSkills(std::span<const FrameSkill> skills, Visit visit)
{
    const uint32_t revision = Skill::GetLinksRevision();
    const ObjectManager& objects = ObjectManager::Get();
    for (const FrameSkill& entry : skills)
        if (entry.skill)
            SkillManagerParts::PrefetchSkill(entry.skill);
    for (size_t i = 0; i < skills.size(); ++i) {
        const FrameSkill entry = skills[i];
        Skill* skill = entry.skill && Skill::GetLinksRevision() == revision ? entry.skill
                                                                             : objects.GetObject<Skill>(entry.id);
        if (skill)
            visit(*skill);
    }
}

// The frame: pets set up, skill attribute totals gathered anew (or found standing), the
// weapons' reach, then the skills in force, the buffs and the item skills count their
// time, each walk over the cache's entries or a copy kept in storage the manager reuses.
void SkillManager::Update(int elapsedMs)
{
    if (!m_parent)
        return;
    ObjectManager& objects = ObjectManager::Get();
    if (!m_petsInitializing.empty()) {
        m_frameIds.swap(m_petsInitializing);
        m_petsInitializing.clear();
        for (uint32_t id : m_frameIds)
            if (Character* pet = objects.GetObject<Character>(id)) {
                pet->PreLoad(true);
                pet->InitialUpdate();
            }
    }
    RefreshContributors();
    UpdateSkillAttributeTotals();
    // The skills the walk below updates are asked from memory first, so that their fetch
    // overlaps the work before it.
    if (ContributorsCurrent())
        for (const FrameSkill& entry : m_contributors.Skills())
            SkillManagerParts::PrefetchSkill(entry.skill);
    const EquipManager_HandState hands = GetHandState();
    m_rangedWeapon = hands == EquipManager_Bow || hands == EquipManager_Staff;
    m_weaponRangeProfile = m_rangedWeapon ? Skill_RangeLong : Skill_RangeMelee;

    // The active skills and the buffs by the cache's pointers while it holds them and no
    // skill has come or gone; by their ids from the first change on.
    const auto frameSkills = [&](size_t first, size_t count, auto idOf) -> std::span<const FrameSkill> {
        if (ContributorsCurrent())
            return m_contributors.Skills().subspan(first, count);
        m_frameSkills.clear();
        for (size_t i = 0; i < count; ++i)
            m_frameSkills.push_back({idOf(i), nullptr});
        return m_frameSkills;
    };
    bool dualWield = false;
    const auto activeId = [&](size_t i) { return m_activeList[i]; };
    WalkFrameSkills(frameSkills(0, m_activeList.size(), activeId), [&](Skill& skill) {
        skill.Update(*m_parent, elapsedMs);
        dualWield = skill.AllowDualWieldWeapons() || dualWield;
    });
    if (dualWield != m_dualWieldAllowed) {
        m_dualWieldAllowed = dualWield;
        m_parent->AllowDualWieldWeapons(dualWield);
    }
    if (!m_buffs.empty()) {
        // Still the cache's buffs only when the skills' walk changed no list.
        const auto buffId = [&](size_t i) { return m_buffs[i].buffId; };
        WalkFrameSkills(frameSkills(m_contributors.activeCount, m_buffs.size(), buffId),
                        [&](Skill& buff) { buff.Update(*m_parent, elapsedMs); });
    }
    if (!m_itemSkills.empty())
        ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) { skill.Update(*m_parent, elapsedMs); });
}

// ---- Skills of the character --------------------------------------------------------------

uint32_t SkillManager::LoadDefaultSkills()
{
    ObjectManager& objects = ObjectManager::Get();
    if (auto* basic = objects.CreateObjectFromFile<Skill>(kDefaultWPBasicAttackRecord)) {
        if (!basic->IsWeaponPoolAttackKind()) {
            objects.DestroyObjectEx(basic, "SkillManager", __LINE__);
        } else {
            AddSkill(basic);
            m_defaultWPSkillId = basic->GetObjectId();
            basic->SetSkillLevel(1);
            m_defaultWPWeight = basic->GetChanceWeight(true);
        }
    }
    auto* attack = objects.CreateObjectFromFile<Skill>(kDefaultWeaponAttackRecord);
    if (!attack)
        return 0;
    AddSkill(attack);
    m_defaultSkillId = attack->GetObjectId();
    attack->SetSkillLevel(1);
    return m_defaultSkillId;
}

void SkillManager::LoadSkills(const LoadTable& table, uint32_t count)
{
    if (count < 1 || count > kMaxRecordSkills)
        return;
    const size_t difficulty = gGameEngine ? static_cast<size_t>(std::max(0, static_cast<int>(
                                                gGameEngine->GetGameDifficulty())))
                                          : 0;
    uint32_t masteryId = 0;
    uint32_t baseId = 0;
    // The keys are written on the stack and the names into one string kept over the list.
    char nameKey[32];
    char levelKey[32];
    std::string name;
    for (uint32_t i = 1; i <= count; ++i) {
        std::snprintf(nameKey, sizeof nameKey, "skillName%u", i);
        const char* found = table.GetString(nameKey, "");
        if (*found == '\0')
            continue;
        name.assign(found);
        // A negative level from a careless record counts as none.
        std::snprintf(levelKey, sizeof levelKey, "skillLevel%u", i);
        const int level = ReadIntAt(table, levelKey, difficulty, 0);
        CreateAndLoadSkill(name, static_cast<uint32_t>(std::max(0, level)), masteryId, baseId);
    }
}

void SkillManager::LoadSkills(const std::string& recordName, uint32_t count)
{
    if (recordName.empty())
        return;
    if (const LoadTable* table = RecordDatabase::Get().Load(recordName))
        LoadSkills(*table, count);
}

void SkillManager::CreateAndLoadSkill(const std::string& recordName, uint32_t level, uint32_t& masteryId,
                                      uint32_t& baseId)
{
    ObjectManager& objects = ObjectManager::Get();
    Skill* skill = objects.GetObject<Skill>(FindSkillId(recordName));
    if (!skill) {
        skill = objects.CreateObjectFromFile<Skill>(recordName);
        if (!skill) {
            if (gEngine)
                gEngine->Log(LOG_WARNING, "SkillManager::Unable to create skill (%s) (%s)", recordName.c_str(),
                             m_parent ? m_parent->GetObjectName().c_str() : "");
            return;
        }
        AddSkill(skill);
        skill->SetSkillLevel(level);
    } else if (!skill->IsA<Skill_Modifier>()) {
        if (gEngine)
            gEngine->Log(LOG_WARNING, "SkillManager::Tried to create duplicate non-modifier skill (%s)",
                         recordName.c_str());
        return;
    }
    const uint32_t id = skill->GetObjectId();
    if (skill->IsMasteryKind()) {
        masteryId = id;
        baseId = 0;
    } else if (skill->IsA<Skill_Modifier>()) {
        skill->AddMastery(masteryId);
        skill->AddBaseSkill(baseId);
        if (Skill* base = objects.GetObject<Skill>(baseId))
            base->AddModifier(id);
    } else if (skill->IsA<SkillSecondary>()) {
        skill->AddMastery(masteryId);
        skill->AddBaseSkill(baseId);
        if (Skill* base = objects.GetObject<Skill>(baseId))
            base->AddSecondarySkill(id);
        baseId = id;
    } else {
        if (skill->IsWeaponPoolAttackKind())
            m_weaponPoolAttacks.push_back(id);
        skill->AddMastery(masteryId);
        baseId = id;
        if (skill->IsOnDeathKind())
            m_onDeathSkills.push_back(id);
    }
}

void SkillManager::AddSkill(Skill* skill)
{
    if (!skill || std::find(m_skills.begin(), m_skills.end(), skill->GetObjectId()) != m_skills.end())
        return;
    skill->SetManager(this);
    m_skills.push_back(skill->GetObjectId());
    m_uiSkillList.push_back(skill->GetObjectId());
    bool added = false;
    NameIndex<uint32_t, PathFold>::Entry& named = m_skillsByName.Emplace(skill->GetObjectName(), &added);
    if (added)
        named.value = skill->GetObjectId();
}

void SkillManager::AddItemSkill(uint32_t itemSkillId, uint32_t level)
{
    ObjectManager& objects = ObjectManager::Get();
    const auto entry = std::find_if(m_itemSkillMap.begin(), m_itemSkillMap.end(),
                                    [&](const auto& pair) { return pair.first == itemSkillId; });
    if (entry != m_itemSkillMap.end()) {
        if (Skill* owned = objects.GetObject<Skill>(entry->second))
            owned->SetSkillLevel(level);
        return;
    }
    const Skill* itemSkill = objects.GetObject<Skill>(itemSkillId);
    if (!itemSkill)
        return;
    auto* skill = objects.CreateObjectFromFile<Skill>(itemSkill->GetObjectName());
    if (!skill)
        return;
    // Kept out of the active list: an item skill acts through its own lists.
    skill->SetAsItemSkill();
    skill->SetAsTempSkill();
    skill->SetManager(this);
    skill->SetSkillLevel(level);
    m_itemSkills.push_back(skill->GetObjectId());
    ListsChanged();
    m_itemSkillMap.emplace_back(itemSkillId, skill->GetObjectId());
    m_uiSkillList.push_back(skill->GetObjectId());
}

void SkillManager::RemoveItemSkill(uint32_t itemSkillId)
{
    for (const auto& [itemId, ownedId] : m_itemSkillMap)
        if (itemId == itemSkillId)
            if (Skill* owned = ObjectManager::Get().GetObject<Skill>(ownedId))
                owned->SetSkillLevel(0);
}

// ---- Look-ups ------------------------------------------------------------------------------

uint32_t SkillManager::FindSkillId(const std::string& recordName) const
{
    const ObjectManager& objects = ObjectManager::Get();
    const auto named = [&recordName](const Skill& skill) {
        return FoldedName<PathFold>::Equal(skill.GetObjectName(), recordName);
    };
    // The index holds the first listed skill of the name; only when that one is gone may
    // a later one of the same name answer, and the list is walked.
    if (const uint32_t* first = m_skillsByName.Find(recordName)) {
        if (objects.GetObject<Skill>(*first))
            return *first;
        for (uint32_t id : m_skills)
            if (const Skill* skill = objects.GetObject<Skill>(id); skill && named(*skill))
                return id;
    }
    for (const BuffEntry& entry : m_buffs)
        if (NormalizedPathEquals(entry.name, recordName))
            return entry.buffId;
    // A skill installed on the character directly, without entering the skills list.
    for (uint32_t id : m_activeList)
        if (const Skill* skill = objects.GetObject<Skill>(id); skill && named(*skill))
            return id;
    return 0;
}

uint32_t SkillManager::FindItemSkillId(const std::string& recordName) const
{
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_itemSkills)
        if (const Skill* skill = objects.GetObject<Skill>(id))
            if (PathEqualsNoCase(skill->GetObjectName().c_str(), recordName.c_str()))
                return id;
    return 0;
}

uint32_t SkillManager::GetSkillReferenceNumber(uint32_t skillId) const
{
    if (skillId == 0)
        return 0xFFFFFFFFu;
    if (const auto found = std::find(m_skills.begin(), m_skills.end(), skillId); found != m_skills.end())
        return static_cast<uint32_t>(found - m_skills.begin());
    if (const auto found = std::find(m_itemSkills.begin(), m_itemSkills.end(), skillId); found != m_itemSkills.end())
        return kItemSkillReferenceBase + static_cast<uint32_t>(found - m_itemSkills.begin());
    return 0xFFFFFFFFu;
}

uint32_t SkillManager::GetSkillIdFromReference(uint32_t reference) const
{
    if (reference < m_skills.size() && m_skills[reference] != 0)
        return m_skills[reference];
    const uint32_t itemIndex = reference - kItemSkillReferenceBase;   // wraps below the base
    return itemIndex < m_itemSkills.size() ? m_itemSkills[itemIndex] : 0;
}

bool SkillManager::IsSkillValidForUse(uint32_t skillId, bool asItemSkill) const
{
    if (skillId == 0)
        return false;
    const ObjectManager& objects = ObjectManager::Get();
    if (std::find(m_skills.begin(), m_skills.end(), skillId) != m_skills.end()) {
        const Skill* skill = objects.GetObject<Skill>(skillId);
        return skill && skill->GetSkillLevel() != 0;
    }
    if (std::find(m_itemSkills.begin(), m_itemSkills.end(), skillId) != m_itemSkills.end()) {
        if (asItemSkill)
            return true;
        const Skill* skill = objects.GetObject<Skill>(skillId);
        return skill && skill->GetSkillLevel() != 0;
    }
    return false;
}

Skill* SkillManager::FindListedSkill(uint32_t skillId) const
{
    if (skillId == 0 || std::find(m_skills.begin(), m_skills.end(), skillId) == m_skills.end())
        return nullptr;
    return ObjectManager::Get().GetObject<Skill>(skillId);
}

// ---- Augments from items ---------------------------------------------------------------------

void SkillManager::AugmentSkills(uint32_t amount, bool raise, const std::string& name, bool allButName,
                                 bool mastery)
{
    const uint32_t masteryId = mastery ? FindSkillId(name) : 0;
    ObjectManager& objects = ObjectManager::Get();
    for (size_t i = 0; i < m_skills.size(); ++i) {
        Skill* skill = objects.GetObject<Skill>(m_skills[i]);
        if (!skill)
            continue;
        const bool named = skill->GetObjectName() == name;
        const bool chosen = allButName ? !named : named || (masteryId != 0 && skill->GetMasteryId() == masteryId);
        if (!chosen)
            continue;
        if (raise)
            skill->IncrementAugmentedSkillLevel(amount);
        else
            skill->DecrementAugmentedSkillLevel(amount);
    }
}

void SkillManager::SetSkillLevelAugment(const std::string& recordName, uint32_t amount)
{
    if (Skill* skill = ObjectManager::Get().GetObject<Skill>(FindSkillId(recordName)))
        skill->IncrementAugmentedSkillLevel(amount);
}

void SkillManager::RemoveSkillLevelAugment(const std::string& recordName, uint32_t amount)
{
    if (Skill* skill = ObjectManager::Get().GetObject<Skill>(FindSkillId(recordName)))
        skill->DecrementAugmentedSkillLevel(amount);
}

void SkillManager::SetAllSkillAugment(uint32_t amount, const std::string& exceptName)
{
    AugmentSkills(amount, true, exceptName, true, false);
}

void SkillManager::RemoveAllSkillAugment(uint32_t amount, const std::string& exceptName)
{
    AugmentSkills(amount, false, exceptName, true, false);
}

void SkillManager::SetMasteryAugment(const std::string& masteryRecordName, uint32_t amount)
{
    AugmentSkills(amount, true, masteryRecordName, false, true);
}

void SkillManager::RemoveMasteryAugment(const std::string& masteryRecordName, uint32_t amount)
{
    AugmentSkills(amount, false, masteryRecordName, false, true);
}

void SkillManager::ImDead()
{
    if (m_skillServices)
        m_skillServices->Dead();
    if (m_parent)
        ForEachSkillOfCopy(m_activeList, [&](Skill& skill) { skill.StopSkill(*m_parent); });
    const std::vector<BuffEntry> buffs(m_buffs.begin(), m_buffs.end());
    m_buffs.clear();
    ListsChanged();
    for (const BuffEntry& entry : buffs)
        DestroyBuffEntry(entry, false);
    RebuildTempSkillList();
    if (!m_parent)
        return;
    ForEachSkillOfCopy(m_onDeathSkills, [&](Skill& skill) {
        if (auto* onDeath = DynamicCast<SkillOnDeath>(&skill))
            onDeath->ActivateOnDeathNow(*m_parent);
    });
    ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) {
        skill.StopSkill(*m_parent);
        if (auto* onDeath = DynamicCast<SkillOnDeath>(&skill))
            onDeath->ActivateOnDeathNow(*m_parent);
    });
}

void SkillManager::OnDestroy()
{
    ForEachSkillOfCopy(m_skills, [](Skill& skill) { skill.OnDestroy(); });
    m_frameIds.clear();
    for (const BuffEntry& entry : m_buffs)
        m_frameIds.push_back(entry.buffId);
    const std::vector<uint32_t> buffs = m_frameIds;
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : buffs)
        if (Skill* buff = objects.GetObject<Skill>(id))
            buff->OnDestroy();
    ForEachSkillOfCopy(m_itemSkills, [](Skill& skill) { skill.OnDestroy(); });
    ClearCharFxPaks();
}

void SkillManager::UnderAttack(const ParametersCombat& params)
{
    if (!m_parent)
        return;
    ForEachSkillOfCopy(m_activeList, [&](Skill& skill) {
        if (skill.IsSkillOnHitActive())
            skill.OnHitActivation(*m_parent, params);
    });
    if (!m_itemSkills.empty())
        ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) {
            if (skill.GetCurrentLevel() != 0)
                skill.OnHitActivation(*m_parent, params);
        });
}

// Every buff on the character hears the dispel (the ids are copied first: a dispelled buff
// may ask to leave the list).
void SkillManager::DispelEachBuff(void (SkillBuff::*dispel)(Character&))
{
    std::vector<uint32_t> buffs;
    for (const BuffEntry& entry : m_buffs)
        buffs.push_back(entry.buffId);
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : buffs)
        if (auto* buff = objects.GetObject<SkillBuff>(id))
            (buff->*dispel)(*m_parent);
}

void SkillManager::DispelSkillBuffs()
{
    if (!m_parent)
        return;
    DispelEachBuff(&SkillBuff::DispelBuff);
    ForEachSkillOfCopy(m_activeList, [&](Skill& skill) { skill.DispellSelfBuff(*m_parent); });
    ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) { skill.DispellSelfBuff(*m_parent); });
}

void SkillManager::DispelSkillDeBuffs()
{
    if (m_parent)
        DispelEachBuff(&SkillBuff::DispelDeBuff);
}

void SkillManager::ApplyCooldownDamage(float durationMs)
{
    ForEachSkillOfCopy(m_activeList, [&](Skill& skill) { skill.ApplyDisruptionCooldownTime(durationMs); });
    ObjectManager& objects = ObjectManager::Get();
    for (const BuffEntry& entry : m_buffs)
        if (Skill* buff = objects.GetObject<Skill>(entry.buffId))
            buff->ApplyDisruptionCooldownTime(durationMs);
    ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) { skill.ApplyDisruptionCooldownTime(durationMs); });
}

void SkillManager::RefreshCooldown(int32_t value)
{
    ForEachSkillOfCopy(m_activeList, [&](Skill& skill) { skill.EndCooldown(value); });
    ForEachSkillOfCopy(m_itemSkills, [&](Skill& skill) { skill.EndCooldown(value); });
}

// The pool's own rule, over this character's pooled attacks and its default.
uint32_t SkillManager::SelectWeaponPoolSkill(RandomUniform& rng) const
{
    return SkillActivatedWeaponPool::PickPoolAttack(m_weaponPoolAttacks, m_defaultWPSkillId, m_defaultWPWeight, rng);
}

// ---- Skill actions ----------------------------------------------------------------

uint32_t SkillManager::GetBareHandReference() const
{
    return m_defaultSkillId != 0 ? GetSkillReferenceNumber(m_defaultSkillId) : kBareHandSkill;
}

using namespace SkillManagerParts;   // the helpers the manager's files share

SkillActivated* SkillManagerParts::ActivatedByReference(const SkillManager& manager, uint32_t skillNumber)
{
    return ObjectManager::Get().GetObject<SkillActivated>(manager.GetSkillIdFromReference(skillNumber));
}

namespace {

// A prop of the skill's use comes off its user and shows again.
void TakeOffProp(Character& user, Prop* prop)
{
    if (!prop)
        return;
    user.RemoveEquipmentProp(prop->GetObjectId());
    prop->SetVisibility(true);
}

}  // namespace

bool SkillManager::StartSkill(uint32_t skillNumber, uint32_t targetId, const WorldVec3& point, uint32_t seed,
                              const TargetLeadingData& leading)
{
    m_bareHand = {};
    SkillActivated* skill = ActivatedByReference(*this, skillNumber);
    if (!skill || !m_parent || !skill->IsSkillEnabled())
        return StartBareHanded(skillNumber, targetId, seed);
    if (!skill->StartAction(*m_parent, targetId, point, seed, leading)) {
        if (skill->GetObjectId() == m_defaultSkillId && StartBareHanded(skillNumber, targetId, seed))
            return true;
        if (gEngine)
            gEngine->Log(LOG_WARNING, "Animation failed to start in SkillManager::StartSkill - %s %s",
                         m_parent->GetObjectName().c_str(), skill->GetObjectName().c_str());
        return false;
    }
    if (m_skillServices)
        m_skillServices->ClearHitIteration();
    m_parent->GetPlayStats().SkillUsed(skill->GetObjectName());
    return true;
}

namespace SkillManagerParts {

const std::vector<SkillEventEntry>& SkillEvents()
{
    static const std::vector<SkillEventEntry> events = [] {
        std::vector<SkillEventEntry> table;
        auto add = [&](const char* text, SkillEvent kind, int which) { table.push_back({Name(text), kind, which}); };
        add("End", SkillEvent::End, 0);
        for (const char* text : {"Swipe", "SwipeRight", "SwipeLeft", "SwipeBoth"})
            add(text, SkillEvent::Swipe, 0);
        add("SkillSound1", SkillEvent::Sound1, 0);
        add("SkillSound2", SkillEvent::Sound2, 0);
        add("SkillPropAdd", SkillEvent::PropAdd, 1);
        add("SkillProp1Add", SkillEvent::PropAdd, 1);
        add("SkillPropHide", SkillEvent::PropHide, 1);
        add("SkillProp1Hide", SkillEvent::PropHide, 1);
        add("SkillPropRemove", SkillEvent::PropRemove, 1);
        add("SkillProp1Remove", SkillEvent::PropRemove, 1);
        add("SkillProp2Add", SkillEvent::PropAdd, 2);
        add("SkillProp2Hide", SkillEvent::PropHide, 2);
        add("SkillProp2Remove", SkillEvent::PropRemove, 2);
        add("PS1Start", SkillEvent::Particle, 3);
        add("PS1End", SkillEvent::Particle, 2);
        add("PS2Start", SkillEvent::Particle, 5);
        add("PS2End", SkillEvent::Particle, 4);
        add("PS3Start", SkillEvent::Particle, 7);
        add("PS3End", SkillEvent::Particle, 6);
        for (const char* text : {"RightHandHit", "LeftHandHit", "FootHit", "SpecialHit01", "SpecialHit02",
                                 "SpecialHit03", "SpecialHit04", "Hit"})
            add(text, SkillEvent::Hit, 0);
        return table;
    }();
    return events;
}

// The entry of an animation event; null for one a skill does not hear.
const SkillEventEntry* FindSkillEvent(const Name& event)
{
    const auto& events = SkillEvents();
    const auto found = std::find_if(events.begin(), events.end(), [&](const auto& entry) { return entry.name == event; });
    return found == events.end() ? nullptr : &*found;
}

}  // namespace SkillManagerParts

bool SkillManager::HandleSkillAnimationCallback(const Name& event, uint32_t skillNumber, uint32_t targetId,
                                                const WorldVec3& point)
{
    if (m_bareHand.active && skillNumber == GetBareHandReference())
        return BareHandEvent(event);
    SkillActivated* skill = ActivatedByReference(*this, skillNumber);
    if (!skill || !m_parent)
        return false;
    const SkillEventEntry* found = FindSkillEvent(event);
    if (!found)
        return false;
    Character& parent = *m_parent;
    Prop* prop = found->which == 2 ? skill->GetProp2() : skill->GetProp1();
    switch (found->kind) {
    case SkillEvent::End:
        return skill->EndAction(parent);
    case SkillEvent::Swipe:
        skill->SwipeAction(parent, event, targetId, point);
        break;
    case SkillEvent::Sound1:
        skill->PlaySkillSound1(parent.GetCoords().GetPosition());
        break;
    case SkillEvent::Sound2:
        skill->PlaySkillSound2(parent.GetCoords().GetPosition());
        break;
    case SkillEvent::PropAdd:
        if (prop)
            parent.AddEquipmentProp(prop);
        break;
    case SkillEvent::PropHide:
        if (prop)
            prop->SetVisibility(false);
        break;
    case SkillEvent::PropRemove:
        TakeOffProp(parent, prop);
        break;
    case SkillEvent::Particle: {
        const bool on = (found->which & 1) != 0;
        switch (found->which / 2) {
        case 1: skill->ParticleEffect1(parent, on); break;
        case 2: skill->ParticleEffect2(parent, on); break;
        default: skill->ParticleEffect3(parent, on); break;
        }
        break;
    }
    case SkillEvent::Hit:
        if (m_skillServices)
            m_skillServices->IncHitIteration();
        skill->HitAction(parent, event, targetId, point);
        break;
    case SkillEvent::None:
        break;
    }
    return false;
}

void SkillManager::CancelSkillAction(uint32_t skillNumber)
{
    if (skillNumber == GetBareHandReference())
        m_bareHand = {};
    SkillActivated* skill = ActivatedByReference(*this, skillNumber);
    if (!skill || !m_parent)
        return;
    skill->ParticleEffect1(*m_parent, false);
    skill->ParticleEffect2(*m_parent, false);
    skill->ParticleEffect3(*m_parent, false);
    TakeOffProp(*m_parent, skill->GetProp1());
    TakeOffProp(*m_parent, skill->GetProp2());
    skill->Cancel(*m_parent);
}

}  // namespace GAME
