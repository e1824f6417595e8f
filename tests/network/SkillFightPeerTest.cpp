// A fight between two peers, each in its own process: the client's peer controls the
// player, the server's the monster, and each runs the same frames in lockstep, taking
// before every frame what the other sent in the last one (through the recording
// transport, carried over a socket pair). Each peer writes down what its game did: every
// attack taken (attacker, defender, skill, seed, damage), so the chain lightning's links
// too, the buffs put on and taken off, and the weapon pool's picks. The logs must be
// alike; per-frame values (regeneration, upkeep) are not compared.
#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "characters/CharacterWorldFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/characters/Player.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/session/GamePacketDispatch.h"
#include "tests/network/PacketTestUtil.h"
#include "tests/network/PeerProcess.h"

namespace GAME {

// An attack as a fighter took it: its first draws (which the attack's seed decides) and
// the life it cost.
struct TakenAttack {
    uint32_t attacker, defender;
    std::array<uint32_t, 3> draws;
    float damage;
};
inline std::vector<TakenAttack> gTaken;

template <class Base>
bool TakeNoted(Base& self, ParametersCombat& params)
{
    const float before = self.GetCurrentLife();
    const bool hit = self.Base::TakeAttack(params);
    gTaken.push_back({params.attackerId, self.GetObjectId(),
                      {params.randoms.Get(0), params.randoms.Get(1), params.randoms.Get(2)},
                      before - self.GetCurrentLife()});
    return hit;
}

class FightPlayer : public Player {
    GAME_DECLARE_CLASS(FightPlayer)
public:
    bool TakeAttack(ParametersCombat& params) override { return TakeNoted<Player>(*this, params); }
};
GAME_IMPLEMENT_CLASS(FightPlayer, Player)

class FightMonster : public Monster {
    GAME_DECLARE_CLASS(FightMonster)
public:
    bool TakeAttack(ParametersCombat& params) override { return TakeNoted<Monster>(*this, params); }
};
GAME_IMPLEMENT_CLASS(FightMonster, Monster)

namespace {

constexpr uint32_t kFightPlayerId = 0x10000001;   // a player of the client, host 1
constexpr int kFightClient = 1;
constexpr uint32_t kFightMonsterId = 0x0A000001;
constexpr int kFightFrames = 280;
constexpr int kFightFrameMs = 16;
// Every use starts: a strike, a spell and a self buff each have an animation.
const std::string kFightAnimations = "unarmedAttackAnim1,Swing.anm,\nunarmedAttackAnimWeight1,100,\n"
                                     "unarmedSpellAttackAnim,Swing.anm,\nunarmedBuffSelfAnim1,Swing.anm,\n"
                                     "unarmedBuffSelfWeight1,100,\n";
constexpr const char* kFightPool = "Records/Skills/Test/FightPool.dbr";
constexpr const char* kFightStrike = "Records/Skills/Test/FightStrike.dbr";
constexpr const char* kFightCurse = "Records/Skills/Test/FightCurse.dbr";
constexpr const char* kFightWard = "Records/Skills/Test/FightWard.dbr";

// A use of a skill: started, struck, ended.
struct FightUse {
    int frame;
    const char* skill;
    bool onPlayer;   // the target: the player, or else the monster
};
// The player swings its pool four times, strikes with the chain lightning and curses; the
// monster raises its ward, strikes and curses. Nothing changes a fighter within a frame of
// a blow on it, so the other peer's frame of delay changes no outcome.
const std::vector<FightUse> kFightPlayerUses = {{5, kFightPool, false},    {15, kFightPool, false},
                                                {25, kFightPool, false},   {35, kFightPool, false},
                                                {45, kFightStrike, false}, {80, kFightCurse, false}};
const std::vector<FightUse> kFightMonsterUses = {{10, kFightWard, false}, {20, kFightStrike, true},
                                                 {30, kFightStrike, true}, {60, kFightCurse, true},
                                                 {100, kFightStrike, true}};

std::string FightName(const std::string& record)
{
    const size_t slash = record.find_last_of("/\\");
    std::string name = record.substr(slash == std::string::npos ? 0 : slash + 1);
    return name.substr(0, name.rfind('.'));
}

class SkillFightPeerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RegisterGamePacketDispatch();
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        records.RegisterRecord("Records/Test/FightPlayer.dbr",
                               "Class,FightPlayer,\ncharacterLife,2000,\ncharacterMana,200,\n" + kFightAnimations);
        records.RegisterRecord("Records/Test/FightMonster.dbr",
                               "Class,FightMonster,\ncharacterLife,2000,\ncharacterMana,100,\n" + kFightAnimations);
    }
    // The same scene on each peer, made as that peer makes it: the characters carry the
    // same ids on both, as replicated characters would.
    void BuildScene()
    {
        gTaken.clear();
        player = Fighter("Records/Test/FightPlayer.dbr", kFightPlayerId, 0.0f, kTeamMajorHuman);
        monster = Fighter("Records/Test/FightMonster.dbr", kFightMonsterId, 1.5f, kTeamMajorMonster);
        // Two bystanders for the chain lightning to jump to.
        first = Fighter("Records/Test/FightMonster.dbr", kFightMonsterId + 1, 4.5f, kTeamMajorMonster);
        second = Fighter("Records/Test/FightMonster.dbr", kFightMonsterId + 2, 8.0f, kTeamMajorMonster);
        // The pool carries damage of its own, which its pooled attacks share on every peer.
        Learn(player, {kFightPool, "Records/Skills/WeaponPool/PooledCleave.dbr",
                       "Records/Skills/WeaponPool/PooledLunge.dbr", kFightStrike,
                       "Records/Skills/ArenaChainLightning.dbr", kFightCurse});
        Learn(monster, {kFightStrike, kFightCurse, kFightWard});
        names = {{player->GetObjectId(), "player"}, {monster->GetObjectId(), "monster"},
                 {first->GetObjectId(), "first"}, {second->GetObjectId(), "second"}};
        gGameEngine->GetRandomGen().Seed(2611);
        gEngine->UpdateFrame(kFightFrameMs);   // every fighter's first update
    }
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetTransport(nullptr);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        CharacterWorldTest::TearDown();
    }
    Character* Fighter(const char* record, uint32_t id, float x, uint32_t major)
    {
        auto* fighter = ObjectManager::Get().CreateObjectFromFile<Character>(record, id);
        EXPECT_NE(fighter, nullptr);
        EXPECT_TRUE(World::Get().AddEntity(fighter, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0},
                                                                                           {0, 1, 0}))));
        Team team;
        team.Set(major, 1);
        fighter->SetTeam(team);
        return fighter;
    }
    static void Learn(Character* fighter, const std::vector<std::string>& skills)
    {
        LoadTable tree;
        for (size_t i = 0; i < skills.size(); ++i) {
            tree.SetValue(("skillName" + std::to_string(i + 1)).c_str(), skills[i]);
            tree.SetValue(("skillLevel" + std::to_string(i + 1)).c_str(), "1");
        }
        fighter->GetSkillManager().LoadSkills(tree, static_cast<uint32_t>(skills.size()));
    }

    // The peer's whole fight; its log, a line each, grouped by what it tells (see Log).
    std::string Fight(bool server, int end)
    {
        peer.Join(*engine, server, kFightClient, end);
        BuildScene();
        Character* own = server ? monster : player;
        own->GetSkillManager().SetAsControllingManager();
        Character* theirs = server ? player : monster;
        for (int frame = 1; frame <= kFightFrames; ++frame) {
            // A use runs on every peer, as the attack's action does: here at once, on the
            // other peer when its action arrives, a frame later. Only the controlling
            // peer's use sends what it does.
            for (const FightUse& use : server ? kFightMonsterUses : kFightPlayerUses)
                if (use.frame == frame)
                    Act(*own, use);
            for (const FightUse& use : server ? kFightPlayerUses : kFightMonsterUses)
                if (use.frame + 1 == frame)
                    Act(*theirs, use);
            gEngine->UpdateFrame(kFightFrameMs);
            NoteBuffs();
            if (!peer.Exchange([this](const std::vector<unsigned char>& bytes) { commands.push_back(bytes); }))
                return "the other peer is gone";
        }
        return Log();
    }
    void Act(Character& user, const FightUse& use)
    {
        SkillManager& manager = user.GetSkillManager();
        const uint32_t skillId = manager.FindSkillId(use.skill);
        const uint32_t number = user.GetSkillReferenceNumber(skillId);
        const Character* target = use.onPlayer ? player : monster;
        const WorldVec3 at = target->GetCoords().GetPosition();
        const uint32_t seed = 7919u * static_cast<uint32_t>(use.frame) % 0x10000u;   // the action's seed
        if (!manager.StartSkill(number, target->GetObjectId(), at, seed, TargetLeadingData{}))
            lines.push_back("uses by " + names[user.GetObjectId()] + ": " + FightName(use.skill) + " did not start");
        if (const auto* pool = ObjectManager::Get().GetObject<SkillActivatedWeaponPool>(skillId)) {
            const Skill* pick = ObjectManager::Get().GetObject<Skill>(pool->GetChosenAttackId());
            lines.push_back("picks by " + names[user.GetObjectId()] + ": " +
                            (pick ? FightName(pick->GetObjectName()) : "none"));
        }
        manager.HandleSkillAnimationCallback(Name("RightHandHit"), number, target->GetObjectId(), at);
        manager.HandleSkillAnimationCallback(Name("End"), number, target->GetObjectId(), at);
    }
    // The buffs on each fighter and whether the ward is up, against the last frame's.
    void NoteBuffs()
    {
        for (const auto& [id, name] : names) {
            const SkillManager& manager = ObjectManager::Get().GetObject<Character>(id)->GetSkillManager();
            std::vector<std::string> now;
            for (uint32_t buffId : manager.GetUITempSkillList())
                if (const Skill* buff = ObjectManager::Get().GetObject<Skill>(buffId))
                    now.push_back(FightName(buff->GetObjectName()));
            const auto* ward = ObjectManager::Get().GetObject<Skill>(manager.FindSkillId(kFightWard));
            if (ward && ward->GetActiveState().active)
                now.push_back("FightWard switched on");
            std::vector<std::string>& before = buffs[name];
            for (const std::string& buff : now)
                if (std::find(before.begin(), before.end(), buff) == before.end())
                    lines.push_back("buffs on " + name + ": + " + buff);
            for (const std::string& buff : before)
                if (std::find(now.begin(), now.end(), buff) == now.end())
                    lines.push_back("buffs on " + name + ": - " + buff);
            before = now;
        }
    }
    // The attacks taken, each named by the skill result whose seed drew it (every target of
    // a result draws in turn from one generator; every link of a chain from a fresh one),
    // or as a debuff's tick (seeded with its holder's id).
    std::string Log()
    {
        std::map<std::array<uint32_t, 4>, std::string> origins;
        auto draw = [](RandomUniform& random, uint32_t attacker) {
            const ParametersCombat params(random);
            return std::array<uint32_t, 4>{attacker, params.randoms.Get(0), params.randoms.Get(1),
                                           params.randoms.Get(2)};
        };
        for (const auto& bytes : commands) {
            SkillTargetResultConfigCmdPacket result;
            NetPacketType type = 0;
            if (!NetPacketRegistry::PeekType(bytes.data(), bytes.size(), type) ||
                type != SkillTargetResultConfigCmdPacket::kType || !ReadInto(result, bytes))
                continue;
            const auto* user = ObjectManager::Get().GetObject<Character>(result.actorId.GetId());
            const Skill* skill = user ? ObjectManager::Get().GetObject<Skill>(
                                            user->GetSkillManager().GetSkillIdFromReference(result.skillNumber))
                                      : nullptr;
            const std::string text = (skill ? FightName(skill->GetObjectName()) : "?") + " seed " +
                                     std::to_string(result.seed);
            RandomUniform random;
            random.Seed(result.seed);
            for (size_t k = 0; k < result.targetIds.GetIds().size(); ++k)
                origins.emplace(draw(random, result.actorId.GetId()), text);
        }
        for (const auto& [holder, holderName] : names)
            for (const auto& [caster, casterName] : names) {
                RandomUniform random;
                random.Seed(holder);
                origins.emplace(draw(random, caster), "tick");
            }
        char damage[32];
        for (const TakenAttack& attack : gTaken) {
            const auto found = origins.find({attack.attacker, attack.draws[0], attack.draws[1], attack.draws[2]});
            std::snprintf(damage, sizeof damage, "%.3f", attack.damage);
            lines.push_back("attacks by " + names[attack.attacker] + ": on " + names[attack.defender] + ", " +
                            (found == origins.end() ? "unknown" : found->second) + ", damage " + damage);
        }
        // Grouped by what each line tells, in order within its group: the two peers apply
        // the other's commands a frame late, so only the order within a group is shared.
        std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
            return a.substr(0, a.find(':')) < b.substr(0, b.find(':'));
        });
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }

    LockstepPeer peer;
    std::vector<std::vector<unsigned char>> commands;   // every packet this peer sent or took
    std::vector<std::string> lines;
    std::map<uint32_t, std::string> names;
    std::map<std::string, std::vector<std::string>> buffs;
    Character *player = nullptr, *monster = nullptr, *first = nullptr, *second = nullptr;
};

