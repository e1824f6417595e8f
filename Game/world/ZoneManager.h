// Which act of the game each loaded region belongs to.
#pragma once

#include <cstdint>
#include <map>

namespace GAME {

class Region;

// An act of the game; 0 names none.
using ZonePage = int32_t;

class ZoneManager {
public:
    static ZoneManager& Get();

    // Whoever loads a level tells which act its region belongs to.
    void SetActForRegion(uint32_t regionId, ZonePage act);
    // The act of the region; 0 for no region or one never told.
    ZonePage GetActFromRegion(const Region* region) const;
    void Reset() { m_acts.clear(); }

private:
    std::map<uint32_t, ZonePage> m_acts;   // by region id
};

}  // namespace GAME
