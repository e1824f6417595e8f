#include "Game/skills/SkillState.h"

#include "Engine/IOStream.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {

void SkillState::StreamProperties(IOStream& stream)
{
    stream.StreamInt32("skillLevel", level);
    stream.StreamBool("skillEnabled", enabled);
}

void SkillState::SaveState(BinaryWriter& writer) const
{
    writer.WriteUInt32(static_cast<uint32_t>(level));
    writer.WriteBool(enabled);
}

void SkillState::RestoreState(BinaryReader& reader)
{
    // Read whole before anything changes: a cut record leaves the state untouched.
    const uint32_t levelWord = reader.ReadUInt32();
    const bool enabledWord = reader.ReadBool();
    if (reader.HasFailed())
        return;
    level = static_cast<int32_t>(levelWord);
    enabled = enabledWord;
}

void SkillActiveState::StreamProperties(IOStream& stream)
{
    stream.StreamInt32("skillSubLevel", subLevel);
    stream.StreamBool("skillActive", active);
    stream.StreamBool("skillTransition", transition);
}

void SkillActiveState::SaveState(BinaryWriter& writer) const
{
    writer.WriteUInt32(static_cast<uint32_t>(subLevel));
    writer.WriteBool(active);
    writer.WriteBool(transition);
}

void SkillActiveState::RestoreState(BinaryReader& reader)
{
    const uint32_t subLevelWord = reader.ReadUInt32();
    const bool activeWord = reader.ReadBool();
    const bool transitionWord = reader.ReadBool();
    if (reader.HasFailed())
        return;
    subLevel = static_cast<int32_t>(subLevelWord);
    active = activeWord;
    transition = transitionWord;
}

}  // namespace GAME
