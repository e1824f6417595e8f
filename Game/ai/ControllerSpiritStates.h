// The states of the spirit and of the statue it raises. They stand on the monster state
// base; each family holds its own controller to reach the fields the monster's lacks.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerSpirit;
class ControllerSpiritHost;

// ---- The spirit ----

class ControllerSpiritState : public MonsterState {
public:
    explicit ControllerSpiritState(ControllerSpirit& spirit);

    uint32_t GetAnimateTarget() const;
    void SetAnimateTarget(uint32_t id);
    // Claims the nearest free statue among the allies in sight (the first of equals):
    // the statue records the spirit and becomes the animate target. False, the target
    // unchanged, when there is none.
    bool FindNewAnimateTarget();

protected:
    ControllerSpirit& Spirit() const { return *m_spirit; }
    // Logged at level 2; the spirit goes idle.
    void GiveUp(const char* why);

private:
    ControllerSpirit* m_spirit;
};

class ControllerSpiritStateStartup : public ControllerSpiritState {
public:
    using ControllerSpiritState::ControllerSpiritState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    // The spirit joins the invisible team.
    virtual void SetMyTeam();

private:
    void SetOut();
};

class ControllerSpiritStateIdle : public ControllerSpiritState {
public:
    using ControllerSpiritState::ControllerSpiritState;
    void OnBegin() override { Idle(); }
};

class ControllerSpiritStatePursueToAnimate : public ControllerSpiritState {
public:
    using ControllerSpiritState::ControllerSpiritState;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
};

class ControllerSpiritStateAttackToAnimate : public ControllerSpiritState {
public:
    using ControllerSpiritState::ControllerSpiritState;
    void OnBegin() override;
    // The strike is over: the spirit is gone.
    void HandleEvent(const Name& event) override;
};

// ---- The statue ----

class ControllerSpiritHostState : public MonsterState {
public:
    explicit ControllerSpiritHostState(ControllerSpiritHost& host);
    // The flag of the controller and of its statue character together.
    void SetAnimated(bool animated);

protected:
    ControllerSpiritHost& Host() const { return *m_host; }

private:
    ControllerSpiritHost* m_host;
};

class ControllerSpiritHostStateStartup : public ControllerSpiritHostState {
public:
    using ControllerSpiritHostState::ControllerSpiritHostState;
    // A risen statue (restored from a save) is a monster at once; any other sits.
    void OnBegin() override;
    // Only a spirit's strike raises it.
    void Attacked(uint32_t attackerId) override;
};

class ControllerSpiritHostStateAnimate : public ControllerSpiritHostState {
public:
    using ControllerSpiritHostState::ControllerSpiritHostState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;

private:
    void Risen();
};

}  // namespace GAME
