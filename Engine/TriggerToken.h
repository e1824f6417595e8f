// A token that quest triggers bestow on a player and test for: a name, compared whole
// (the same bytes), kept in the player's save.
#pragma once

#include <string>
#include <utility>

#include "Engine/IOStream.h"

namespace GAME {

class TriggerToken {
public:
    TriggerToken() = default;
    explicit TriggerToken(std::string name) : m_name(std::move(name)) {}

    const std::string& GetName() const { return m_name; }

    bool operator==(const TriggerToken& other) const = default;

    // The name, under "tokenName".
    void StreamProperties(IOStream& stream) { stream.StreamString("tokenName", m_name); }

private:
    std::string m_name;
};

}  // namespace GAME
