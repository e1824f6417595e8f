// The part of an equipment item or a relic that raises its wearer's skills: named skills,
// named masteries and all skills by some levels, and skills the item itself grants while
// worn. It owns the skill objects it creates for granted skills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/core/foundation/GameTextLine.h"
#include "Game/items/ItemCostInfo.h"

namespace GAME {

class Character;
class LoadTable;
class Skill;

class ItemSkillAugment {
public:
    struct Augment {
        std::string name;   // normalized record name
        uint32_t level = 0;
    };
    struct GrantedSkill {
        std::string name;
        uint32_t level = 0;
        Skill* skill = nullptr;   // owned; created once; valid while skillId names it
        uint32_t skillId = 0;     // what every use looks the skill up by
    };

    ItemSkillAugment() = default;
    ItemSkillAugment(const ItemSkillAugment&) = delete;
    ItemSkillAugment& operator=(const ItemSkillAugment&) = delete;
    virtual ~ItemSkillAugment();

    // One line per augment, then the granted skills' heading and descriptions.
    virtual void CreateText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    virtual void GetCostInfo(CostInfo_SkillAugment& info) const { info = m_costInfo; }

    // What one record gives: its augments, its all-skills level and its granted skill
    // (created by CreateItemSkills). `broken` when a level was negative (logged, read as 0).
    struct RecordAugments {
        std::vector<Augment> skills;
        std::vector<Augment> masteries;
        uint32_t allSkillsLevel = 0;
        std::vector<Augment> granted;
        bool broken = false;
    };
    static RecordAugments ReadRecord(const LoadTable& table);
    // Appends a record's augments to those already held, as loading the record does.
    void Add(const RecordAugments& augments);
    // Appends the record's augments to those already held.
    void Load(const LoadTable& table) { Add(ReadRecord(table)); }
    void Load(const std::string& recordName);
    // Forgets every augment and destroys the granted skills' objects, so an item rebuilt
    // from its identity starts from nothing.
    void Clear();
    // Creates an object for every granted skill that has none; each is flagged as an item
    // skill. Skills already created are kept.
    void CreateItemSkills();
    void ApplyToCharacter(Character& character) const;
    void RemoveFromCharacter(Character& character) const;

    const std::vector<Augment>& GetSkillAugments() const { return m_skills; }
    const std::vector<Augment>& GetMasteryAugments() const { return m_masteries; }
    uint32_t GetAllSkillsLevel() const { return m_allSkillsLevel; }
    const std::vector<GrantedSkill>& GetGrantedSkills() const { return m_granted; }

private:
    std::vector<Augment> m_skills;
    std::vector<Augment> m_masteries;
    uint32_t m_allSkillsLevel = 0;
    std::vector<GrantedSkill> m_granted;
    CostInfo_SkillAugment m_costInfo;
};

}  // namespace GAME
