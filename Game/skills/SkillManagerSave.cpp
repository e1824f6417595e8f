// The skill manager's block of the character save.
#include <string>

#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// The name, then the two state records in their named forms (a negative level read
// counts as 0).
void SkillManager::_SkillReplica::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.StreamString("skillName", skillName);
    state.StreamProperties(stream);
    activeState.StreamProperties(stream);
    stream.EndBlock();
}

bool SkillManager::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    if (!stream.IsReading()) {
        std::vector<const Skill*> saved;
        for (uint32_t id : m_skills)
            if (const Skill* skill = ObjectManager::Get().GetObject<Skill>(id); skill && skill->GetSkillLevel() != 0)
                saved.push_back(skill);
        // No more than a read takes: the save must load.
        saved.resize(IOStream::SavedCount(saved.size(), kMaxSavedSkills, "max"));
        auto count = static_cast<int32_t>(saved.size());
        stream.StreamInt32("max", count);
        // The active state is not saved: it is written as nothing active.
        for (const Skill* skill : saved) {
            _SkillReplica replica{skill->GetObjectName(), skill->GetSkillState(), SkillActiveState()};
            replica.StreamProperties(stream);
        }
    } else {
        int32_t count = 0;
        stream.StreamInt32("max", count);
        if (count > 0 && !stream.CheckCount("max", static_cast<uint32_t>(count), kMaxSavedSkills, "skillName"))
            return false;
        for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
            _SkillReplica replica;
            replica.StreamProperties(stream);
            if (stream.Failed())
                break;
            if (auto* skill = ObjectManager::Get().GetObject<Skill>(FindSkillId(replica.skillName)))
                skill->ReceiveStateUpdate(replica.state, true);
        }
    }
    stream.StreamUInt32("masteriesAllowed", m_masteriesAllowed);
    stream.StreamUInt32("skillReclamationPointsUsed", m_reclamationPointsUsed);
    stream.EndBlock();
    return !stream.Failed();
}

}  // namespace GAME
