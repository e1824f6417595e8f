#include "host/HostFight.h"
#include "host/HostMonsterStates.h"
#include "host/HostSave.h"
#include "host/HostSession.h"
#include "host/HostText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Engine/LoadTable.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/DeathHandlers.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/characters/PlayStats.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/core/foundation/EnumConverter.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemEquipment.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillAttackKinds.h"
#include "Game/skills/SkillBuffSelf.h"
#include "Game/skills/Skill_BuffSelfKinds.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/skills/Skill_MonsterGenerator.h"
#include "Game/skills/Skill_AttackWeapon.h"
#include "Game/world/Lightning.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

namespace {

constexpr const char* kCombatRecord = "Records/Game/Combat.dbr";
// The two fighters come from their records: gender, size, team, sounds; the combat record
// is the game-wide default that every character without its own takes.
constexpr const char* kPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";
// The monster comes from its own record (its resistances) and knows a passive skill.
constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
// The monster's mind flees once, a short way, when its life runs low.
constexpr const char* kMonsterMindRecord = "Records/Controllers/Monster/ArenaMonsterAI.dbr";
// What the monster leaves where it lies dead: a proxy that places a chest.
constexpr const char* kTreasureRecord = "Records/Proxies/ArenaTreasure.dbr";
constexpr const char* kSkillRecord = "Records/Skills/ArenaToughness.dbr";
constexpr unsigned kSkillLevel = 2;
// The player knows a passive skill of its own, which it raises a level with its skill point.
constexpr const char* kPlayerSkillRecord = "Records/Skills/ArenaMight.dbr";
// The player's strike: a fireball that bursts into embers, at this level. The game's
// generator, which draws the seeds of the skills' commands, starts from a fixed seed so
// that every run casts alike.
constexpr const char* kFireballRecord = "Records/Skills/ArenaFireball.dbr";
// The player's arsenal, a tree of skills at level 1: the two pooled attacks its plain
// strikes pick from, a smite with its chain lightning, a hex, a mana ward, a shield, a
// rally that buffs the friends around it, a dispel, a frost nova and a charge.
constexpr const char* kArsenalRecord = "Records/Skills/ArenaArsenal.dbr";
constexpr unsigned kArsenalSize = 11;
constexpr const char* kSmiteRecord = "Records/Skills/ArenaSmite.dbr";
constexpr const char* kHexRecord = "Records/Skills/ArenaHex.dbr";
constexpr const char* kWardRecord = "Records/Skills/ArenaManaWard.dbr";
constexpr const char* kShieldRecord = "Records/Skills/ArenaAegis.dbr";
constexpr const char* kRallyRecord = "Records/Skills/ArenaRally.dbr";
// The frames from which the player raises its rally and its shield, once each.
constexpr int kRallyFrame = 20;
constexpr int kShieldFrame = 72;
// The dispel is cast once at the hexed monster, from this frame on: it strips the
// monster's buffs (the hex is a debuff and stays) and strikes it.
constexpr const char* kDispelRecord = "Records/Skills/ArenaDispel.dbr";
constexpr int kDispelFrame = 13;
// The frost nova goes out once from this frame, while the monster stands within its
// ring's reach: the ring grows from the player and strikes the monster (and the
// bystanders within it) as it reaches them.
constexpr const char* kNovaRecord = "Records/Skills/ArenaNova.dbr";
constexpr int kNovaFrame = 30;
constexpr float kNovaReach = 11.0f;
// The charge is warmed up and struck once from this frame, when the monster stands
// within a blow's reach (this far, body to body).
constexpr const char* kChargeRecord = "Records/Skills/ArenaCharge.dbr";
constexpr int kChargeFrame = 40;
constexpr float kChargeReach = 2.0f;
// The frame the player switches its ward on, and how often the mana under it and the
// life of the monster's buffs are printed.
constexpr int kWardFrame = 4;
constexpr int kWatchEvery = 4;
// The hex is cast on a monster this near.
constexpr float kHexReach = 6.0f;
constexpr Vec3 kBystanderPlaces[] = {{7.0f, 0.0f, 4.0f}, {5.0f, 0.0f, -4.0f}};
// The first bystander is a summoner: its generator keeps two creatures at its sides. The
// bystanders are weaker than the monster (bare fists that barely scratch the player's
// armour): they roam about their places, notice the player within their short sight and
// join the fight, taking attack slots round the player, without deciding its outcome.
constexpr const char* kSummonerRecord = "Records/Creatures/ArenaBystanderSummoner.dbr";
constexpr const char* kBystanderRecord = "Records/Creatures/ArenaBystander.dbr";
constexpr const char* kBystanderMindRecord = "Records/Controllers/Monster/ArenaBystanderAI.dbr";
constexpr const char* kGeneratorRecord = "Records/Skills/ArenaGenerator.dbr";
constexpr unsigned kFireballLevel = 1;
constexpr uint32_t kGameSeed = 1307;
// The game's generator hands each monster its loot seed at load; it starts from this seed
// while the arena fills, so that every run rolls the same loot.
constexpr uint32_t kLootSeed = 11;
// The player attribute pack's lines are shown at the first balance level.
constexpr unsigned kPackLevel = 1;
constexpr uint32_t kAttackSeed = 2024;
// The frame whose commands spend the player's attribute point.
constexpr int kSpendPointFrame = 2;
constexpr uint32_t kArenaRegionId = 1;
// The monster stands this far from the player: the player's run to it shows.
constexpr float kMonsterDistance = 10.0f;


// A character made from its record, placed in the arena; its name, size and team are
// printed. A player takes its name first.
template <class T>
T* Place(const char* recordName, const char* role, const Vec3& position, std::u16string_view playerName = {})
{
    auto* character = ObjectManager::Get().CreateObjectFromFile<T>(recordName);
    if (!character)
        return nullptr;
    if constexpr (std::is_base_of_v<Player, T>)
        character->SetPlayerName(std::u16string(playerName));
    const Team team = character->GetTeam();
    std::printf("gamehost: the %s (%s): size %s, team %u/%u\n", role, HostName(character).c_str(),
                EnumConverter::GetEnumAsString(character->GetSize()).c_str(), team.GetTeamMajor(), team.GetTeamMinor());
    Region* region = World::Get().GetRegionById(kArenaRegionId);
    if (!region)
        region = World::Get().AddRegion(kArenaRegionId, "Arena");
    Coords frame;
    frame.origin = position;
    World::Get().AddEntity(character, WorldCoords(region, frame));
    // The character stands where its path position is: both start here.
    character->SetPathPosition(WorldVec3(region, position));
    return character;
}

void PrintLines(const char* name, const std::vector<std::u16string>& lines)
{
    for (const std::u16string& line : lines)
        std::printf("gamehost: %s: %s\n", name, HostPlainText(line).c_str());
}

// The lines of the game-wide bonuses every player has.
void PrintPlayerPack()
{
    std::vector<GameTextLine> lines;
    gGameEngine->GetPlayerAttributePak().GetUIDisplayText(kPackLevel, GameTextClass::ItemBonuses, lines);
    for (const GameTextLine& line : lines)
        PrintLines("player pack", {line.text});
}

// A skill as the user interface shows it: its heading, its current level's values and
// what the next level changes, each line with its style class.
void PrintSkillTexts(const char* name, const Skill& skill)
{
    std::vector<GameTextLine> lines;
    skill.CreateUISkillHeading(lines);
    skill.CreateUIParameterText(lines);
    skill.CreateUINextParameterText(lines);
    for (const GameTextLine& line : lines)
        std::printf("gamehost: %s: [%s] %s\n", name, GetGameTextClassKey(line.textClass),
                    HostPlainText(line.text).c_str());
}

// The frame the session is in, for the lines the controllers print during the world's walk.
int gFightFrame = 0;

// The bystanders of the monster's team the chain lightning jumps to.
std::vector<uint32_t> gBystanders;
// The creatures the summoner's generator made.
std::vector<uint32_t> gCreatures;

// A fighter as the fight's lines name it: "the player" for the one the host plays, another
// player (a client's, the companion) as the host's other lines name a player, any other
// fighter by the name the game gives it, told apart from others of that name.
std::string Who(const Character& character)
{
    const auto* player = DynamicCast<Player>(&character);
    if (!player)
        return HostName(&character);
    if (gGameEngine && player->GetObjectId() == gGameEngine->GetPlayerId())
        return "the player";
    return "player " + std::to_string(player->GetObjectId()) + " \"" + HostPlainText(player->GetPlayerName()) + "\"";
}

std::string Whose(const Character& character) { return Who(character) + "'s"; }

// What the host notes of each fighter between two looks: its life and counts as they stood
// before anything struck it next, whether it runs to its target and whether it was attacked.
struct FightNotes {
    void Remember(const Character& self)
    {
        life = self.GetCurrentLife();
        damage = self.GetCharacterBio().GetLifeDamageThisFrame();
        hitsReceived = self.GetPlayStats().GetHitsReceived();
    }

