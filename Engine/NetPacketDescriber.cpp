#include "Engine/NetPacketDescriber.h"

#include <algorithm>
#include <cstdio>

#include "Engine/Localization.h"
#include "Engine/NetPacket.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

namespace {

std::string Printed(const char* format, double a, double b, double c)
{
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string VecText(const Vec3& v)
{
    return Printed("(%g, %g, %g)", v.x, v.y, v.z);
}

}  // namespace

NetPacketDescriber::NetPacketDescriber(const NetPacket* packet, bool verbose)
{
    if (verbose && packet)
        AddLine(packet->GetClassName(), " (type " + std::to_string(packet->GetType()) + ")", 0);
}

void NetPacketDescriber::AddLine(const char* label, const std::string& value, int level)
{
    std::string text(static_cast<size_t>(std::max(level, 0)) * 2, ' ');
    text += label ? label : "";
    text += value;
    m_lines.push_back({m_group, m_rank, std::move(text)});
    m_rank = 0;
}

void NetPacketDescriber::Heading(const char* label, int level)
{
    ++m_group;
    m_rank = 0;
    AddLine(label, std::string(), level);
    ++m_group;   // the heading stays first; its fields are ranked among themselves
}

void NetPacketDescriber::Describe(const char* label, uint32_t value, int level)
{
    AddLine(label, std::to_string(value), level);
}

void NetPacketDescriber::Describe(const char* label, int32_t value, int level)
{
    AddLine(label, std::to_string(value), level);
}

void NetPacketDescriber::Describe(const char* label, float value, int level)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    AddLine(label, text, level);
}

void NetPacketDescriber::Describe(const char* label, bool value, int level)
{
    AddLine(label, value ? "true" : "false", level);
}

void NetPacketDescriber::Describe(const char* label, const SmartObjectId& value, int level)
{
    Describe(label, value.GetId(), level);
}

void NetPacketDescriber::Describe(const char* label, const WorldVec3& value, int level)
{
    AddLine(label, "region " + std::to_string(value.GetRegionId()) + " " + VecText(value.GetRegionPosition()), level);
}

void NetPacketDescriber::Describe(const char* label, const WorldCoords& value, int level)
{
    const uint32_t region = value.GetRegion() ? value.GetRegion()->GetId() : 0;
    const Coords& frame = value.GetRegionCoords();
    AddLine(label, "region " + std::to_string(region) + " " + VecText(frame.origin) + " facing " + VecText(frame.zAxis),
            level);
}

void NetPacketDescriber::Describe(const char* label, const std::string& value, int level)
{
    AddLine(label, value, level);
}

void NetPacketDescriber::Describe(const char* label, const std::u16string& value, int level)
{
    AddLine(label, LocalizationManager::ToChar(value), level);
}

std::string NetPacketDescriber::GetDescription() const
{
    std::vector<Line> lines = m_lines;
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.group != b.group ? a.group < b.group : a.rank < b.rank;
    });
    std::string text;
    for (const Line& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line.text;
    }
    return text;
}

}  // namespace GAME
