// Text of a packet for diagnostics: one line per described field, "label value",
// indented two blanks per level; a heading is a line of its own.
//
// A field may carry a rank: within one group (the lines after a heading, or from the
// start) lines are put in rank order, equal ranks in the order described. Packets whose
// description order differs from their wire order rank their fields; all others leave
// every rank 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class NetPacket;
class WorldVec3;
class WorldCoords;
class SmartObjectId;

class NetPacketDescriber {
public:
    // Verbose descriptions open with the packet's class name and type number.
    NetPacketDescriber(const NetPacket* packet, bool verbose);

    void Heading(const char* label, int level);
    void Describe(const char* label, uint32_t value, int level);
    void Describe(const char* label, int32_t value, int level);
    void Describe(const char* label, uint8_t value, int level) { Describe(label, uint32_t{value}, level); }
    void Describe(const char* label, float value, int level);
    void Describe(const char* label, bool value, int level);
    void Describe(const char* label, const SmartObjectId& value, int level);
    void Describe(const char* label, const WorldVec3& value, int level);
    void Describe(const char* label, const WorldCoords& value, int level);
    void Describe(const char* label, const std::string& value, int level);
    void Describe(const char* label, const std::u16string& value, int level);

    // The rank of the next described line (reset to 0 after it).
    void SetRank(int rank) { m_rank = rank; }

    std::string GetDescription() const;

private:
    struct Line {
        int group;
        int rank;
        std::string text;
    };
    void AddLine(const char* label, const std::string& value, int level);

    std::vector<Line> m_lines;
    int m_group = 0;
    int m_rank = 0;
};

}  // namespace GAME