    // The life just before the latest blow: what the blow took, on the life left. The life
    // noted last may be older than regeneration or a potion since; a killing blow is told
    // from it.
    float LifeBeforeBlow(const Character& self) const
    {
        const float now = self.GetCurrentLife();
        const float total = self.GetCharacterBio().GetLifeDamageThisFrame();
        const float dealt = total >= damage ? total - damage : total;   // the frame's count restarted since
        return now > 0.0f ? now + dealt : life;
    }

    float life = 0.0f;
    float damage = 0.0f;   // the life taken in the frame when it was noted
    uint32_t hitsReceived = 0;
    uint32_t strikesTaken = 0;
    bool running = false;
    bool attacked = false;
};

FightNotes* GetFightNotes(const Character& character);
// What the combat manager reports took the latest blow on `self` away, " (...)", or nothing;
// and the damage that got through when the life shown (`before`, `after`) does not show it.
std::string BlowNote(const Character& self, float before, float after);

// The controller of each fighter, watched by the host: the game's player controller for
// the player (an AI controller that also keeps the bags and the equipment a player's save
// carries), the monster controller for the monsters. It prints what happens to its
// fighter (a run's end, each strike it takes, the answer of its armour, its death) and,
// through the combat controller's KillMe, hands its fighter the death once its life is gone.
template <class Base>
class HostFightWatch : public Base, public FightNotes {
public:
    // Once a frame, from the character's PreAnimationUpdate: after the handler is fed and
    // a fighter without life handed its death (the combat controller's frame), its life
    // and counts are noted, as they stand before anything strikes it next.
    void Update(int elapsedMs) override
    {
        Base::Update(elapsedMs);
        Character* self = this->GetParentCharacter();
        if (!self)
            return;
        Remember(*self);
    }

    // Each blow of an attack on this fighter, hit or miss, after it was resolved and
    // answered.
    void UnderAttack(uint32_t attackerId) override
    {
        Base::UnderAttack(attackerId);
        Character* self = this->GetParentCharacter();
        if (!self)
            return;
        attacked = true;
        const bool missed =
            self->GetCombatManager().GetAttackReport().outcome == CombatManager::AttackReport::Outcome::Missed;
        auto* attacker = ObjectManager::Get().GetObject<Character>(attackerId);
        ++strikesTaken;
        const float before = LifeBeforeBlow(*self);
        const float after = self->GetCurrentLife();
        std::printf("fight: frame %d: %s strikes (blow %u on %s): %s, life %.1f -> %.1f%s\n", gFightFrame,
                    attacker ? Who(*attacker).c_str() : "an unknown attacker", strikesTaken, Who(*self).c_str(),
                    missed ? "miss" : "hit", before, after, BlowNote(*self, before, after).c_str());
        Remember(*self);
        if (!attacker)
            return;
        // The armour's answer has reached the attacker by now.
        FightNotes* theirs = GetFightNotes(*attacker);
        if (!theirs)
            return;
        if (attacker->GetPlayStats().GetHitsReceived() != theirs->hitsReceived)
            std::printf("fight: frame %d: %s armour strikes back: %s life %.1f -> %.1f\n", gFightFrame,
                        Whose(*self).c_str(), Whose(*attacker).c_str(), theirs->LifeBeforeBlow(*attacker),
                        attacker->GetCurrentLife());
        theirs->Remember(*attacker);
    }

    void EndOfPathReached() override
    {
        Base::EndOfPathReached();
        if (!running)
            return;
        running = false;
        Character* self = this->GetParentCharacter();
        auto* target = self ? ObjectManager::Get().GetObject<Character>(this->GetTarget()) : nullptr;
        if (!self || !target)
            return;
        const Vec3 between = target->GetPathPosition() - self->GetPathPosition();
        std::printf("fight: frame %d: %s reaches %s: %.2f units apart\n", gFightFrame, Who(*self).c_str(),
                    Who(*target).c_str(),
                    between.Length());
    }

    void CharacterIsDying() override
    {
        Base::CharacterIsDying();
        if (const Character* self = this->GetParentCharacter())
            std::printf("fight: frame %d: %s dies after %u blows taken\n", gFightFrame, Who(*self).c_str(),
                        strikesTaken);
    }

