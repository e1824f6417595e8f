// The controller of a non-player character that herds other characters: it knows the
// name of its herd in the herd registry and directs it.
#pragma once

#include <string>

#include "Game/ai/ControllerAI.h"

namespace GAME {

class ControllerNpcHerder : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerNpcHerder)

public:
    ControllerNpcHerder();
    ~ControllerNpcHerder() override;
    // Reads nothing, not even the view distance.
    void Load(const LoadTable& table) override;
    void RegisterStates() override;
    void InitializeStates() override;

    void SetHerdName(const std::string& name) { m_herdName = name; }
    const std::string& GetHerdName() const { return m_herdName; }

private:
    std::string m_herdName;
};

}  // namespace GAME
