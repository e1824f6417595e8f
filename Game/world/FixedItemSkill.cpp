#include "Game/world/FixedItemSkill.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FxPak.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemSkill, Object)
GAME_IMPLEMENT_CLASS(FixedItemSkill_Buff, FixedItemSkill)
GAME_IMPLEMENT_CLASS(FixedItemSkill_SpawnMonster, FixedItemSkill)

namespace {

constexpr int kDefaultBuffDurationMs = 1000;

}  // namespace

// ---- FixedItemSkill ----------------------------------------------------------------------

FixedItemSkill::~FixedItemSkill()
{
    DestroyOwnedSound(m_warningSound, "FixedItemSkill");
    DestroyOwnedSound(m_activateSound, "FixedItemSkill");
}

void FixedItemSkill::Load(const LoadTable& table)
{
    Object::Load(table);
    DestroyOwnedSound(m_warningSound, "FixedItemSkill");
    DestroyOwnedSound(m_activateSound, "FixedItemSkill");
    m_warningSound = CreateOwnedSound(table, "skillWarningSound");
    m_activateSound = CreateOwnedSound(table, "skillActivateSound");
    m_warningFxPak = table.GetString("skillWarningFxPak", "");
    m_activateFxPak = table.GetString("skillActivateFxPak", "");
}

void FixedItemSkill::AssignParent(FixedItem* parent) { m_parentId = parent ? parent->GetObjectId() : 0; }

FixedItem* FixedItemSkill::GetParent() const { return ObjectManager::Get().GetObject<FixedItem>(m_parentId); }

SoundPak* FixedItemSkill::GetWarningSound() const { return ObjectManager::Get().GetObject<SoundPak>(m_warningSound); }

SoundPak* FixedItemSkill::GetActivateSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_activateSound);
}

void FixedItemSkill::GetTargets(uint32_t /*actorId*/, std::vector<uint32_t>& /*out*/) const {}

void FixedItemSkill::ProcessTargetResults(uint32_t /*actorId*/, const std::vector<uint32_t>& /*targets*/)
{
    PlayActiveFx();
}

void FixedItemSkill::PreLoad(bool flag)
{
    Object::PreLoad(flag);
    for (SoundPak* sound : {GetWarningSound(), GetActivateSound()})
        if (sound)
            sound->PreLoad(flag);
}

void FixedItemSkill::PlayWarningFx() { PlayFx(m_warningFxPak, GetWarningSound()); }

void FixedItemSkill::PlayActiveFx() { PlayFx(m_activateFxPak, GetActivateSound()); }

void FixedItemSkill::PlayFx(const std::string& fxPak, SoundPak* sound)
{
    const FixedItem* parent = GetParent();
    if (!parent)
        return;
    const WorldCoords place(parent->GetRegion(),
                            Coords::MakeTranslation(parent->GetCoords().GetRegionCoords().origin));
    if (!fxPak.empty())
        if (FxPak* pak = ObjectManager::Get().CreateObjectFromFile<FxPak>(fxPak))
            if (!World::Get().AddEntity(pak, place))
                ObjectManager::Get().DestroyObjectEx(pak, "FixedItemSkill", __LINE__);
    if (sound)
        sound->Play(place.GetPosition(), 0, true);
}

// ---- FixedItemSkill_Buff -----------------------------------------------------------------

void FixedItemSkill_Buff::Load(const LoadTable& table)
{
    FixedItemSkill::Load(table);
    m_buffSkillName = table.GetString("buffSkillName", "");
    m_targetRadius = table.GetFloat("targetRadius", 0.0f);
    const int duration = SecondsToMs(table.GetFloat("skillActiveDuration", 0.0f));
    m_activeDuration = duration > 0 ? duration : kDefaultBuffDurationMs;
}

void FixedItemSkill_Buff::GetTargets(uint32_t actorId, std::vector<uint32_t>& out) const
{
    if (!(m_targetRadius > 0.0f)) {
        out.push_back(actorId);
        return;
    }
    const Character* actor = ObjectManager::Get().GetObject<Character>(actorId);
    const FixedItem* parent = GetParent();
    if (actor && parent && gGameEngine)
        gGameEngine->GetTargetsInRadius(actor->GetTeam(), parent->GetCoords().GetPosition(), m_targetRadius, out, 0,
                                        true);
}

void FixedItemSkill_Buff::ProcessTargetResults(uint32_t /*actorId*/, const std::vector<uint32_t>& targets)
{
    PlayActiveFx();
    if (m_buffSkillName.empty())
        return;
    SkillBuffTransfer transfer;
    transfer.buffName = m_buffSkillName;
    transfer.buffLevel = 1;
    transfer.durationMs = static_cast<uint32_t>(m_activeDuration);
    transfer.casterId = GetParent() ? GetParent()->GetObjectId() : 0;
    for (uint32_t id : targets)
        if (Character* character = ObjectManager::Get().GetObject<Character>(id))
            character->ControllerAddSkillBuff(transfer, {}, false);
}

// ---- FixedItemSkill_SpawnMonster ---------------------------------------------------------

void FixedItemSkill_SpawnMonster::Load(const LoadTable& table)
{
    FixedItemSkill::Load(table);
    m_monsterName = table.GetString("monsterName", "");
    m_timeToLive = std::max(SecondsToMs(table.GetFloat("timeToLive", 0.0f)), 0);
}

void FixedItemSkill_SpawnMonster::GetTargets(uint32_t /*actorId*/, std::vector<uint32_t>& out) const
{
    if (m_monsterName.empty())
        return;
    if (const uint32_t id = ObjectManager::Get().CreateObjectID())
        out.push_back(id);
}

void FixedItemSkill_SpawnMonster::ProcessTargetResults(uint32_t actorId, const std::vector<uint32_t>& ids)
{
    PlayActiveFx();
    const FixedItem* parent = GetParent();
    if (m_monsterName.empty() || !parent)
        return;
    // One use makes one monster: a longer list from a peer makes no crowd.
    if (ids.size() > 1)
        gEngine->Log(LOG_WARNING, "FixedItemSkill_SpawnMonster: %zu ids for one monster; only the first is used",
                     ids.size());
    for (size_t i = 0; i < ids.size() && i < 1; ++i) {
        Monster* monster = ObjectManager::Get().CreateObjectFromFile<Monster>(m_monsterName, ids[i]);
        if (!monster)
            continue;
        if (m_timeToLive > 0)
            monster->SetLifetime(m_timeToLive);
        if (!World::Get().AddEntity(monster, parent->GetCoords())) {
            ObjectManager::Get().DestroyObjectEx(monster, "FixedItemSkill_SpawnMonster", __LINE__);
            continue;
        }
        // The monster appears to punish whoever used the item.
        if (auto* mind = ObjectManager::Get().GetObject<ControllerMonster>(monster->GetControllerId()))
            mind->SetMostHatedEnemy(actorId);
    }
}

}  // namespace GAME