    // The death is over: a monster's dead state (and the treasure it leaves) is shown now,
    // before its body goes with the frame.
    void CharacterIsDead() override
    {
        Base::CharacterIsDead();
        const auto* monster = DynamicCast<const Monster>(this->GetParentCharacter());
        if (HostMonsterStates* states = HostMonsterStates::Active(); states && monster)
            states->Look(gFightFrame, *monster);
    }
};

class HostFightController : public HostFightWatch<ControllerPlayer> {
    GAME_DECLARE_CLASS(HostFightController)
};
GAME_IMPLEMENT_CLASS(HostFightController, ControllerPlayer)

// A monster's mind: the game's monster controller with the keys of the default AI record.
class HostFightMonsterController : public HostFightWatch<ControllerMonster> {
    GAME_DECLARE_CLASS(HostFightMonsterController)

};
GAME_IMPLEMENT_CLASS(HostFightMonsterController, ControllerMonster)

FightNotes* GetFightNotes(const Character& character)
{
    ObjectManager& objects = ObjectManager::Get();
    if (auto* player = objects.GetObject<HostFightController>(character.GetControllerId()))
        return player;
    return objects.GetObject<HostFightMonsterController>(character.GetControllerId());
}

ControllerBaseCharacter* GetFightController(const Character& character)
{
    ObjectManager& objects = ObjectManager::Get();
    if (auto* player = objects.GetObject<HostFightController>(character.GetControllerId()))
        return player;
    return objects.GetObject<HostFightMonsterController>(character.GetControllerId());
}

// The skills the monster's record handed its first controller, handed on to its new one.
void HandOnSkillSlots(const ControllerMonster& from, ControllerMonster& to)
{
    to.SetDefaultAttackSkill(from.GetDefaultSkillId());
    to.SetNormalAttackSkill(from.GetNormalSkillId());
    using SpecialSetter = void (ControllerMonster::*)(uint32_t, int, int, uint32_t, SkillUseRange);
    const std::array<SpecialSetter, ControllerMonster::kSpecialAttacks> specials = {
        &ControllerMonster::SetSpecialAttackSkill, &ControllerMonster::SetSpecialAttack2Skill,
        &ControllerMonster::SetSpecialAttack3Skill, &ControllerMonster::SetSpecialAttack4Skill,
        &ControllerMonster::SetSpecialAttack5Skill};
    for (size_t i = 0; i < ControllerMonster::kSpecialAttacks; ++i) {
        const ControllerMonster::SpecialAttack& attack = from.GetSpecialAttack(i);
        (to.*specials[i])(attack.skillId, attack.timeoutMs, attack.delayMs, attack.chance, attack.range);
    }
    to.SetBuffSelfSkill(from.GetBuffSelfSkillId());
    to.SetBuffSelf2Skill(from.GetBuffSelf2SkillId());
    to.SetBuffSelf3Skill(from.GetBuffSelf3SkillId());
    to.SetBuffOtherSkill(from.GetBuffOtherSkillId());
    to.SetBuffOther2Skill(from.GetBuffOther2SkillId());
    to.SetBuffOther3Skill(from.GetBuffOther3SkillId());
    to.SetHealSkill(from.GetHealSkillId(), from.GetHealDelay());
    to.SetBerserkSkill(from.GetBerserkSkillId());
    to.SetDyingSkill(from.GetDyingSkillId());
    to.SetInitialSkill(from.GetInitialSkillId());
    const ControllerMonster::SkillRanges& r = from.GetSkillRanges();
    to.SetSkillRanges(r.shortMin, r.shortMax, r.mediumMin, r.mediumMax, r.longMin, r.longMax);
    to.SetChainInitialSkill(from.GetChainInitialSkill());
    to.SetChainNextSkill(from.GetChainNextSkill());
    to.SetChainBehavior(from.GetChainBehavior());
}

// A controller for the fighter, bound both ways: the character knows its controller, the
// controller its parent. A monster's is a monster controller loaded from the AI record
// (the default one unless named), holding the skills its record gave it.
bool GiveController(Character& character, const char* mindRecord = Monster::kDefaultControllerRecord)
{
    ObjectManager& objects = ObjectManager::Get();
    Object* previous = objects.GetObject(character.GetControllerId());
    Controller* controller = nullptr;
    if (character.IsA<Monster>()) {
        auto* mind = DynamicCast<HostFightMonsterController>(objects.CreateObject("HostFightMonsterController"));
        const LoadTable* keys = objects.LoadTableFile(mindRecord);
        if (!mind || !keys)
            return false;
        mind->Load(*keys);
        if (const auto* first = DynamicCast<ControllerMonster>(previous))
            HandOnSkillSlots(*first, *mind);
        controller = mind;
    } else {
        controller = DynamicCast<HostFightController>(objects.CreateObject("HostFightController"));
    }
    // The controller its record gave it is replaced.
    if (previous)
        objects.DestroyObjectEx(previous, "HostFight", __LINE__);
    character.SetControllerId(0);
    if (!controller)
        return false;
    character.SetControllerId(controller->GetObjectId());
    controller->AttachParent(character.GetObjectId());
    return true;
}

}  // namespace

void HostFight::AddPlayerSkills(Player& player)
{
    for (const char* record : {kPlayerSkillRecord, kFireballRecord})
        player.GetSkillManager().AddSkill(ObjectManager::Get().CreateObjectFromFile<Skill>(record));
    player.GetSkillManager().LoadSkills(kArsenalRecord, kArsenalSize);
}

void HostFight::AddPlayerSkillsAtTheirLevels(Player& player)
{
    AddPlayerSkills(player);
    if (auto* fireball = ObjectManager::Get().GetObject<Skill>(player.GetSkillManager().FindSkillId(kFireballRecord)))
        fireball->SetSkillLevel(kFireballLevel);
}

std::string HostFight::CheckRecords(bool guest)
{
    struct Needed {
        const char* record;
        const char* role;
        const RTTI_ClassInfo* made;   // null: a table of values, of no class
        bool guest;                   // a guest reads it too
    };
    const Needed needed[] = {
        {kPlayerRecord, "player", &Player::GetStaticClassInfo(), true},
        {kCombatRecord, "combat", nullptr, true},
        {kMonsterRecord, "monster", &Monster::GetStaticClassInfo(), false},
        {kMonsterMindRecord, "monster mind", &ControllerMonster::GetStaticClassInfo(), false},
        {kSummonerRecord, "bystander", &Monster::GetStaticClassInfo(), false},
        {kBystanderRecord, "bystander", &Monster::GetStaticClassInfo(), false},
        {kBystanderMindRecord, "bystander mind", &ControllerMonster::GetStaticClassInfo(), false},
    };
    for (const Needed& each : needed) {
        if (guest && !each.guest)
            continue;
        if (std::string why = HostCheckRecord(each.record, each.role, each.made); !why.empty())
            return why;
    }
    return CheckGameRecords();
}

std::string HostFight::CheckGameRecords()
{
    // The records every character and the game's rules read, which a run without them would
    // play with every monster mindless, nobody regenerating, or a log line for each attack.
    // A mind or an attack must make one; a table of values must hold some.
    struct Needed {
        std::string record;
        const char* role;
        const RTTI_ClassInfo* made = nullptr;   // null: a table of values, of no class
    };
    const RTTI_ClassInfo& mind = ControllerBaseCharacter::GetStaticClassInfo();
    std::vector<Needed> needed = {
        {kGameEngineRecordName, "game"},
        {CharacterBio::kRegenRecord, "regeneration"},
        {PlayStats::kScoreRecord, "score"},
        {ItemEquipment::kDefaultItemCostRecord, "item cost"},
        {kBonusSharingRecordName, "party bonus"},
        {Monster::kDefaultControllerRecord, "default monster mind", &ControllerMonster::GetStaticClassInfo()},
        {Player::kPlayerControllerRecord, "player mind", &ControllerPlayer::GetStaticClassInfo()},
        {Player::kStubControllerRecord, "remote character mind", &mind},
        {Npc::kNpcControllerRecord, "townsfolk mind", &mind},
        {SkillManager::kDefaultWeaponAttackRecord, "weapon attack", &Skill::GetStaticClassInfo()},
        {SkillManager::kDefaultWPBasicAttackRecord, "basic attack", &Skill::GetStaticClassInfo()},
    };
    // ... and those the game's record and the player's name.
    if (const LoadTable* game = RecordDatabase::Get().Load(kGameEngineRecordName))
        for (const auto& [key, role] : {std::pair{"playerAttributePak", "player attribute"},
                                        std::pair{"monsterAttributePak", "monster attribute"},
                                        std::pair{"petAttributePak", "pet attribute"}})
            if (const std::string record = game->GetString(key, ""); !record.empty())
                needed.push_back({record, role});
    if (const LoadTable* player = RecordDatabase::Get().Load(kPlayerRecord))
        if (const std::string record = player->GetString("levelFileName", ""); !record.empty())
            needed.push_back({record, "player level"});
    for (const Needed& each : needed)
        if (std::string why = HostCheckRecord(each.record, each.role, each.made); !why.empty())
            return why;
    return {};
}

