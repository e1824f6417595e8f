// The game engine's user-interface data built from game state: a skill's rollover in the
// skill window and on a hot slot, the name of the map being played and the detail map.
#include <string>
#include <vector>

#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/Minimap.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/items/Item.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/FixedItemShrine.h"
#include "Game/world/MapMarkers.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

// Flag positions of SkillReasons.
enum SkillReasonFlag : size_t {
    kReasonNoPointsToAdd = 0,
    kReasonMasteryTooLow = 1,
    kReasonBaseSkillNeeded = 2,
    kReasonCurrentOnly = 3,
    kReasonNoText = 4,
    kReasonDependencyMissing = 5,
    kReasonReclaimNoGold = 6,
    kReasonReclaimBase = 7,
    kReasonReclaimNoPoints = 8,
};

template <class... Args>
std::u16string SkillUIText(const char* tag, const Args&... args)
{
    return LocalizationManager::Instance().Format(tag, args...);
}

// The localised text of a tag a record names; empty for none.
std::u16string SkillUITagText(const std::string& tag)
{
    return tag.empty() ? std::u16string() : SkillUIText(tag.c_str());
}

// A tag's own text passed through the plain format.
std::u16string SkillUISimpleText(const char* tag) { return SkillUIText("SimpleStringFormat", SkillUIText(tag)); }

void AppendBlankLine(std::vector<GameTextLine>& lines) { lines.emplace_back(GameTextClass::Default, u"", false); }

// The display names of the skills this one depends on that the main player holds at
// level 0, one "FailedSkillDependancy" text each.
std::u16string MissingDependencyText(const Skill& skill)
{
    std::u16string text;
    const Player* player = gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
    if (!player)
        return text;
    const SkillManager& skills = player->GetSkillManager();
    for (const std::string& name : skill.GetSkillDependancy()) {
        const Skill* needed = ObjectManager::Get().GetObject<Skill>(skills.FindSkillId(name));
        if (needed && needed->GetCurrentLevel() == 0)
            text += SkillUIText("FailedSkillDependancy", SkillUITagText(needed->GetDisplayNameTag()));
    }
    return text;
}

// The line telling why the skill can or cannot be raised; false when there is none.
bool RaiseLine(const Skill& skill, const SkillReasons& reasons, GameTextClass& textClass, std::u16string& text)
{
    textClass = GameTextClass::SkillRequirementsNotMet;
    if (reasons[kReasonMasteryTooLow]) {
        const int difference =
            static_cast<int>(skill.GetMasteryLevelRequirement()) - static_cast<int>(skill.GetMasteryLevel());
        const Skill* mastery = ObjectManager::Get().GetObject<Skill>(skill.GetMasteryId());
        const std::u16string masteryName = mastery ? SkillUITagText(mastery->GetDisplayNameTag()) : std::u16string();
        text = SkillUIText(difference == 1 ? "tagSkillReq01Singular" : "tagSkillReq01", difference, masteryName);
        return true;
    }
    if (reasons[kReasonDependencyMissing]) {
        text = MissingDependencyText(skill);
        return !text.empty();
    }
    if (reasons[kReasonBaseSkillNeeded]) {
        text = SkillUIText("tagSkillReq03", 1, SkillUITagText(skill.GetBaseNameText()));
        return true;
    }
    if (reasons[kReasonNoText])
        return false;
    if (reasons[kReasonNoPointsToAdd]) {
        text = SkillUISimpleText("NoSkillPointsToAdd");
        return true;
    }
    textClass = GameTextClass::SkillRequirements;
    text = SkillUISimpleText("PressToAddUnusedSkillPoints");
    return true;
}

// The line telling whether the skill's points can be reclaimed; false when there is none.
bool ReclaimLine(const Skill& skill, const SkillReasons& reasons, int gold, GameTextClass& textClass,
                 std::u16string& text)
{
    if (reasons[kReasonMasteryTooLow])
        return false;
    textClass = GameTextClass::SkillRequirementsNotMet;
    if (skill.IsSkillTheMasterySkill())
        text = SkillUIText("tagDecreaseMasteryError");
    else if (reasons[kReasonReclaimNoPoints])
        text = SkillUIText("tagReclaimNoPoints");
    else if (reasons[kReasonReclaimNoGold])
        text = SkillUIText("tagReclaimNoGold", gold);
    else if (reasons[kReasonReclaimBase])
        text = SkillUIText("tagReclaimBase");
    else {
        textClass = GameTextClass::SkillRequirements;
        text = SkillUIText("tagReclaimPoint", gold);
    }
    return true;
}

