// A small staged fight for the bundled run: a player and a monster stand apart in one
// region, each driven by its own controller. The player is handed an attack on the
// monster that first runs it there along a path; the monster strikes back once it is
// attacked; each fighter gets a new attack whenever its action handler is idle. The
// strikes go through each fighter's default attack and its pool, landing on the attack
// animation's hit event; a fighter whose life is gone is handed its death, and the player
// is rewarded for the monster's. The player wears an outfit with a sword and a
// shield, the monster armour whose retaliation answers the player's blows and a mace; each fighter knows a passive skill, and the player
// raises its own a level early on, its new state travelling as a command. The player's
// strikes are fireballs while its mana and the cooldown allow (bare hands otherwise): each
// cast goes out as a projectile creation command, and the fireball's flight, the fragments
// it bursts into, the targets it reports and the damage they take are printed. The player's
// arsenal adds two weighted pooled attacks to its plain strikes (each pick printed), a
// smite with a chain lightning whose links are printed, a hex ticking on the monster, a
// ward that pays mana upkeep and absorbs blows until the mana runs out, a rally that hands
// the players around it a buff each second while it lasts, and a shield whose pool the
// monster's blows spend. One bystander is a summoner whose generator keeps two creatures
// beside it.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <string>

#include "Engine/Math.h"
#include "Game/core/foundation/RandomUniform.h"
#include "host/HostLoot.h"
#include "host/HostOutfit.h"

namespace GAME {

class Character;
class Player;
class WorldVec3;

class HostFight {
public:
    // Places the two fighters with their controllers; false when the game has no combat
    // record or a fighter cannot be made. With `loadPath`, the player is the character
    // saved there (its name, levels, money, outfit, skills and bags), read over the fresh
    // one before its first update; a save that does not read refuses the run and returns
    // false.
    bool Start(const std::string& loadPath = {});
    // A client's part: only its own player, named `name` (or the character saved at
    // `loadPath`), placed in the arena at `where`; the server's characters come over the
    // network. False as for Start.
    bool StartGuest(const std::u16string& name, const Vec3& where, const std::string& loadPath = {});
    // Before the game starts: why the fight cannot be made from its records (the player's
    // and the combat record, and unless `guest` the monster's, the bystanders' and their
    // minds', then CheckGameRecords), as HostCheckRecord says it; empty when it can.
    static std::string CheckRecords(bool guest);
    // Why a game cannot be played from the data folder's records: the game's own record, the
    // ones every character reads (the regeneration, the score, the default minds and
    // attacks, the attribute tables, the player's levels) and the others its rules read,
    // each there and readable; empty when they are.
    static std::string CheckGameRecords();
    // The two skills the fight gives the player, at level 0, for a saved player read back:
    // its save gives them their levels.
    static void AddPlayerSkills(Player& player);
    // The same at the levels the fight gives a new player (the fireball at its level): what
    // such a player holds before it spends a point.
    static void AddPlayerSkillsAtTheirLevels(Player& player);
    uint32_t GetPlayerId() const { return m_playerId; }
    uint32_t GetMonsterId() const { return m_monsterId; }
    // Before the frame: hands each fighter its next attack.
    void Update(int frame, int ms);
    // The player is steered by scripted clicks (host/HostInput.h): the host no longer
    // strikes and casts for it; the monster still answers.
    void SetPlayerScripted(bool scripted) { m_playerScripted = scripted; }
    // After the frame: reports the reward once the monster has died, and the monsters'
    // loot: what they wear, what falls from them, the gold pile the player takes.
    void AfterFrame(int frame);
    // The loot that came to lie in the world, looked at between two received packets.
    void WatchDrops(int frame) { m_loot.WatchDrops(frame); }
    // The player has taken the gold pile of the loot (host/HostLoot.h).
    bool LootPileTaken() const { return m_loot.PileTaken(); }
    void Stop();

private:
    bool m_playerScripted = false;
    // Hands the fighter an attack on the opponent when both live and its handler is idle;
    // out of reach, the attack carries the run to the opponent.
    void Attack(Character& attacker, Character& target);
    // The monster's body after its death, polled once a frame: its death animation, its
    // dissolve and light, its removal from the world and its destruction, each printed.
    void WatchDeath(int frame);
    // Casts the fireball at the target when the skill may be used and none of its
    // projectiles flies; false when the player strikes bare-handed instead.
    bool CastFireball(Character& player, Character& target);
    // The projectiles in the world, polled once a frame: each new one (shot or fragment),
    // its place, each target it reports to a skill, and its end.
    void WatchProjectiles(int frame);
    // The player's arsenal, used before the fireball: the ward switched on at its frame,
    // the rally and the shield once each from theirs, the frost nova and the charge once
    // each when the monster is in their reach, the hex on a monster in reach that carries
    // none. True when a cast went out.
    bool CastArsenal(int frame, Character& player, Character& target);
    // The player's skill `skillId` used at once on `targetId` (0: on itself), its command
    // printed; false when it cannot be paid or waits for its cooldown.
    bool CastNow(Character& player, uint32_t skillId, uint32_t targetId, const WorldVec3& aim);
    // Warms the charge up and strikes the target with it; true when it went out.
    bool CastCharge(Character& player, Character& target);
    // The skill of the attacker's next strike: the smite when the player may use it, else
    // the default attack through its pool.
    uint32_t StrikeSkill(Character& attacker) const;
    // Once a frame: the switches of the ward, rally and shield with the mana under them
    // and the shield's pool, the player's and monster's buffs taken and lost with their
    // life, and the lightning links of the chain.
    void WatchSkills(int frame);
    // Once a frame: each new creature of the summoner's generator, given a controller of
    // the host's, and where it stands.
    void WatchCreatures(int frame);
    // Once a frame: who holds the attack slots round the player, when that changed.
    void WatchSlots(int frame);