bool HostFight::Start(const std::string& loadPath)
{
    if (!ObjectManager::Get().LoadTableFile(kCombatRecord))
        return false;
    m_attackSeeds.Seed(kAttackSeed);
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkillRecord);
    auto* might = ObjectManager::Get().CreateObjectFromFile<Skill>(kPlayerSkillRecord);
    auto* fireball = ObjectManager::Get().CreateObjectFromFile<SkillActivated>(kFireballRecord);
    m_skillId = skill ? skill->GetObjectId() : 0;
    m_playerSkillId = might ? might->GetObjectId() : 0;
    m_fireballId = fireball ? fireball->GetObjectId() : 0;
    gGameEngine->GetRandomGen().Seed(kLootSeed);
    Player* player = Place<Player>(kPlayerRecord, "player", Vec3{0.0f, 0.0f, 0.0f}, u"Hero");
    Monster* monster = Place<Monster>(kMonsterRecord, "monster", Vec3{kMonsterDistance, 0.0f, 0.0f});
    if (!skill || !might || !fireball || !player || !monster)
        return false;
    m_playerId = player->GetObjectId();
    m_monsterId = monster->GetObjectId();
    // Two bystanders of the monster's team stand near where the fight comes to: the
    // smite's chain lightning jumps to them.
    for (const Vec3& where : kBystanderPlaces) {
        auto* bystander = Place<Monster>(gBystanders.empty() ? kSummonerRecord : kBystanderRecord, "bystander", where);
        if (!bystander || !GiveController(*bystander, kBystanderMindRecord))
            return false;
        bystander->GetCharacterBio().InitialUpdate(*bystander);
        bystander->GetCharacterBio().Update(*bystander, 0);
        if (gBystanders.empty())
            m_generatorId = bystander->GetSkillManager().FindSkillId(kGeneratorRecord);
        gBystanders.push_back(bystander->GetObjectId());
    }
    skill->SetSkillLevel(kSkillLevel);
    monster->GetSkillManager().AddToActiveList(skill);
    // The player is played on this peer: its skills are driven here, and what they change
    // goes out as commands.
    player->SetIsControllingCharacter(true);
    // The host's controllers replace the ones the characters were given (the player's own
    // controller comes with being played here).
    if (!GiveController(*player) || !GiveController(*monster, kMonsterMindRecord))
        return false;
    monster->SetTreasureProxy(kTreasureRecord, true);
    player->GetSkillManager().AddSkill(might);
    player->GetSkillManager().AddSkill(fireball);
    // Without meshes the bodies have no attach points of their own: the fireball leaves
    // the player's right hand and flies at the monster's body.
    player->SetAttachPoint(Name("R Hand"), Vec3{0.3f, 1.4f, 0.4f});
    monster->SetAttachPoint(Name("Target"), Vec3{0.0f, 0.4f, 0.0f});
    fireball->SetSkillLevel(kFireballLevel);
    SkillManager& skills = player->GetSkillManager();
    skills.LoadSkills(kArsenalRecord, kArsenalSize);
    m_smiteId = skills.FindSkillId(kSmiteRecord);
    m_hexId = skills.FindSkillId(kHexRecord);
    m_wardId = skills.FindSkillId(kWardRecord);
    m_shieldId = skills.FindSkillId(kShieldRecord);
    m_rallyId = skills.FindSkillId(kRallyRecord);
    m_dispelId = skills.FindSkillId(kDispelRecord);
    m_novaId = skills.FindSkillId(kNovaRecord);
    m_chargeId = skills.FindSkillId(kChargeRecord);
    if (loadPath.empty()) {
        player->SetPlayerName(u"Hero");
    } else if (!LoadHostPlayer(*player, loadPath)) {
        // The run is refused: the unread player goes first, so that nothing is said of it.
        ObjectManager::Get().DestroyObjectEx(player, "HostFight", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        m_playerId = 0;
        Stop();
        return false;
    }
    // The fight's draws start here, whatever the save's read made.
    gGameEngine->GetRandomGen().Seed(kGameSeed);
    // Life and mana come from the records: the first update fills them.
    for (Character* fighter : std::initializer_list<Character*>{player, monster}) {
        fighter->GetCharacterBio().InitialUpdate(*fighter);
        fighter->GetCharacterBio().Update(*fighter, 0);
    }
    // Their controllers dress them, testing what they wear against the attributes just
    // filled: the items' attach commands run in the first frames.
    if (!m_outfit.Start(*player, *monster, loadPath.empty()))
        return false;
    std::printf("gamehost: a player (%u) and a monster (%u) face each other, %.0f units apart\n", m_playerId,
                m_monsterId, kMonsterDistance);
    // A loaded player's totals hold the skills and the outfit it was saved with already. The
    // player is the host's own, told before the game hears that it is.
    for (const Character* fighter : std::initializer_list<const Character*>{player, monster})
        std::printf("gamehost: %s: life %.0f of %.0f, mana %.0f of %.0f, attack speed %.2f, %s\n",
                    fighter == player ? "the player" : Who(*fighter).c_str(),
                    fighter->GetCurrentLife(), fighter->GetLifeLimit(), fighter->GetCurrentMana(),
                    fighter->GetCharacterBio().GetManaLimit(), fighter->GetAttackSpeed(),
                    fighter == player && !loadPath.empty() ? "with the skills and the outfit it was saved with"
                                                           : "before its outfit and skills add theirs");
    m_experienceBefore = player->GetExperiencePoints();
    PrintPlayerPack();
    PrintSkillTexts("monster skill", *skill);
    return true;
}

