#include "Game/characters/Typhon.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerTyphon.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/EndGameActivity.h"
#include "Game/world/FxPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Typhon, Monster)
GAME_IMPLEMENT_CLASS(Typhon2, Monster)
GAME_IMPLEMENT_CLASS(TyphonStatue, Monster)

namespace {

constexpr const char* kGodWords[kTyphonGodCount] = {"zeus", "demeter", "hades", "apollo"};
constexpr const char* kTransferKeys[kTyphonGodCount] = {"ZeusTransferSkillName", "DemeterTransferSkillName",
                                                        "HadesTransferSkillName", "ApolloTransferSkillName"};
constexpr const char* kGodEffectKeys[kTyphonGodCount] = {"zeusSkillEffect", "demeterSkillEffect", "hadesSkillEffect",
                                                         "apolloSkillEffect"};
constexpr const char* kDeathEffectKeys[TyphonDeath::kEffectCount] = {"deathVortex", "wisps", "godRays"};

// A chance in percent, truncated; a negative one or one that is no number is none.
uint32_t TyphonChance(const LoadTable& table, const std::string& key)
{
    const float chance = table.GetFloat(key.c_str(), 0.0f);
    return chance >= 1.0f && chance < 4.0e9f ? static_cast<uint32_t>(chance) : 0;
}

// The key of an attack slot (1 to 5): "SpecialAttack" then, for slots 2 to 5, the
// slot's number, then the field.
std::string GodSlotKey(uint32_t god, size_t slot, const char* field)
{
    std::string key = kGodWords[god];
    key += "SpecialAttack";
    if (slot > 0)
        key += std::to_string(slot + 1);
    key += field;
    return key;
}

}  // namespace

const char* GodIndexToName(uint32_t god) { return god < kTyphonGodCount ? kGodWords[god] : "invalid"; }

uint32_t GodNameFromString(const std::string& word)
{
    for (uint32_t god = 0; god < kTyphonGodCount; ++god)
        if (word == kGodWords[god])
            return god;
    return 0;
}

// ---- The death of a boss character --------------------------------------------------------

void TyphonDeath::Load(const LoadTable& table)
{
    for (size_t i = 0; i < kEffectCount; ++i)
        m_effects[i] = table.GetString(kDeathEffectKeys[i], "");
}

void TyphonDeath::Die(Character& boss) const
{
    const WorldCoords& at = boss.GetCoords();
    for (const std::string& record : m_effects) {
        if (record.empty())
            continue;
        Object* made = ObjectManager::Get().CreateObjectFromFile(record);
        auto* effect = DynamicCast<FxPak>(made);
        if (!effect) {
            gEngine->Log(LOG_WARNING, "Typhon: death effect %s is no effect pack", record.c_str());
            if (made)
                ObjectManager::Get().DestroyObjectEx(made, "Typhon", __LINE__);
            continue;
        }
        World::Get().AddEntity(effect, WorldCoords(at.GetRegion(), Coords::MakeTranslation(at.GetRegionCoords().origin)));
    }
    if (!gGameEngine)
        return;
    if (GameUIInterface* ui = gGameEngine->GetUI())
        ui->FinalBossDefeated();
    ActivityManager::Get()->InstallActivity(new EndGameActivity());
    gGameEngine->AutoSave();
    // The difficulty just beaten becomes the greatest completed one, and the next is
    // unlocked. Without a main player on this peer there is nobody to record it for.
    Player* player = gGameEngine->GetMainPlayer();
    if (!player) {
        gEngine->Log(LOG_WARNING, "Typhon: no main player; the completed difficulty is not recorded");
        return;
    }
    int32_t difficulty = gGameEngine->GetGameDifficulty();
    if (difficulty < player->GetGreatestDifficultyCompleted())
        return;
    if (difficulty != GameDifficulty_Legendary) {
        ++difficulty;
        gGameEngine->SetPlayerUnlockedLevel(true);
    }
    player->SetGreatestDifficultyCompleted(difficulty);
    gGameEngine->SaveGame(static_cast<GameDifficulty>(difficulty));
}

// ---- Typhon ---------------------------------------------------------------------------------

Typhon::~Typhon()
{
    for (CharFxPak& effect : m_godSkillEffects)
        effect.SetParent(0);
}

ControllerTyphon* Typhon::GetTyphonController() const
{
    return ObjectManager::Get().GetObject<ControllerTyphon>(GetControllerId());
}

void Typhon::Load(const LoadTable& table)
{
    Monster::Load(table);
    m_death.Load(table);
    ControllerTyphon* controller = GetTyphonController();
    if (!controller)
        return;
    LoadGodSkills(table, *controller);
    for (uint32_t god = 0; god < kTyphonGodCount; ++god) {
        const std::string name = table.GetString(kTransferKeys[god], "");
        if (const uint32_t id = name.empty() ? 0 : GetSkillManager().FindSkillId(name))
            controller->SetTransferSkill(god, id);
    }
    for (uint32_t god = 0; god < kTyphonGodCount; ++god) {
        m_godSkillEffects[god].LoadFromDatabase(table.GetString(kGodEffectKeys[god], ""));
        m_godSkillEffects[god].SetParent(GetObjectId());
    }
}

