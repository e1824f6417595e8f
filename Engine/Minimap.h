// The minimap's detail data: what objects in the world append for the minimap to show.
// Nothing is drawn; the entries are kept as appended, for the host and tests.
#pragma once

#include <string>
#include <vector>

#include "Engine/World.h"

namespace GAME {

struct MinimapEntry {
    int kind = 0;
    std::u16string text;
    WorldVec3 position;
};

class MinimapSink {
public:
    void Append(int kind, const std::u16string& text, const WorldVec3& position)
    {
        m_entries.push_back({kind, text, position});
    }
    const std::vector<MinimapEntry>& GetEntries() const { return m_entries; }
    void Clear() { m_entries.clear(); }

private:
    std::vector<MinimapEntry> m_entries;
};

}  // namespace GAME