bool HostFight::StartGuest(const std::u16string& name, const Vec3& where, const std::string& loadPath)
{
    if (!ObjectManager::Get().LoadTableFile(kCombatRecord))
        return false;
    Player* player = Place<Player>(kPlayerRecord, "player", where, name);
    if (!player)
        return false;
    m_playerId = player->GetObjectId();
    player->SetIsControllingCharacter(true);
    if (!loadPath.empty()) {
        // The save's skills find theirs to take their levels.
        AddPlayerSkills(*player);
        if (!LoadHostPlayer(*player, loadPath)) {
            ObjectManager::Get().DestroyObjectEx(player, "HostFight", __LINE__);
            ObjectManager::Get().FlushDestroyedObjects();
            m_playerId = 0;
            return false;
        }
    }
    player->GetCharacterBio().InitialUpdate(*player);
    player->GetCharacterBio().Update(*player, 0);
    std::printf("gamehost: a player (%u) stands at (%.0f, %.0f, %.0f): life %.0f of %.0f\n", m_playerId, where.x,
                where.y, where.z, player->GetCurrentLife(), player->GetLifeLimit());
    return true;
}

namespace {

std::string SkillName(uint32_t skillId)
{
    const auto* skill = ObjectManager::Get().GetObject<Skill>(skillId);
    return skill ? HostName(skill) : std::string("no skill");
}

std::string BlowNote(const Character& self, float before, float after)
{
    using Report = CombatManager::AttackReport;
    const Report& report = self.GetCombatManager().GetAttackReport();
    if (report.outcome == Report::Outcome::Invulnerable)
        return " (invulnerable: the blow has no effect)";
    if (report.outcome != Report::Outcome::Hit)
        return {};
    std::vector<std::string> parts;
    if (report.blocked)
        parts.push_back("the shield blocks part of it");
    char text[160];
    if (report.absorbed > 0.0f) {
        const std::string by = report.absorbedBy ? "the " + SkillName(report.absorbedBy) : std::string("a skill");
        std::snprintf(text, sizeof text, "%s absorbs %.2f", by.c_str(), report.absorbed);
        parts.push_back(text);
    }
    char shownBefore[32], shownAfter[32];
    std::snprintf(shownBefore, sizeof shownBefore, "%.1f", before);
    std::snprintf(shownAfter, sizeof shownAfter, "%.1f", after);
    if (report.lifeTaken > 0.0f && std::string_view(shownBefore) == shownAfter) {
        std::snprintf(text, sizeof text, "%.3f damage", report.lifeTaken);
        parts.push_back(text);
    } else if (report.lifeTaken <= 0.0f && parts.empty()) {
        parts.push_back("its damage does not get through the defences");
    } else if (report.lifeTaken <= 0.0f) {
        parts.push_back("no damage gets through");
    }
    if (parts.empty())
        return {};
    std::string note = " (";
    for (size_t i = 0; i < parts.size(); ++i)
        note += (i ? "; " : "") + parts[i];
    return note + ")";
}

// The command of a strike: the skill, its reference, the seed and the target; a pool
// skill's pick is drawn from the seed as the pool draws it.
void PrintCommand(Character& attacker, uint32_t reference, uint16_t seed, const Character& target)
{
    const SkillManager& skills = attacker.GetSkillManager();
    const uint32_t skillId = skills.GetSkillIdFromReference(reference);
    std::string pick;
    if (const auto* skill = ObjectManager::Get().GetObject<Skill>(skillId); skill && skill->IsA<SkillActivatedWeaponPool>()) {
        RandomUniform draw;
        draw.Seed(seed);
        pick = "; the pool picks " + SkillName(skills.SelectWeaponPoolSkill(draw));
    }
    std::printf("fight: frame %d: %s uses %s (reference %u, seed %u) on %s (%u)%s\n", gFightFrame,
                Who(attacker).c_str(), SkillName(skillId).c_str(), reference, seed, Who(target).c_str(),
                target.GetObjectId(), pick.c_str());
}

// Whether the skill may be used now: it exists, its cooldown is over and the user can pay.
bool Ready(const Character& user, const SkillActivated* skill)
{
    return skill && skill->GetCooldownRemaining() <= 0 && user.GetCurrentMana() >= skill->GetManaCost();
}

// Fires the skill as the hit of its cast animation would, with no animation played: the
// cast's first command pays for it, and the use counts in the caster's play statistics as
// the game counts every skill it starts.
void FireSkill(Character& caster, SkillServicesBase& services, const Skill& skill, uint32_t reference,
               uint32_t targetId, const WorldVec3& aim)
{
    services.ClearHitIteration();
    services.IncHitIteration();
    caster.GetPlayStats().SkillUsed(skill.GetObjectName());
    caster.ActivateSkill(reference, Name("RightHandHit"), targetId, aim);
}

}  // namespace

uint32_t HostFight::StrikeSkill(Character& attacker) const
{
    if (attacker.GetObjectId() != m_playerId)
        return 0;
    const auto* smite = ObjectManager::Get().GetObject<SkillActivated>(m_smiteId);
    return Ready(attacker, smite) ? m_smiteId : 0;
}

void HostFight::Attack(Character& attacker, Character& target)
{
    ControllerBaseCharacter* controller = GetFightController(attacker);
    FightNotes* notes = GetFightNotes(attacker);
    if (!controller || !notes || !controller->HasStarted())
        return;
    if (attacker.GetLifeState() != Character_LifeState_Alive || attacker.GetCurrentLife() <= 0.0f ||
        target.GetLifeState() != Character_LifeState_Alive || target.GetCurrentLife() <= 0.0f)
        return;
    // A new attack only when the last one is over: the handler stands idle and nothing
    // waits in the controller.
    const CharacterActionHandler* handler = attacker.GetActionHandler();
    if (!handler || controller->PeekPendingAction() || controller->PeekQueuedAction())
        return;
    if (handler->IsActive() && handler->GetActionType() != CharacterActionType_Idle)
        return;
    // The attack's seed makes every peer roll its blow alike; the seeds follow one fixed
    // sequence (the game's own generator starts from the clock).
    const auto seed = static_cast<uint16_t>(m_attackSeeds.IGenerate(0, 0xffff));
    const WorldVec3 targetPosition = target.GetPathPosition();
    // The attacker's strike, by its reference number: the smite, else the default attack.
    SkillManager& skills = attacker.GetSkillManager();
    const uint32_t strike = StrikeSkill(attacker);
    const uint32_t skill = strike ? skills.GetSkillReferenceNumber(strike) : skills.GetBareHandReference();
    PrintCommand(attacker, skill, seed, target);
    auto* attack = new AttackAction(attacker.GetObjectId(), target.GetObjectId(), targetPosition, skill, seed,
                                    TargetLeadingData{});
    if (!attacker.NearTarget(target.GetObjectId(), gGameEngine->GetMeleeRange())) {
        const float speed = attacker.GetRunSpeed();
        attack->SetPreMoveData(targetPosition, target.GetObjectId(), skill, speed);
        notes->running = true;
        std::printf("fight: frame %d: %s runs to %s, %.2f units away, at run speed %.2f\n", gFightFrame,
                    Who(attacker).c_str(), Who(target).c_str(), (targetPosition - attacker.GetPathPosition()).Length(), speed);
    }
    controller->HandleAction(attack);
}

namespace {

// The player's strength, the attribute and skill points it has left and the level of its
// skill, before and after the frame that runs its spending commands.
void PrintStrength(int frame, const char* when, Player& player, const Skill* skill)
{
    std::printf("fight: frame %d: %s: the player's strength %.0f, %u attribute points left, %u skill points left, %s "
                "at level %d\n",
                frame, when, player.GetCharacterBio().GetBaseAttrStore().GetBaseValue(CharAttributeType_Strength),
                player.GetLevelControl().GetModifierPoints(), player.GetSkillPoints(),
                skill ? HostName(skill).c_str() : "no skill", skill ? skill->GetSkillLevel() : 0);
}

}  // namespace

