// Reward sharing on the host: a reward earned near several players is shared among
// them by the four formulas of the bonus sharing record, weighted by each one's
// party's share of the damage done to the creature, and each part is sent to its player.

#include <algorithm>
#include <string>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/PlayerManagerSettings.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/OneShot.h"

namespace GAME {

namespace {

// A formula that is absent (no text, or a text that did not parse) gives `fallback`.
uint32_t EvaluateShare(const std::unique_ptr<DesignerEquation<float>>& equation, float fallback)
{
    return TruncateToUnsigned(equation ? (*equation)() : fallback);
}

// Experience weighted by a damage share, in whole points.
uint32_t WeightedExperience(uint32_t experience, float share)
{
    return TruncateToUnsigned(static_cast<float>(experience) * share);
}

// Whether a reported bonus carries anything but gold.
bool CarriesMoreThanGold(const Bonus& bonus)
{
    return bonus.lifePoints != 0.0f || bonus.lifePercent != 0.0f || bonus.manaPoints != 0.0f ||
           bonus.manaPercent != 0.0f || bonus.skillPoints != 0 || bonus.attributePoints != 0 ||
           bonus.experiencePoints != 0 || bonus.source != 0;
}

// A gold pile of exactly `gold` lying in this machine's world within the sharing radius
// of `where`; null when there is none.
OneShot_Gold* FindGoldPileNear(const WorldVec3& where, uint32_t gold)
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, where.GetRegion(), Sphere{where.GetRegionPosition(), kBonusSharingRadius},
                                     EntityList_All);
    for (Entity* entity : found) {
        OneShot_Gold* pile = DynamicCast<OneShot_Gold>(entity);
        if (pile && pile->IsInWorld() && pile->GetGoldValue() == gold)
            return pile;
    }
    return nullptr;
}

// Through the drop log, a kind for each reason: a flood of refused reports costs their
// sender a line a second.
bool RefuseReport(uint32_t earner, const char* reason)
{
    const std::string format = std::string("bonus reported for player %u refused: ") + reason;
    return NetPacketRegistry::DropHandled("PlayerManagerServer", format.c_str(), earner);
}

}  // namespace

void PlayerManagerServer::LoadEquations()
{
    struct Slot {
        const char* key;
        std::unique_ptr<DesignerEquation<float>> PlayerManagerServer::*equation;
        const char* name;
    };
    static constexpr Slot kSlots[] = {
        {"ActiveExperience", &PlayerManagerServer::m_activeExperienceEquation, "activeExperienceEquation"},
        {"PassiveExperience", &PlayerManagerServer::m_passiveExperienceEquation, "passiveExperienceEquation"},
        {"ActiveGold", &PlayerManagerServer::m_activeGoldEquation, "activeGoldEquation"},
        {"PassiveGold", &PlayerManagerServer::m_passiveGoldEquation, "passiveGoldEquation"},
    };
    const LoadTable& table = ObjectManager::Get().GetRecordOrEmpty(kBonusSharingRecordName);
    for (const Slot& slot : kSlots) {
        std::unique_ptr<DesignerEquation<float>>& equation = this->*slot.equation;
        equation.reset();
        const char* text = table.GetString(slot.key, "");
        if (text[0] == '\0')
            continue;
        equation = std::make_unique<DesignerEquation_Algebra>();
        if (!equation->ParseEquation(text, this)) {
            gEngine->Log(LOG_WARNING, "-=- Equation Load Failure: %s", slot.name);
            equation.reset();
        }
    }
}

// The formulas read the three variables in place; EvaluateShares sets them before it
// evaluates.
DesignerVariableSlot<float> PlayerManagerServer::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    return FindDesignerVariable<float>(name, {
        {"amountOfGold", Slot::Of(m_amountOfGold)},
        {"amountOfExperience", Slot::Of(m_amountOfExperience)},
        {"evaluatingPartyMemberCount", Slot::Of(m_evaluatingPartyMemberCount)},
    });
}

float PlayerManagerServer::GetExperienceMultiplier(uint32_t player, uint32_t source) const
{
    if (!gGameEngine)
        return 0.0f;
    const float damage = gGameEngine->GetDamageByAttacker(player, source);
    return damage > 0.0f ? damage / gGameEngine->GetTotalDamageDone(source) : 0.0f;
}

void PlayerManagerServer::HandleBonus(const Bonus& bonus, const WorldVec3& where, const uint32_t& earner)
{
    const Monster* source = ObjectManager::Get().GetObject<Monster>(bonus.source);
    GameEngineNetworkInterface* network = GetNetworkInterface();
    if (!network)
        return;
    if (m_players.size() == 1)
        ShareAlone(bonus, source, earner, *network);
    else if (m_players.size() > 1)
        ShareAmongNearby(bonus, source, where, earner, *network);
}

