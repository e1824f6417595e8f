// What happens to a character's body when it dies: each behaviour is a DeathHandler,
// and the character's DeathManager drives the handlers chosen for it together.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace GAME {

class Character;
class Name;

class DeathHandler {
public:
    explicit DeathHandler(Character* character) : m_character(character) {}
    virtual ~DeathHandler() = default;
    DeathHandler(const DeathHandler&) = delete;
    DeathHandler& operator=(const DeathHandler&) = delete;

    virtual void Execute() { m_finished = false; }
    virtual void Update(int) {}
    virtual void AnimationCallback(const Name&) {}
    virtual void ExternalEvent(const Name&) {}
    virtual void PostProcess() {}
    virtual void Finish() { m_finished = true; }
    virtual void Reset() { m_finished = false; }
    virtual void PreLoad() {}
    virtual bool NeedsObjectId() const { return false; }
    virtual void SetObjectId(unsigned int) {}

    bool IsFinished() const { return m_finished; }
    Character* GetCharacter() const { return m_character; }

private:
    Character* m_character;
    bool m_finished = false;
};

class DeathManager {
public:
    explicit DeathManager(Character* character) : m_character(character) {}

    // The manager owns the handler from now on; null is ignored.
    void AddHandler(std::unique_ptr<DeathHandler> handler);
    // The handlers the character's record asks for, once (a manager that has handlers
    // keeps them): always the default one; by "deleteBehavior" a dissolve ("Delete",
    // "Dissolve", "DissolveOnCallback"), a fade ("Fade") or a sound ("PlaySound"); then a
    // spawn, the bones and a death effect when the record names them.
    void ChooseHandlers();
    // Every handler's PreLoad.
    void PreLoad();

    // One fresh object id for every handler that needs one, in handler order (the list
    // is replaced).
    void GetObjectIdRequests(std::vector<uint32_t>& ids) const;
    // The k-th id goes to the k-th handler that needs one; ids beyond them are ignored,
    // and handlers beyond the ids get none.
    void SetObjectIds(const std::vector<uint32_t>& ids);
    // Starts dying: the character's ImDying, then every handler's Execute.
    void Execute();
    // While started and not post-processed, every handler's Update.
    void Update(int elapsedMs);
    void AnimationCallback(const Name& event);
    void ExternalEvent(const Name& event);
    // Started, not yet post-processed, and every handler finished.
    bool IsFinished() const;
    // The character's ImDead; the first time only, every handler's PostProcess (a
    // handler may destroy the character: it is freed only at the end of the frame).
    void PostProcess();
    // The character starts to respawn.
    void Reset();

    Character* GetCharacter() const { return m_character; }
    size_t GetHandlerCount() const { return m_handlers.size(); }
    // Null outside 0 .. count - 1.
    DeathHandler* GetHandler(size_t index) const
    {
        return index < m_handlers.size() ? m_handlers[index].get() : nullptr;
    }
    bool IsStarted() const { return m_started; }
    bool IsPostProcessed() const { return m_postProcessed; }

private:
    Character* m_character;
    std::vector<std::unique_ptr<DeathHandler>> m_handlers;
    bool m_started = false;
    bool m_postProcessed = false;
};

}  // namespace GAME