void HostFight::Update(int frame, int ms)
{
    gFightFrame = frame;
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.GetObject<Player>(m_playerId);
    auto* monster = objects.GetObject<Monster>(m_monsterId);
    if (!player || !monster)
        return;
    m_outfit.Update(frame, ms, monster->GetLifeState() != Character_LifeState_Alive);
    // Early on the player spends its attribute point on strength, as its controller would:
    // through a command queued on it, which runs at the commands' point of the frame.
    if (frame == kSpendPointFrame) {
        auto* skill = objects.GetObject<Skill>(m_playerSkillId);
        PrintStrength(frame, "before spending a point", *player, skill);
        player->Enqueue(new IncrementBaseStrengthConfigCmd(m_playerId));
        // The skill point raises the skill a level; its new state goes out as a command
        // queued on the player by its skill services.
        if (skill && player->GetSkillPoints() != 0) {
            player->SubtractSkillPoint();
            skill->IncrementSkillLevel(1);
        }
    }
    if (!m_playerScripted && !CastArsenal(frame, *player, *monster) && !CastFireball(*player, *monster))
        Attack(*player, *monster);
    // The monster answers once it is attacked.
    if (const FightNotes* notes = GetFightNotes(*monster); notes && notes->attacked)
        Attack(*monster, *player);
}

void HostFight::AfterFrame(int frame)
{
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.GetObject<Player>(m_playerId);
    auto* monster = objects.GetObject<Monster>(m_monsterId);
    if (frame == kSpendPointFrame && player && monster)
        PrintStrength(frame, "after spending a point", *player, objects.GetObject<Skill>(m_playerSkillId));
    WatchProjectiles(frame);
    WatchSkills(frame);
    WatchDeath(frame);
    WatchCreatures(frame);
    WatchSlots(frame);
    m_loot.AfterFrame(frame, m_playerId);
    if (m_reportedReward || !player || !monster || monster->IsAlive())
        return;
    m_reportedReward = true;
    std::printf("fight: frame %d: the player's experience rises from %u to %u for the monster (reward %u)\n", frame,
                m_experienceBefore, player->GetExperiencePoints(), monster->GetExperienceReward(m_playerId));
}

bool HostFight::CastFireball(Character& player, Character& target)
{
    auto* fireball = ObjectManager::Get().GetObject<SkillActivated>(m_fireballId);
    SkillServicesBase* services = player.GetSkillManager().GetSkillServices();
    if (!fireball || !services || !player.IsAlive() || !target.IsAlive())
        return false;
    // One fireball at a time, when the cooldown is over and the mana suffices.
    for (const auto& [id, watched] : m_projectiles)
        if (const auto* projectile = ObjectManager::Get().GetObject<ProjectileBase>(id);
            projectile && projectile->GetInfo().skillId == m_fireballId)
            return true;
    if (player.GetCurrentMana() < fireball->GetManaCost())
        return false;
    if (fireball->GetCooldownRemaining() > 0)
        return true;
    const CharacterActionHandler* handler = player.GetActionHandler();
    if (handler && handler->IsActive() && handler->GetActionType() != CharacterActionType_Idle)
        return true;   // a strike under way ends first
    const WorldVec3 aim = target.GetPathPosition();
    std::printf("fight: frame %d: the player casts %s at %s, %.2f units away (mana %.1f)\n", gFightFrame,
                HostName(fireball).c_str(), Who(target).c_str(),
                (aim - player.GetPathPosition()).Length(), player.GetCurrentMana());
    FireSkill(player, *services, *fireball, player.GetSkillReferenceNumber(m_fireballId), target.GetObjectId(), aim);
    return true;
}

bool HostFight::CastNow(Character& player, uint32_t skillId, uint32_t targetId, const WorldVec3& aim)
{
    auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId);
    SkillServicesBase* services = player.GetSkillManager().GetSkillServices();
    if (!services || !Ready(player, skill))
        return false;
    const uint32_t reference = player.GetSkillReferenceNumber(skillId);
    const auto* target = ObjectManager::Get().GetObject<Character>(targetId);
    std::printf("fight: frame %d: the player uses %s (reference %u) on %s (%u) (mana %.1f)\n", gFightFrame,
                SkillName(skillId).c_str(), reference, target ? Who(*target).c_str() : "the player itself",
                target ? targetId : player.GetObjectId(), player.GetCurrentMana());
    FireSkill(player, *services, *skill, reference, targetId, aim);
    return true;
}

bool HostFight::CastCharge(Character& player, Character& target)
{
    auto* charge = ObjectManager::Get().GetObject<Skill_AttackWeaponCharge>(m_chargeId);
    if (!charge || !Ready(player, charge) || !charge->IsTargetInRange(player, target.GetObjectId(), kChargeReach) ||
        !charge->WarmUpStart())
        return false;
    std::printf("fight: frame %d: the player warms up %s\n", gFightFrame, SkillName(m_chargeId).c_str());
    m_chargeCast = CastNow(player, m_chargeId, target.GetObjectId(), target.GetPathPosition());
    charge->WarmUpEnd();
    return m_chargeCast;
}

bool HostFight::CastArsenal(int frame, Character& player, Character& target)
{
    if (!player.IsAlive() || !target.IsAlive())
        return false;
    const CharacterActionHandler* handler = player.GetActionHandler();
    if (handler && handler->IsActive() && handler->GetActionType() != CharacterActionType_Idle)
        return false;
    if (frame == kWardFrame)
        return CastNow(player, m_wardId, 0, player.GetPathPosition());
    if (frame >= kDispelFrame && !m_dispelCast &&
        (m_dispelCast = CastNow(player, m_dispelId, target.GetObjectId(), target.GetPathPosition())))
        return true;
    const float apart = (target.GetPathPosition() - player.GetPathPosition()).Length();
    if (frame >= kNovaFrame && !m_novaCast && apart <= kNovaReach &&
        (m_novaCast = CastNow(player, m_novaId, 0, player.GetPathPosition())))
        return true;
    if (frame >= kChargeFrame && !m_chargeCast && CastCharge(player, target))
        return true;
    // The rally and the shield once each, at the first frame they can go out.
    for (auto [from, id] : {std::pair{kRallyFrame, m_rallyId}, std::pair{kShieldFrame, m_shieldId}})
        if (frame >= from && !m_switchOn.count(id) && CastNow(player, id, 0, player.GetPathPosition())) {
            m_switchOn[id] = false;   // used: watched from now on
            return true;
        }
    const auto* hex = ObjectManager::Get().GetObject<Skill_AttackBuff>(m_hexId);
    if (!hex || target.GetSkillManager().IsSkillBuffActive(hex->GetBuffSkillName()) ||
        (target.GetPathPosition() - player.GetPathPosition()).Length() > kHexReach)
        return false;
    return CastNow(player, m_hexId, target.GetObjectId(), target.GetPathPosition());
}

