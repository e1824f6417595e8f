#include "host/HostLevel.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

#include "Engine/FileSystem.h"
#include "Engine/LoadTable.h"
#include "Engine/Object.h"
#include "Engine/TextUtil.h"
#include "Game/characters/Player.h"
#include "host/HostSession.h"
#include "host/HostVillage.h"

namespace GAME {

namespace {

bool CoordinateInRange(float value) { return std::isfinite(value) && std::fabs(value) <= HostLevel::kMaxCoordinate; }

}  // namespace

bool HostLevel::IsLevelName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            return false;
    return true;
}

bool HostLevel::ReadPlace(std::istream& in, Placement& out) const
{
    std::string rest;
    if (!(in >> out.record >> out.where.x >> out.where.y >> out.where.z) || (in >> rest))
        return false;
    return CoordinateInRange(out.where.x) && CoordinateInRange(out.where.y) && CoordinateInRange(out.where.z);
}

std::string HostLevel::ParseLine(const std::string& line, HostVillage& village)
{
    // Records, words and numbers are text: a NUL would cut a record's name short, and a
    // control character or a byte that is no UTF-8 would reach what prints it.
    if (std::string_view text = line; !IsPrintableText(text.substr(0, text.size() - text.ends_with('\r'))))
        return "a level line is UTF-8 text without control characters";
    const std::string body = line.substr(0, line.find('#'));
    std::istringstream in(body);
    std::string word;
    if (!(in >> word))
        return {};   // blank or a comment
    if (m_placements.size() + m_steps.size() + m_villageLines.size() >= kMaxEntries)
        return "a level holds at most " + std::to_string(kMaxEntries) + " entries";
    if (HostVillage::Owns(body)) {
        if (std::string form = village.ParseLine(body); !form.empty())
            return form;
        m_villageLines.push_back(body);
        return {};
    }
    const std::string coordinates = ", each coordinate within " + std::to_string(static_cast<int>(kMaxCoordinate));
    std::string rest;
    if (word == "region") {
        long id = 0;
        if ((in >> id >> m_regionName) && !(in >> rest) && id > 0 && id < 65536) {
            m_regionId = static_cast<uint32_t>(id);
            return {};
        }
        return "region ID NAME, ID from 1 to 65535";
    }
    if (word == "player" || word == "place") {
        Placement placement;
        if (!ReadPlace(in, placement))
            return word + " RECORD X Y Z" + coordinates;
        if (word == "player") {
            if (m_hasPlayer)
                return "a level has one player line";
            m_player = placement;
            m_hasPlayer = true;
        } else {
            m_placements.push_back(placement);
        }
        return {};
    }
    if (word != "at")
        return "region, player, place, at, quest, townsfolk, merchant, road or shrines first";
    // The player's steps: the word after the frame, and whether a record follows it.
    struct Action {
        const char* word;
        Step::Kind kind;
        bool record;
    };
    static constexpr Action kActions[] = {
        {"wake", Step::Wake, true},
        {"attack", Step::Attack, true},
        {"useskill", Step::UseSkill, true},
        {"break", Step::Break, false},
    };
    Step step;
    std::string action;
    bool read = (in >> step.frame >> action) && step.frame > 0 && step.frame <= kMaxFrame;
    std::string form = "at FRAME wake|attack|useskill RECORD, at FRAME break, or a village's step";
    const Action* known = nullptr;
    for (const Action& candidate : kActions)
        if (action == candidate.word)
            known = &candidate;
    read = read && known;
    if (known) {
        step.kind = known->kind;
        form = std::string("at FRAME ") + known->word + (known->record ? " RECORD" : "");
        read = read && (!known->record || static_cast<bool>(in >> step.record));
    }
    if (read && !(in >> rest)) {
        m_steps.push_back(step);
        return {};
    }
    return form + ", FRAME from 1 to " + std::to_string(kMaxFrame);
}

bool HostLevel::Parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    HostVillage village;
    while (std::getline(in, line)) {
        ++number;
        if (const std::string form = ParseLine(line, village); !form.empty()) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_error = "line " + std::to_string(number) + " \"" + EscapedExcerpt(line) + "\" does not parse (" + form +
                      ")";
            return false;
        }
    }
    if (!m_hasPlayer) {
        m_error = "no player line (player RECORD X Y Z)";
        return false;
    }
    if (!m_villageLines.empty() && !village.HasQuest()) {
        m_error = "village lines but no quest line (quest FILE PACK SHRINE FRAME)";
        return false;
    }
    return true;
}

bool HostLevel::Read(const std::string& name, HostLevel& out)
{
    // A level is named by its file's name without the extension: "village.lvl" is "village".
    if (const std::string stem = name.substr(0, name.size() - (name.ends_with(".lvl") ? 4 : 0));
        stem != name && IsLevelName(stem)) {
        HostRefuse("--level " + EscapedExcerpt(name), "a level is named without its .lvl (--level " + stem + ")");
        return false;
    }
    if (!IsLevelName(name)) {
        HostRefuse("--level " + name, "no level name (1 to 64 letters, digits, '_' and '-')");
        return false;
    }
    const std::string path = RecordDatabase::Get().GetDataRoot() + "/Levels/" + name + ".lvl";
    std::string text;
    if (const std::string why = ReadWholeFile(path, text); !why.empty()) {
        HostRefuse(path, why);
        return false;
    }
    // The mark some editors put before the first line is not part of it.
    if (!out.Parse(std::string(SkipByteOrderMark(text)))) {
        HostRefuse(path, out.GetError());
        return false;
    }
    // The player is made from its record: a record that is not there, or makes no player,
    // refuses the level before anything is made.
    if (const std::string why = HostCheckRecord(out.GetPlayer().record, "player", &Player::GetStaticClassInfo());
        !why.empty()) {
        HostRefuse(path, why);
        return false;
    }
    return true;
}

}  // namespace GAME
