#include "host/HostLevel.h"

#include <cmath>
#include <sstream>

#include "Engine/Engine.h"
#include "host/HostVillage.h"

namespace GAME {

namespace {

bool CoordinateInRange(float value) { return std::isfinite(value) && std::fabs(value) <= HostLevel::kMaxCoordinate; }

}  // namespace

bool HostLevel::ReadPlace(std::istream& in, Placement& out) const
{
    std::string rest;
    if (!(in >> out.record >> out.where.x >> out.where.y >> out.where.z) || (in >> rest))
        return false;
    return CoordinateInRange(out.where.x) && CoordinateInRange(out.where.y) && CoordinateInRange(out.where.z);
}

bool HostLevel::ParseLine(const std::string& line, int number)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::string word;
    if (!(in >> word))
        return true;   // blank or a comment
    if (m_placements.size() + m_steps.size() + m_villageLines.size() >= kMaxEntries) {
        gEngine->Log(LOG_WARNING, "level line %d: more than %zu entries; skipped", number, kMaxEntries);
        return false;
    }
    if (HostVillage::Owns(line.substr(0, line.find('#')))) {
        m_villageLines.push_back(line.substr(0, line.find('#')));
        return true;
    }
    std::string rest;
    if (word == "region") {
        long id = 0;
        if ((in >> id >> m_regionName) && !(in >> rest) && id > 0 && id < 65536) {
            m_regionId = static_cast<uint32_t>(id);
            return true;
        }
    } else if (word == "player" || word == "place") {
        Placement placement;
        if (ReadPlace(in, placement)) {
            if (word == "player") {
                m_player = placement;
                m_hasPlayer = true;
            } else {
                m_placements.push_back(placement);
            }
            return true;
        }
    } else if (word == "at") {
        Step step;
        std::string action;
        bool read = (in >> step.frame >> action) && step.frame > 0 && step.frame <= kMaxFrame;
        if (action == "wake") {
            step.kind = Step::Wake;
            read = read && static_cast<bool>(in >> step.record);
        } else if (action == "strike") {
            step.kind = Step::Strike;
            read = read && static_cast<bool>(in >> step.record >> step.amount);
        } else if (action == "useskill") {
            step.kind = Step::UseSkill;
            read = read && static_cast<bool>(in >> step.record);
        } else if (action == "break") {
            step.kind = Step::Break;
            read = read && static_cast<bool>(in >> step.amount);
        } else {
            read = false;
        }
        if (read && !(in >> rest) && std::isfinite(step.amount) && step.amount >= 0.0f && step.amount < 1.0e9f) {
            m_steps.push_back(step);
            return true;
        }
    }
    gEngine->Log(LOG_WARNING, "level line %d does not parse; skipped: %s", number, line.c_str());
    return false;
}

bool HostLevel::Parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line))
        ParseLine(line, ++number);
    return m_hasPlayer;
}

}  // namespace GAME