namespace {

struct IsLightning : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity->IsA<Lightning>(); }
};

}  // namespace

void HostFight::WatchSkills(int frame)
{
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.GetObject<Player>(m_playerId);
    // The switched skills (the ward from its frame, the rally and the shield once used):
    // each switch, the mana while on, and what the shield's pool has left after a blow.
    for (uint32_t id : {m_wardId, m_rallyId, m_shieldId}) {
        const auto* skill = objects.GetObject<Skill>(id);
        if (!skill || !player || (id != m_wardId && !m_switchOn.count(id)))
            continue;
        const bool on = skill->GetActiveState().active;
        if (on != m_switchOn[id])
            std::printf("fight: frame %d: the player's %s is %s (mana %.1f)\n", frame, SkillName(id).c_str(),
                        on ? "on" : "off", player->GetCurrentMana());
        else if (on && frame % kWatchEvery == 0)
            std::printf("fight: frame %d: the %s holds (mana %.1f)\n", frame, SkillName(id).c_str(),
                        player->GetCurrentMana());
        m_switchOn[id] = on;
        const auto* shield = DynamicCast<const Skill_BuffSelfShield>(skill);
        if (!shield || shield->GetShieldLeft() == m_shieldPool)
            continue;
        std::printf("fight: frame %d: the player's %s pool %.1f -> %.1f\n", frame, SkillName(id).c_str(), m_shieldPool,
                    shield->GetShieldLeft());
        m_shieldPool = shield->GetShieldLeft();
    }
    // The buffs of the player and the monster, with their life.
    std::map<std::pair<std::string, std::string>, int> held;
    for (uint32_t id : {m_playerId, m_monsterId}) {
        auto* character = objects.GetObject<Character>(id);
        if (!character)
            continue;
        std::vector<SkillManager::_SkillBuffReplica> buffs;
        character->GetSkillManager().GetSkillBuffReplica(buffs);
        for (const auto& buff : buffs)
            held[{Who(*character), HostSkillName(buff.buff.skillName)}] = buff.durationMs;
    }
    for (const auto& [key, left] : held) {
        const auto& [who, name] = key;
        if (!m_heldBuffs.count(key))
            std::printf("fight: frame %d: %s takes the buff %s for %d ms\n", frame, who.c_str(), name.c_str(), left);
        else if (frame % kWatchEvery == 0)
            std::printf("fight: frame %d: %s's buff %s has %d ms left\n", frame, who.c_str(), name.c_str(), left);
    }
    for (const auto& [key, left] : m_heldBuffs)
        if (!held.count(key))
            std::printf("fight: frame %d: %s's buff %s is removed\n", frame, key.first.c_str(), key.second.c_str());
    m_heldBuffs = std::move(held);
    // The chain's links: each bolt from where it leaves to where it strikes, and its end.
    std::vector<Entity*> found;
    World::Get().GetEntities(found, IsLightning(), EntityList_All);
    for (auto& [id, seen] : m_links)
        seen = false;
    for (Entity* entity : found) {
        const auto* bolt = static_cast<const Lightning*>(entity);
        auto [entry, added] = m_links.try_emplace(bolt->GetObjectId(), true);
        entry->second = true;
        if (!added)
            continue;
        // A lightning whose record draws no bolt never sets its line: it is told by where it stands.
        if (bolt->GetPolylines().empty()) {
            const Vec3 at = bolt->GetCoords().GetRegionCoords().origin;
            std::printf("fight: frame %d: lightning link %u at (%.2f, %.2f, %.2f), drawing no bolt\n", frame,
                        bolt->GetObjectId(), at.x, at.y, at.z);
            continue;
        }
        const Vec3 from = bolt->GetLineSource().GetRegionPosition();
        const Vec3 to = bolt->GetLineTarget().GetRegionPosition();
        std::printf("fight: frame %d: lightning link %u from (%.2f, %.2f, %.2f) to (%.2f, %.2f, %.2f)\n", frame,
                    bolt->GetObjectId(), from.x, from.y, from.z, to.x, to.y, to.z);
    }
    for (auto it = m_links.begin(); it != m_links.end();) {
        if (it->second) {
            ++it;
            continue;
        }
        std::printf("fight: frame %d: lightning link %u is gone\n", frame, it->first);
        it = m_links.erase(it);
    }
}

namespace {

struct IsProjectile : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return entity->IsA<ProjectileBase>(); }
};

// A projectile by the skill that fired it ("Fireball"), a fragment it split into as such
// ("fragment of Fireball"); its record's name when no skill stands behind it (a boulder).
std::string ProjectileName(const ProjectileBase& projectile)
{
    const auto* skill = ObjectManager::Get().GetObject<Skill>(projectile.GetInfo().skillId);
    if (!skill)
        return GetFileName(projectile.GetObjectName(), true);
    const LoadTable* record = ObjectManager::Get().LoadTableFile(skill->GetObjectName());
    const char* fragments = record ? record->GetString("projectileFragmentsName", "") : "";
    return (*fragments && PathEqualsNoCase(fragments, projectile.GetObjectName().c_str()) ? "fragment of " : "") +
           HostName(skill);
}

std::string NameOf(uint32_t id)
{
    const auto* character = ObjectManager::Get().GetObject<Character>(id);
    return character ? Who(*character) : std::string("something gone");
}

}  // namespace

void HostFight::WatchProjectiles(int frame)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, IsProjectile(), EntityList_All);
    for (auto& [id, watched] : m_projectiles)
        watched.seen = false;
    for (Entity* entity : found) {
        auto* projectile = static_cast<ProjectileBase*>(entity);
        const uint32_t id = projectile->GetObjectId();
        const Vec3 at = projectile->GetCoords().GetRegionCoords().origin;
        const std::string record = ProjectileName(*projectile);
        auto [entry, added] = m_projectiles.try_emplace(id);
        Watched& watched = entry->second;
        watched.seen = true;
        if (added) {
            const Vec3 heading = projectile->GetLinearVelocity();
            if (heading.Length() > 0.0f)
                std::printf("fight: frame %d: projectile %u (%s) flies from (%.2f, %.2f, %.2f) at %.2f units/s, heading "
                            "(%.2f, %.2f, %.2f)\n",
                            frame, id, record.c_str(), at.x, at.y, at.z, heading.Length(), heading.x, heading.y,
                            heading.z);
            else   // a boulder waiting to be thrown
                std::printf("fight: frame %d: projectile %u (%s) lies still at (%.2f, %.2f, %.2f)\n", frame, id,
                            record.c_str(), at.x, at.y, at.z);
        } else if ((at - watched.at).Length() > 0.0f) {
            std::printf("fight: frame %d: projectile %u (%s) at (%.2f, %.2f, %.2f)\n", frame, id, record.c_str(), at.x,
                        at.y, at.z);
        }
        watched.at = at;
        // The targets its modifiers know: at first sight those it was told to leave out
        // (a fragment never reports the creature it burst from), later those it reported.
        std::vector<uint32_t> reported;
        for (const auto& modifier : projectile->GetModifiers())
            reported.insert(reported.end(), modifier->knownTargets.begin(), modifier->knownTargets.end());
        if (added) {
            for (uint32_t left : reported)
                std::printf("fight: frame %d: projectile %u leaves out %s (%u)\n", frame, id, NameOf(left).c_str(),
                            left);
            watched.reported = reported.size();
        }
        for (size_t i = watched.reported; i < reported.size(); ++i)
            std::printf("fight: frame %d: projectile %u reports %s (%u) as its target\n", frame, id,
                        NameOf(reported[i]).c_str(), reported[i]);
        watched.reported = std::max(watched.reported, reported.size());
    }
    for (auto it = m_projectiles.begin(); it != m_projectiles.end();) {
        if (it->second.seen) {
            ++it;
            continue;
        }
        std::printf("fight: frame %d: projectile %u is gone\n", frame, it->first);
        it = m_projectiles.erase(it);
    }
}

