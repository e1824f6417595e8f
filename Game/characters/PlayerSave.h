// What the character save hands to the user interface: the record of its settings block,
// and the sink a host sets on a player to receive the settings a save restores.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace GAME {

class IOStream;

struct PlayerSave_UISetting {
    static constexpr int kSkillBarEntries = 5;
    struct SkillBarEntry {
        std::string primarySkill;     // record names, empty for none
        std::string secondarySkill;
        bool skillActive = false;
    };

    bool equipmentSelection = false;
    uint32_t skillWindowSelection = 0;
    std::array<SkillBarEntry, kSkillBarEntries> skillBar{SkillBarEntry{{}, {}, true}};
    bool skillSettingValid = false;

    // The record as its own block of the save.
    void StreamProperties(IOStream& stream);
};

class PlayerGameInterface {
public:
    virtual ~PlayerGameInterface() = default;
    // The settings a save read for the player.
    virtual void RestoreUISettings(const PlayerSave_UISetting& settings) = 0;
};

}  // namespace GAME
