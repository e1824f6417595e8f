// The three fixed tables of the game engine: which action may start while another runs,
// the class tag of each pair of masteries, and the tags of the monster races.
#include <cstdio>

#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

// Rows: the requested action type; columns: the running one. 0 at once, 1 queued, 2 refused.
constexpr int kActionMatrix[kActionTypeCount][kActionTypeCount] = {
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},   // 0
    {0, 2, 2, 0, 2, 0, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 0, 1, 1, 2},   // 1 Idle
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},   // 2
    {0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 2, 2, 2},   // 3 LongIdle
    {0, 0, 2, 0, 0, 0, 1, 1, 0, 2, 2, 2, 2, 0, 0, 2, 2, 1, 1, 2},   // 4 MoveTo
    {0, 0, 2, 0, 0, 0, 1, 1, 0, 2, 2, 2, 2, 0, 0, 2, 2, 1, 1, 2},   // 5 Walk
    {0, 0, 2, 0, 0, 0, 1, 2, 0, 2, 2, 2, 2, 0, 0, 2, 2, 2, 2, 2},   // 6 PickUp
    {0, 0, 2, 0, 1, 1, 1, 1, 0, 2, 2, 2, 2, 0, 0, 2, 2, 1, 1, 2},   // 7 Use
    {0, 0, 2, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 0, 0, 2, 2, 2, 2, 2},   // 8 Attack
    {0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 2, 2, 1, 1, 2},   // 9 TakeStun
    {0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 2, 2, 1, 1, 2},   // 10 Immobilize
    {0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 2, 2, 1, 1, 2},   // 11 TakeTrap
    {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0},   // 12 Die
    {0, 0, 2, 0, 1, 1, 0, 1, 0, 2, 2, 2, 2, 2, 0, 2, 2, 2, 2, 1},   // 13 Chat
    {0, 0, 2, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2},   // 14 PlayAnimation
    {0, 0, 2, 0, 2, 2, 2, 2, 2, 2, 2, 2, 0, 2, 0, 2, 2, 2, 2, 2},   // 15 Spawn
    {0, 0, 2, 0, 0, 0, 2, 2, 2, 2, 2, 2, 0, 2, 0, 2, 2, 2, 2, 2},   // 16 Respawn
    {0, 0, 2, 0, 1, 0, 2, 2, 0, 2, 2, 2, 0, 0, 0, 2, 2, 2, 1, 2},   // 17
    {0, 0, 2, 0, 0, 0, 2, 2, 0, 2, 2, 2, 0, 0, 0, 2, 2, 2, 2, 2},   // 18
    {0, 0, 2, 0, 0, 0, 2, 2, 0, 2, 2, 2, 0, 1, 0, 2, 2, 2, 2, 1},   // 19 EngageNpc
};

// The class tag number of each pair of masteries ("tagCClass" and two digits).
constexpr int kClassTagNumbers[kMasteryCount][kMasteryCount] = {
    {1, 36, 34, 31, 27, 22, 16, 9},
    {36, 2, 35, 32, 28, 23, 17, 10},
    {34, 35, 3, 33, 29, 24, 18, 11},
    {31, 32, 33, 4, 30, 25, 19, 12},
    {27, 28, 29, 30, 5, 26, 20, 13},
    {22, 23, 24, 25, 26, 6, 21, 14},
    {16, 17, 18, 19, 20, 21, 7, 15},
    {9, 10, 11, 12, 13, 14, 15, 8}
};

struct RaceTags {
    const char* race;
    const char* singular;
    const char* plural;
};

constexpr RaceTags kRaceTags[] = {
    {"Plant", "tagRace01", "tagRace01P"},     {"Animal", "tagRace02", "tagRace02P"},
    {"Beast", "tagRace03", "tagRace03P"},     {"Beastman", "tagRace04", "tagRace04P"},
    {"Insectoid", "tagRace05", "tagRace05P"}, {"Undead", "tagRace06", "tagRace06P"},
    {"Demon", "tagRace07", "tagRace07P"},     {"Gorun", "tagRace08", "tagRace08P"},
    {"Telkine", "tagRace09", "tagRace09P"},   {"Construct", "tagRace10", "tagRace10P"},
    {"Magical", "tagRace11", "tagRace11P"},   {"Device", "tagRace12", "tagRace12P"},
};

const char* const kUnknownRaceTag = "noTagUnknownRace";

}  // namespace

void GameEngine::InitializeActionMatrix()
{
    for (int requested = 0; requested < kActionTypeCount; ++requested)
        for (int running = 0; running < kActionTypeCount; ++running)
            m_actionMatrix[requested][running] = static_cast<CharacterActionPermission>(kActionMatrix[requested][running]);
}

CharacterActionPermission GameEngine::CheckPlayerAction(CharacterActionType requested, CharacterActionType running) const
{
    // Types can come from saves and packets: anything outside the table is refused.
    if (requested < 0 || requested >= kActionTypeCount || running < 0 || running >= kActionTypeCount)
        return CharacterActionPermission_Refuse;
    return m_actionMatrix[requested][running];
}

void GameEngine::SetClassEntry(int a, int b, const std::string& tag)
{
    if (a < 0 || a >= kMasteryCount || b < 0 || b >= kMasteryCount)
        return;
    m_classTags[a][b] = tag;
    m_classTags[b][a] = tag;
}

void GameEngine::FillClassArray()
{
    for (int a = 0; a < kMasteryCount; ++a) {
        for (int b = a; b < kMasteryCount; ++b) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "tagCClass%02d", kClassTagNumbers[a][b]);
            SetClassEntry(a, b, tag);
        }
    }
}

const std::string& GameEngine::GetClassTag(unsigned a, unsigned b) const
{
    static const std::string empty;
    if (a >= kMasteryCount || b >= kMasteryCount)
        return empty;
    return m_classTags[a][b];
}

const std::string& GameEngine::GetClassTag(unsigned a) const
{
    return GetClassTag(a, a);
}

void GameEngine::InitializeMonsterRaceMap()
{
    for (const RaceTags& row : kRaceTags)
        m_monsterRaces.emplace(row.race, std::make_pair(std::string(row.singular), std::string(row.plural)));
}

std::string GameEngine::GetMonsterRaceTagSingular(const std::string& race) const
{
    auto it = m_monsterRaces.find(race);
    return it == m_monsterRaces.end() ? kUnknownRaceTag : it->second.first;
}

std::string GameEngine::GetMonsterRaceTagPlural(const std::string& race) const
{
    auto it = m_monsterRaces.find(race);
    return it == m_monsterRaces.end() ? kUnknownRaceTag : it->second.second;
}

}  // namespace GAME