    // What was printed of one projectile.
    struct Watched {
        bool seen = false;
        size_t reported = 0;   // targets reported to its skills so far
        Vec3 at{};             // where it was last seen
    };

    uint32_t m_playerId = 0;
    uint32_t m_monsterId = 0;
    uint32_t m_skillId = 0;
    uint32_t m_playerSkillId = 0;
    uint32_t m_fireballId = 0;
    // The arsenal's skills on the player (object ids).
    uint32_t m_smiteId = 0;
    uint32_t m_hexId = 0;
    uint32_t m_wardId = 0;
    uint32_t m_shieldId = 0;
    uint32_t m_rallyId = 0;
    std::map<uint32_t, bool> m_switchOn;         // switched skill used -> whether on
    float m_shieldPool = 0.0f;                   // what the shield had left when last seen
    // (the player or the monster, a buff it holds) -> the buff's time left (ms)
    std::map<std::pair<std::string, std::string>, int> m_heldBuffs;
    uint32_t m_dispelId = 0;
    uint32_t m_generatorId = 0;   // the summoner's generator (object id)
    bool m_dispelCast = false;
    // The frost nova's ring and the warmed-up charge, once each.
    uint32_t m_novaId = 0;
    bool m_novaCast = false;
    uint32_t m_chargeId = 0;
    bool m_chargeCast = false;
    std::map<uint32_t, bool> m_links;            // lightning links -> still seen
    std::map<uint32_t, Watched> m_projectiles;
    uint32_t m_experienceBefore = 0;
    bool m_reportedReward = false;
    // What of the monster's death has been printed so far.
    bool m_deathAnimationSeen = false;
    bool m_dissolveSeen = false;
    bool m_dissolvedSeen = false;
    bool m_removedSeen = false;
    bool m_destroyedSeen = false;
    int m_lightRadiusShown = -1;   // the last whole radius printed
    std::string m_slotsShown;      // the holders of the player's attack slots, as last printed
    // The source of the attacks' seeds: fixed, so every run strikes alike.
    RandomUniform m_attackSeeds;
    HostOutfit m_outfit;
    HostLoot m_loot;
};

}  // namespace GAME