// The detail-map entries of one entity, whichever form its kind appends them in.
void AppendEntityMapData(const Entity& entity, std::vector<MinimapGameNugget>& out)
{
    if (const auto* character = DynamicCast<Character>(&entity)) {
        std::vector<Character::DetailMapEntry> entries;
        character->AppendDetailMapData(entries);
        for (Character::DetailMapEntry& entry : entries)
            out.push_back({entry.kind, std::move(entry.description), entry.position, entry.direction});
        return;
    }
    if (const auto* shrine = DynamicCast<FixedItemShrine>(&entity)) {
        shrine->AppendDetailMapData(out);
        return;
    }
    if (const auto* area = DynamicCast<AreaOfInterest>(&entity)) {
        area->AppendDetailMapData(out);
        return;
    }
    if (const auto* point = DynamicCast<StrategicMovementBase>(&entity)) {
        point->AppendDetailMapData(out);
        return;
    }
    MinimapSink sink;
    if (const auto* item = DynamicCast<Item>(&entity))
        item->AppendDetailMapData(sink);
    const Vec3 facing = entity.GetCoords().GetRegionCoords().zAxis;
    for (const MinimapEntry& entry : sink.GetEntries())
        out.push_back({entry.kind, entry.text, entry.position, facing});
}

}  // namespace

void GameEngine::GenerateUISkillText(const Skill* skill, std::vector<GameTextLine>& lines,
                                     const SkillReasons* reasons, bool headingOnly, bool reclaiming, int gold)
{
    if (!skill)
        return;
    skill->CreateUISkillHeading(lines);
    AppendBlankLine(lines);
    if (skill->IsDefaultSkill())
        return;
    if (skill->GetCurrentLevel() != 0) {
        skill->CreateUIParameterText(lines);
        AppendBlankLine(lines);
    }
    if ((reasons && (*reasons)[kReasonCurrentOnly] && !reclaiming) || headingOnly)
        return;
    skill->CreateUINextParameterText(lines);
    if (!reasons)
        return;
    AppendBlankLine(lines);

    GameTextClass textClass = GameTextClass::SkillRequirements;
    std::u16string text;
    const bool hasLine = reclaiming ? ReclaimLine(*skill, *reasons, gold, textClass, text)
                                    : RaiseLine(*skill, *reasons, textClass, text);
    if (hasLine)
        lines.emplace_back(textClass, text, true);
}

void GameEngine::GenerateUISkillInfo(const Skill* skill, std::vector<GameTextLine>& lines)
{
    if (!skill)
        return;
    skill->CreateUISkillHeading(lines);
    AppendBlankLine(lines);
    if (skill->GetCurrentLevel() != 0 && !skill->IsDefaultSkill()) {
        skill->CreateUIParameterText(lines);
        AppendBlankLine(lines);
    }
    // A skill not learnt yet reports level zero from its own use check.
    const Skill_UseQuery reason = skill->GetReason();
    const bool unlearnt = reason == Skill_LevelZero && skill->GetCurrentLevel() == 0;
    if (reason == Skill_CoolingDown)
        lines.emplace_back(GameTextClass::SkillRequirementsNotMet, SkillUISimpleText("tagSkillUnusableCooldown"), false);
    else if (reason == Skill_NotEnoughMana)
        lines.emplace_back(GameTextClass::SkillRequirementsNotMet, SkillUISimpleText("tagSkillUnusableLowMana"), false);
    else if (reason == Skill_WeaponNotQualifying || unlearnt)
        lines.emplace_back(GameTextClass::SkillRequirementsNotMet, SkillUISimpleText("tagSkillUnusableConfiguration"),
                           false);
    else
        lines.emplace_back(GameTextClass::SkillRequirements, SkillUISimpleText("tagSkillUsableReady"), false);
}

std::u16string GameEngine::GetMapName() const
{
    const GameInfo& info = GameInfo::Get();
    if (info.GetModName().empty())
        return SkillUISimpleText("tagDefaultMap");
    const std::string& level = info.GetLevelName();
    const size_t slash = level.rfind('/');
    const std::string levelFile = slash == std::string::npos ? level : level.substr(slash + 1);
    return LocalizationManager::ToWChar(info.GetModName() + " ~ " + levelFile);
}

void GameEngine::GetDetailMapData(std::vector<MinimapGameNugget>& out, const WorldFrustum& frustum) const
{
    if (!frustum.region)
        return;
    std::vector<Entity*> entities;
    World::Get().GetEntitiesInFrustum(entities, frustum, EntityList_All);
    for (const Entity* entity : entities)
        if (entity)
            AppendEntityMapData(*entity, out);

    const PlayerManagerClient* players = GetPlayerManagerClient();
    if (!players)
        return;
    const uint32_t localId = GetPlayerId();
    const Player* local = GetMainPlayer();
    const uint32_t localParty = local ? local->GetPartyId() : 0;
    for (const PlayerNetBasicInfo& info : players->GetPlayerInfoCache()) {
        MinimapGameNugget nugget;
        const bool partyMember = info.playerId != localId && localParty != 0 && info.partyId == localParty;
        nugget.kind = partyMember ? kMinimapPartyMember : kMinimapPlayer;
        const Player* player = ObjectManager::Get().GetObject<Player>(info.playerId);
        if (player && player->IsInWorld()) {
            nugget.text = player->GetGameDescription(false);
            nugget.position = player->GetCoords().GetPosition();
            nugget.facing = player->GetCoords().GetRegionCoords().zAxis;
        } else {
            nugget.text = info.playerName;
            nugget.position = info.position;
            nugget.facing = Vec3(0.0f, 0.0f, 1.0f);
        }
        out.push_back(std::move(nugget));
    }
}

}  // namespace GAME
