// A set of attribute stores loaded from one record (the monster, player and pet packs of
// the game engine).
#pragma once

#include <string>

namespace GAME {

class AttributePak {
public:
    void Load(const std::string& recordName);
    const std::string& GetRecordName() const { return m_recordName; }

private:
    std::string m_recordName;
};

}  // namespace GAME
