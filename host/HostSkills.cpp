#include "host/HostSkills.h"
#include "host/HostText.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/combat/CharAttribute.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// The tree's skills (by their index in it) in the order the points go: the mastery,
// a skill, its modifier, then the other skill and the mastery again.
constexpr unsigned kSpendOrder[] = {1, 2, 3, 5, 1};

// The skill's display name; its record's name when it has none.
std::string NameOf(const Skill& skill)
{
    if (skill.GetDisplayNameTag().empty())
        return skill.GetObjectName();
    return HostPlainText(LocalizationManager::Instance().Format(skill.GetDisplayNameTag().c_str()));
}

// The skill of the tree's "skillName<index>" among the player's skills.
Skill* TreeSkill(const SkillManager& skills, unsigned index)
{
    const LoadTable* tree = RecordDatabase::Get().Load(HostSkills::kTreeRecord);
    if (!tree)
        return nullptr;
    const std::string name = tree->GetString(("skillName" + std::to_string(index)).c_str(), "");
    return name.empty() ? nullptr : ObjectManager::Get().GetObject<Skill>(skills.FindSkillId(name));
}

void PrintTooltip(const Skill& skill)
{
    std::vector<GameTextLine> lines;
    skill.CreateUIParameterText(lines);
    skill.CreateUINextParameterText(lines);
    for (const GameTextLine& line : lines)
        std::printf("skills: tooltip %s: [%s] %s\n", NameOf(skill).c_str(),
                    GetGameTextClassKey(line.textClass), HostPlainText(line.text).c_str());
}

}  // namespace

void HostSkills::TakeTree(Player& player)
{
    // A player who holds the tree (a loaded character) keeps it as it stands: taken again,
    // its skills would be made twice.
    if (!TreeSkill(player.GetSkillManager(), 1))
        player.GetSkillManager().LoadSkills(kTreeRecord, Player::kSkillsPerTree);
}

void HostSkills::Run(uint32_t playerId)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player)
        return;
    SkillManager& skills = player->GetSkillManager();
    // The experience the next level asks for, received as any experience is.
    const uint32_t experience = player->GetExperiencePoints();
    const uint32_t next = player->GetNextLevelExperience();
    const uint32_t handed = next > experience ? next - experience : 0;
    player->ReceiveExperience(handed, false);
    std::printf("skills: the host hands the player %u experience, the rest of what the next level asks for: "
                "experience %u -> %u\n", handed, experience, player->GetExperiencePoints());
    std::printf("skills: player reached level %u; masteries allowed %u, skill points %u\n", player->GetCharLevel(),
                skills.GetSkillMasteriesAllowed(), player->GetSkillPoints());

    TakeTree(*player);
    // Each point raises the next skill of the order, the mastery first.
    for (unsigned index : kSpendOrder) {
        Skill* skill = TreeSkill(skills, index);
        if (!skill || player->GetSkillPoints() == 0)
            break;
        if (skill->IsMasteryKind() && skill->GetSkillLevel() == 0 &&
            skills.GetSkillMasteriesActive() >= skills.GetSkillMasteriesAllowed())
            break;
        skills.IncrementSkill(skill->GetObjectId(), 1);
        player->SetSkillPoints(player->GetSkillPoints() - 1);
        std::printf("skills: a point into %s: level %d\n", NameOf(*skill).c_str(),
                    skill->GetSkillLevel());
    }

    player->AddMoney(kPurse);
    std::printf("skills: the host hands the player %u gold to buy points back with\n", kPurse);
    const uint32_t cost = skills.GetCurrentSkillReclamationCost();
    const uint32_t money = player->GetCurrentMoney();
    const bool bought = skills.UseReclamationPoints(kReclaimedPoints);
    std::printf("skills: buying back %d points at %u each: %s; money %u before, %u after\n", kReclaimedPoints, cost,
                bought ? "bought" : "not enough money", money, player->GetCurrentMoney());
    PrintWindow(*player);
}

void HostSkills::PrintWindow(Player& player)
{
    SkillManager& skills = player.GetSkillManager();
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : skills.GetUISkillList()) {
        const Skill* skill = objects.GetObject<Skill>(id);
        if (!skill)
            continue;
        const Skill* mastery = objects.GetObject<Skill>(skill->GetMasteryId());
        const auto base = static_cast<unsigned>(std::max(0, skill->GetSkillLevel()));
        const unsigned current = skill->GetCurrentLevel();
        std::printf("skills: window: %s (%s) level %u (%+d augment), ultimate %u, mastery %s\n",
                    NameOf(*skill).c_str(), HostPlainText(skill->GetKindText()).c_str(), base,
                    static_cast<int>(current) - static_cast<int>(base), skill->GetUltimateLevel(),
                    mastery ? NameOf(*mastery).c_str() : "none");
    }
    std::vector<uint32_t> masteries;
    skills.GetSkillMasteries(masteries);
    // Each mastery by the name of the window's mastery skill of its kind, its kind's word when
    // the window shows none.
    std::string words;
    for (uint32_t mastery : masteries) {
        std::string name = mastery < Skill_Mastery::kEnumerationCount ? Skill_Mastery::kEnumerationWords[mastery] : "?";
        for (uint32_t id : skills.GetUISkillList())
            if (const Skill* skill = objects.GetObject<Skill>(id);
                skill && skill->IsMasteryKind() && skill->GetEnumeration() == mastery) {
                name = NameOf(*skill);
                break;
            }
        words += " " + name;
    }
    std::printf("skills: window: masteries %u of %u allowed:%s; regular points %u, mastery points %u, unspent %u\n",
                skills.GetSkillMasteriesActive(), skills.GetSkillMasteriesAllowed(), words.c_str(),
                skills.GetNumRegularSkillPoints(), skills.GetNumMasteryPoints(), player.GetSkillPoints());
    std::printf("skills: window: reclamation: %u points bought back, the next costs %u\n",
                skills.GetSkillReclamationPointsUsed(), skills.GetCurrentSkillReclamationCost());

    // The strength the skills give, the mastery's share of it, and the character's total
    // as its next frame gathers it.
    player.GetCharacterBio().UpdateResources(player);
    CharAttributeAccumulator fromSkills;
    skills.GetCharAttributes(fromSkills);
    CharAttributeAccumulator fromMastery;
    Skill* mastery = TreeSkill(skills, 1);
    if (mastery && mastery->GetCurrentLevel() != 0)
        mastery->CollectPassiveCharAttributes(fromMastery);
    std::printf("skills: window: strength %.1f in the totals; the skills add %.1f, the mastery %.1f\n",
                player.GetTotalCharAttribute(CharAttributeType_Strength),
                fromSkills.GetValue(CharAttributeType_Strength), fromMastery.GetValue(CharAttributeType_Strength));
    if (mastery)
        PrintTooltip(*mastery);
}

}  // namespace GAME
