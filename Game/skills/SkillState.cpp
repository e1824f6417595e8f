#include "Game/skills/SkillState.h"

#include <cstdint>

#include "Engine/IOStream.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {

namespace {

// A level read from a save: one that does not fit the signed field (or was saved negative)
// counts as no level.
int32_t ReadLevel(int64_t level) { return level < 0 || level > INT32_MAX ? 0 : static_cast<int32_t>(level); }

}  // namespace

void SkillState::StreamProperties(IOStream& stream)
{
    stream.StreamInt32("skillLevel", level);
    stream.StreamBool("skillEnabled", enabled);
    if (stream.IsReading())
        level = ReadLevel(level);
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
    level = ReadLevel(levelWord);
    enabled = enabledWord;
}

void SkillActiveState::StreamProperties(IOStream& stream)
{
    stream.StreamInt32("skillSubLevel", subLevel);
    stream.StreamBool("skillActive", active);
    stream.StreamBool("skillTransition", transition);
    if (stream.IsReading())
        subLevel = ReadLevel(subLevel);
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
    subLevel = ReadLevel(subLevelWord);
    active = activeWord;
    transition = transitionWord;
}

}  // namespace GAME
