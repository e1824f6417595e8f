// The player's hot slots: the skills bound to the primary (left) and secondary (right)
// mouse buttons.
#pragma once

#include <cstdint>

namespace GAME {

class IOStream;
class Player;

// What a hot slot holds: a skill to use or a potion kind to drink. Only what the cursor
// that carries an option needs is here so far.
class HotSlotOption {
public:
    virtual ~HotSlotOption() = default;
    virtual const char* GetBitmapNameUp() const { return ""; }
    virtual uint32_t GetSkillId() const { return 0; }

    void SetPlayer(Player* player) { m_player = player; }
    Player* GetPlayer() const { return m_player; }

protected:
    Player* m_player = nullptr;   // not owned
};

// A skill of the player's skill manager, by object id (0: none).
class HotSlotOptionSkill : public HotSlotOption {
public:
    explicit HotSlotOptionSkill(uint32_t skillId) : m_skillId(skillId) {}
    uint32_t GetSkillId() const override { return m_skillId; }

private:
    uint32_t m_skillId = 0;
};

class PlayerHotSlotCtrl {
public:
    explicit PlayerHotSlotCtrl(Player* player = nullptr) : m_player(player) {}

    void SetPlayer(Player* player) { m_player = player; }
    Player* GetPlayer() const { return m_player; }

    // Both buttons back to no skill (the bare-hand attack).
    void SetToDefaults();
    void Update(int elapsedMs);
    // True while the slots hold what SetToDefaults put there.
    bool IsInDefaultState() const;

    uint32_t GetPrimarySkillId() const { return m_primarySkillId; }
    void SetPrimarySkillId(uint32_t skillId) { m_primarySkillId = skillId; }
    uint32_t GetSecondarySkillId() const { return m_secondarySkillId; }
    void SetSecondarySkillId(uint32_t skillId) { m_secondarySkillId = skillId; }

    // The hot slots' block of the character save: fourteen slots, each empty or an
    // option. The control keeps the two skill ids only: the primary skill is saved as the
    // skill option of slots 10 and 11, the secondary of slots 12 and 13, every other slot
    // empty. A read takes back the primary from slot 10 (11 under the alternate
    // configuration) and the secondary from 12 (13), each by its record name; the options
    // of other slots are read and left out.
    static constexpr uint32_t kSlotCount = 14;
    void StreamProperties(IOStream& stream);

private:
    Player* m_player;   // not owned: the player owns this control
    uint32_t m_primarySkillId = 0;
    uint32_t m_secondarySkillId = 0;
};

}  // namespace GAME
