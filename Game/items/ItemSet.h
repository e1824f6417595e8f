// A set of equipment records that gives more the more of its pieces a character wears.
// The bonus values of its record are read as values by number of pieces worn: the
// attribute pack's level is the count of worn members.
#pragma once

#include <string>
#include <vector>

#include "Game/combat/AttributePak.h"

namespace GAME {

class ItemSet : public AttributePak {
public:
    struct Member {
        std::string recordName;   // normalized, as worn names are kept
        std::u16string displayName;
    };

    // Reads the set's name, description and members, then its bonus values. A record
    // that does not exist leaves an empty set (logged).
    void LoadFromDatabase(const std::string& recordName) override;

    using AttributePak::GetUIDisplayText;
    // The set's lines for an item's description: its name, its description, every member
    // (worn or not, by its class), and the bonus for the number of worn names.
    virtual void GetUIDisplayText(const std::vector<std::string>& wornMembers, std::vector<GameTextLine>& lines) const;
    // The member record's "itemNameTag", localized.
    virtual void CreateMemberDisplayName(const std::string& memberRecordName, std::u16string& out) const;

    const std::string& GetSetNameTag() const { return m_setNameTag; }
    const std::string& GetSetDescriptionTag() const { return m_setDescriptionTag; }
    const std::vector<Member>& GetMembers() const { return m_members; }

private:
    std::string m_setNameTag;
    std::string m_setDescriptionTag;
    std::vector<Member> m_members;
};

}  // namespace GAME