// The only reward the game lets a machine report for its player is a gold pile that the
// player picked up (OneShot_Gold::Use). Every other reward is this host's own: it shares a
// creature's experience and gold when it sees the creature die, and life, mana, skill and
// attribute points are taken where they are earned and never reported. So a report keeps
// its gold alone (experience from a kill the host did not see, points, life and mana are
// dropped), and a player of another machine is believed only for a pile this host dropped
// into its own world: one of exactly that amount near the report, which is near where the
// roster last saw the player. The pile is then taken out of this host's world, so that it
// is paid once. The host's own player picks piles out of this world itself.
void PlayerManagerServer::HandleReportedBonus(const Bonus& reported, const WorldVec3& where, uint32_t earner)
{
    if (!gGameEngine)
        return;
    if (CarriesMoreThanGold(reported))
        NetPacketRegistry::DropHandled("PlayerManagerServer", "bonus reported for player %u carries more than gold; "
                                       "only its gold counts", earner);
    Bonus gold;
    gold.goldPoints = reported.goldPoints;
    if (gold.goldPoints == 0 || !MayReportGold(gold.goldPoints, where, earner))
        return;
    HandleBonus(gold, where, earner);
}

bool PlayerManagerServer::MayReportGold(uint32_t gold, const WorldVec3& where, uint32_t earner)
{
    if (earner == gGameEngine->GetPlayerId())
        return true;
    if (std::find(m_players.begin(), m_players.end(), earner) == m_players.end())
        return RefuseReport(earner, "the player is not in the roster");
    if (!(WorldDistance(GetPlayerLocation(earner), where) < kBonusSharingRadius))
        return RefuseReport(earner, "it was earned far from where the player is");
    OneShot_Gold* pile = FindGoldPileNear(where, gold);
    if (!pile)
        return RefuseReport(earner, "no gold pile of that amount lies there");
    ObjectManager::Get().DestroyObjectEx(pile, "PlayerManagerServer", __LINE__);
    return true;
}

// Alone in the game the earner keeps the whole reward, weighted by its share of the
// damage; a reward earned by someone else's player is not this host's to give.
void PlayerManagerServer::ShareAlone(const Bonus& bonus, const Monster* source, uint32_t earner,
                                     GameEngineNetworkInterface& network)
{
    if (!gGameEngine || earner != gGameEngine->GetPlayerId())
        return;
    Bonus part = bonus;
    const uint32_t experience = source ? source->GetExperienceReward(earner) : bonus.experiencePoints;
    part.experiencePoints = WeightedExperience(experience, GetExperienceMultiplier(earner, bonus.source));
    part.receiver = earner;
    network.HandleBonusToClient(part, earner);
}

// Everyone closer than the sharing radius gets a part: the earner the active one, the
// others the passive one. Experience is weighted by the damage share of each player's
// party; gold is not. Life, mana, skill and attribute points go to everyone unchanged.
void PlayerManagerServer::ShareAmongNearby(const Bonus& bonus, const Monster* source, const WorldVec3& where,
                                           uint32_t earner, GameEngineNetworkInterface& network)
{
    if (!gGameEngine)
        return;
    const PartyManager* parties = gGameEngine->GetPartyManager();
    const std::vector<PlayerNetBasicInfo> roster = m_playerInfos;
    for (const PlayerNetBasicInfo& record : roster) {
        if (WorldDistance(record.position, where) >= kBonusSharingRadius)
            continue;
        const uint32_t player = record.playerId;
        const SharedParts parts = EvaluateShares(bonus, source, where, player);
        const float multiplier = parties->GetPartyExperienceMultiplier(player, bonus.source);
        Bonus part = bonus;
        const bool active = player == earner;
        part.goldPoints = active ? parts.activeGold : parts.passiveGold;
        part.experiencePoints =
            WeightedExperience(active ? parts.activeExperience : parts.passiveExperience, multiplier);
        part.receiver = player;
        network.HandleBonusToClient(part, player);
    }
}

PlayerManagerServer::SharedParts PlayerManagerServer::EvaluateShares(const Bonus& bonus, const Monster* source,
                                                                     const WorldVec3& where, uint32_t player)
{
    const PartyManager* parties = gGameEngine->GetPartyManager();
    const uint32_t experience = source ? source->GetExperienceReward(player) : bonus.experiencePoints;
    m_amountOfGold = static_cast<float>(bonus.goldPoints);
    m_amountOfExperience = static_cast<float>(experience);
    m_evaluatingPartyMemberCount = static_cast<float>(
        parties->GetNumPlayersInPartyNear(static_cast<int>(parties->GetParty(player)), where, kBonusSharingRadius));
    // The earner's part falls back to the whole amount, the others' to nothing.
    SharedParts parts;
    parts.activeExperience = EvaluateShare(m_activeExperienceEquation, m_amountOfExperience);
    parts.activeGold = EvaluateShare(m_activeGoldEquation, m_amountOfGold);
    parts.passiveExperience = EvaluateShare(m_passiveExperienceEquation, 0.0f);
    parts.passiveGold = EvaluateShare(m_passiveGoldEquation, 0.0f);
    return parts;
}

}  // namespace GAME