void Typhon::LoadGodSkills(const LoadTable& table, ControllerTyphon& controller)
{
    for (uint32_t god = 0; god < kTyphonGodCount; ++god) {
        for (size_t slot = 0; slot < ControllerMonster::kSpecialAttacks; ++slot) {
            const std::string name = table.GetString(GodSlotKey(god, slot, "SkillName").c_str(), "");
            const uint32_t id = name.empty() ? 0 : GetSkillManager().FindSkillId(name);
            if (id == 0)
                continue;
            const int timeout = SecondsToMs(table.GetFloat(GodSlotKey(god, slot, "Timeout").c_str(), 0.0f));
            const int delay = SecondsToMs(table.GetFloat(GodSlotKey(god, slot, "Delay").c_str(), 0.0f));
            const uint32_t chance = TyphonChance(table, GodSlotKey(god, slot, "Chance"));
            const SkillUseRange range =
                ControllerMonster::ResolveSkillUseRange(table.GetString(GodSlotKey(god, slot, "Range").c_str(), ""));
            controller.SetGodSpecialAttack(slot, god, id, timeout, delay, chance, range);
        }
    }
}

void Typhon::PreLoad(bool flag)
{
    Monster::PreLoad(flag);
    for (CharFxPak& effect : m_godSkillEffects)
        effect.PreLoad();
}

void Typhon::ImDying()
{
    Character::ImDying();
    m_death.Die(*this);
}

void Typhon::EnableSkillEffect(uint32_t god)
{
    if (god >= kTyphonGodCount) {
        gEngine->Log(LOG_WARNING, "Typhon: no god effect %u", god);
        return;
    }
    m_godSkillEffects[god].Enable(true);
}

void Typhon::DisableSkillEffects()
{
    for (CharFxPak& effect : m_godSkillEffects)
        effect.Enable(false);
}

void Typhon::NotifyStatueDestroyed(uint32_t god)
{
    if (ControllerTyphon* controller = GetTyphonController())
        controller->StatueDestroyed(god);
}

// ---- Typhon2 --------------------------------------------------------------------------------

void Typhon2::Load(const LoadTable& table)
{
    Monster::Load(table);
    m_death.Load(table);
}

void Typhon2::ImDying()
{
    Character::ImDying();
    m_death.Die(*this);
}

// ---- TyphonStatue ---------------------------------------------------------------------------

TyphonStatue::~TyphonStatue()
{
    m_burst.SetParent(0);
    if (Object* sound = ObjectManager::Get().GetObject(m_burstSound))
        ObjectManager::Get().DestroyObjectEx(sound, "TyphonStatue", __LINE__);
    m_burstSound = 0;
}

SoundPak* TyphonStatue::GetBurstSound() const { return ObjectManager::Get().GetObject<SoundPak>(m_burstSound); }

void TyphonStatue::Load(const LoadTable& table)
{
    Monster::Load(table);
    m_god = GodNameFromString(table.GetString("skillGodName", ""));
    m_burst.LoadFromDatabase(table.GetString("frameBurstEffect", ""));
    m_burst.SetParent(GetObjectId());
    const std::string sound = table.GetString("burstSound", "");
    if (!sound.empty()) {
        Object* made = ObjectManager::Get().CreateObjectFromFile(sound);
        if (auto* pak = DynamicCast<SoundPak>(made)) {
            m_burstSound = pak->GetObjectId();
        } else if (made) {
            gEngine->Log(LOG_WARNING, "TyphonStatue: burst sound %s is no sound pack", sound.c_str());
            ObjectManager::Get().DestroyObjectEx(made, "TyphonStatue", __LINE__);
        }
    }
}

void TyphonStatue::PreLoad(bool flag)
{
    Monster::PreLoad(flag);
    m_burst.PreLoad();
}

void TyphonStatue::InitialUpdate()
{
    Monster::InitialUpdate();
    Team team;
    team.Set(1, 0);
    SetTeam(team);
}

void TyphonStatue::UnderAttack(uint32_t attackerId)
{
    Character::UnderAttack(attackerId);
    auto* boss = ObjectManager::Get().GetObject<Typhon>(attackerId);
    ControllerTyphon* controller = boss ? boss->GetTyphonController() : nullptr;
    if (!controller)
        return;
    controller->ApplyGodSkills(m_god);
    boss->EnableSkillEffect(m_god);
    m_burst.Enable(false);
    m_burst.Enable(true);
    if (SoundPak* sound = GetBurstSound())
        sound->Play(GetCoords().GetPosition(), 0, true);
}

void TyphonStatue::CharacterIsDying()
{
    Monster::CharacterIsDying();
    const WorldVec3 at = GetPathPosition();
    if (!at.IsValid())
        return;
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), kBossSearchRadius},
                                     EntityList_All);
    for (Entity* entity : found) {
        if (auto* boss = DynamicCast<Typhon>(entity)) {
            boss->NotifyStatueDestroyed(m_god);
            return;
        }
    }
}

}  // namespace GAME