void HostFight::WatchCreatures(int frame)
{
    const auto* generator = ObjectManager::Get().GetObject<Skill_MonsterGenerator>(m_generatorId);
    if (!generator)
        return;
    for (uint32_t id : {generator->GetFirstCreature(), generator->GetSecondCreature()}) {
        auto* creature = ObjectManager::Get().GetObject<Monster>(id);
        if (!creature || std::find(gCreatures.begin(), gCreatures.end(), id) != gCreatures.end())
            continue;
        // Driven here like the bystanders: it stands still and dies when its life is gone.
        if (!GiveController(*creature))
            continue;
        gCreatures.push_back(id);
        const Vec3 at = creature->GetCoords().GetRegionCoords().origin;
        std::printf("fight: frame %d: the summoner's creature %u (%s) stands at (%.2f, %.2f, %.2f)\n", frame, id,
                    HostName(creature).c_str(), at.x, at.y, at.z);
    }
}

void HostFight::WatchSlots(int frame)
{
    auto* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player)
        return;
    const SlotManager& slots = player->GetAttackSlots();
    std::string held;
    for (int i = 0; i < slots.GetNumSlots(); ++i) {
        const auto* holder = ObjectManager::Get().GetObject<Character>(slots.GetSlotHolder(i));
        if (!holder)
            continue;
        held += std::string(held.empty() ? "" : ", ") + Who(*holder) + " in slot " + std::to_string(i);
    }
    if (held == m_slotsShown)
        return;
    m_slotsShown = held;
    std::printf("fight: frame %d: attack slots round the player: %s\n", frame, held.empty() ? "none held" : held.c_str());
}

void HostFight::WatchDeath(int frame)
{
    if (m_destroyedSeen || !m_monsterId)
        return;
    auto* monster = ObjectManager::Get().GetObject<Monster>(m_monsterId);
    if (!monster) {
        // Only a body whose death was seen counts as destroyed by it; removal and
        // destruction may fall in the same frame.
        m_destroyedSeen = true;
        if (!m_deathAnimationSeen)
            return;
        if (!m_removedSeen)
            std::printf("fight: frame %d: the monster's body is removed from the world\n", frame);
        m_removedSeen = true;
        std::printf("fight: frame %d: the monster's body is destroyed\n", frame);
        return;
    }
    const DeathManager* manager = monster->GetDeathManager();
    if (!manager || !manager->IsStarted())
        return;
    if (!m_deathAnimationSeen) {
        m_deathAnimationSeen = true;
        const AnimChannel* body = monster->GetAnimationChannel(0);
        std::printf("fight: frame %d: the monster's death starts (%zu death handlers): animation %s\n", frame,
                    manager->GetHandlerCount(), body && !body->animation.empty() ? body->animation.c_str() : "none");
    }
    if (!m_dissolveSeen && monster->GetMeshInstance().IsDissolving()) {
        m_dissolveSeen = true;
        std::printf("fight: frame %d: the monster starts to dissolve over %.1f s\n", frame,
                    monster->GetMeshInstance().GetDissolveSeconds());
    }
    // The dissolve's light, shown at each whole radius it shrinks through.
    for (size_t i = 0; i < manager->GetHandlerCount(); ++i) {
        const auto* dissolve = dynamic_cast<const DissolveActorDeathHandler*>(manager->GetHandler(i));
        if (!dissolve || !dissolve->GetDissolveLightId())
            continue;
        const auto* light = ObjectManager::Get().GetObject<Light>(dissolve->GetDissolveLightId());
        if (!light)
            continue;
        const int whole = static_cast<int>(std::ceil(light->GetRadius()));
        if (whole != m_lightRadiusShown) {
            m_lightRadiusShown = whole;
            std::printf("fight: frame %d: the dissolve light's radius is %.2f\n", frame, light->GetRadius());
        }
    }
    if (!m_dissolvedSeen && monster->GetMeshInstance().IsDissolving() && monster->GetMeshInstance().IsDissolved()) {
        m_dissolvedSeen = true;
        std::printf("fight: frame %d: the monster has dissolved\n", frame);
    }
    if (!m_removedSeen && !monster->IsInWorld()) {
        m_removedSeen = true;
        std::printf("fight: frame %d: the monster's body is removed from the world\n", frame);
    }
}

void HostFight::Stop()
{
    ObjectManager& objects = ObjectManager::Get();
    // The run ends with what the player did, as its statistics tell it.
    if (auto* player = objects.GetObject<Player>(m_playerId)) {
        // What the statistics' rates are measured over, which their lines do not say.
        PlayStats& stats = player->GetPlayStats();
        std::printf("gamehost: the player's play statistics follow, over its play time of %u s: \"Damage per "
                    "second\" is the damage of its latest play only (less than 6 s old) divided by 5; the other rates (\"whole "
                    "game\", experience, mana) divide the totals by the whole play time, shown to two decimals\n",
                    stats.GetPlayTimeInSeconds());
        // The console is the statistics display: the lines go where the line above went.
        stats.Display();
        for (const auto* lines : {&stats.GetRealTimeStrings(), &stats.GetLogStrings()})
            for (const std::string& line : *lines)
                std::printf("statistics:%s%s\n", line.empty() ? "" : " ", line.c_str());
    }
    // The characters take their controllers with them.
    for (uint32_t id : {m_playerId, m_monsterId, m_skillId, m_playerSkillId, m_fireballId})
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "HostFight", __LINE__);
    objects.FlushDestroyedObjects();
    m_playerId = m_monsterId = m_skillId = m_playerSkillId = m_fireballId = 0;
    m_projectiles.clear();
    for (uint32_t id : gBystanders)
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "HostFight", __LINE__);
    for (uint32_t id : gCreatures)
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "HostFight", __LINE__);
    objects.FlushDestroyedObjects();
    gBystanders.clear();
    gCreatures.clear();
    m_generatorId = 0;
    m_smiteId = m_hexId = m_wardId = m_shieldId = m_rallyId = m_dispelId = m_novaId = m_chargeId = 0;
    m_dispelCast = m_novaCast = m_chargeCast = false;
    m_switchOn.clear();
    m_heldBuffs.clear();
    m_links.clear();
}

}  // namespace GAME