TEST_F(SkillFightPeerTest, BothPeersSeeTheSameFight)
{
    int ends[2] = {-1, -1};
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    PeerProcess client(ends[1], [&] {
        close(ends[0]);
        return Fight(false, ends[1]);
    });
    const std::string served = Fight(true, ends[0]);
    while (!client.IsDone())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(client.GetReport(), served);
    // The fight has what it is for: both fighters strike, the chain jumps to both
    // bystanders, each curse comes and goes, and so does the ward.
    for (const char* part : {"attacks by monster: on player, FightStrike", "attacks by player: on monster, FightStrike",
                             "on first, ArenaChainLightning", "on second, ArenaChainLightning",
                             "buffs on monster: + fightcursebuff", "buffs on monster: - fightcursebuff",
                             "buffs on player: + fightcursebuff", "buffs on player: - fightcursebuff",
                             "buffs on monster: + FightWard", "buffs on monster: - FightWard", "unknown"})
        EXPECT_EQ(served.find(part) != std::string::npos, std::string(part) != "unknown") << part;
    // Each pick of the player's pool is the pooled attack that struck.
    std::vector<std::string> picks, pooled;
    for (size_t at = 0; (at = served.find("picks by player: ", at)) != std::string::npos; ++at) {
        const size_t from = at + std::string("picks by player: ").size();
        if (const std::string pick = served.substr(from, served.find('\n', from) - from); pick != "none")
            picks.push_back(pick);
    }
    for (size_t at = 0; (at = served.find("attacks by player: on monster, ", at)) != std::string::npos; ++at) {
        const size_t from = at + std::string("attacks by player: on monster, ").size();
        const std::string skill = served.substr(from, served.find(' ', from) - from);
        if (skill == "PooledCleave" || skill == "PooledLunge" || skill == "DefaultWPBasicAttack")
            pooled.push_back(skill);
    }
    EXPECT_EQ(picks, pooled);
}

}  // namespace
}  // namespace GAME
