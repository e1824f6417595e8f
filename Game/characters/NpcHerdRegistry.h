// The herds of non-player characters: one registry for the process, which groups NPCs into
// herds by name and gives them the herd controllers. It runs on the thread that updates
// the world.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Npc;

class NpcHerdRegistry {
public:
    struct Herd {
        std::string name;
        std::vector<uint32_t> members;   // in the order they joined
        uint32_t herderId = 0;           // 0: no herder
    };

    // Made on first use; the language makes that initialisation thread-safe.
    static NpcHerdRegistry& Get();

    // Joins the herd of that name (any case), made when missing. Every member after the
    // first is given the herd-animal controller; the first keeps its own.
    void AddHerdAnimal(const std::string& herdName, Npc& npc);
    // Makes the character the herd's herder with the herder controller, which learns the
    // herd's name. An id that names no Npc changes nothing.
    void AddHerder(const std::string& herdName, uint32_t npcId);

    // Null when no herd has that name (any case).
    const Herd* FindHerd(const std::string& name) const;
    size_t GetHerdCount() const { return m_herds.size(); }
    // Forgets every herd (a new game).
    void Clear() { m_herds.clear(); }

private:
    NpcHerdRegistry() = default;
    Herd& FindOrCreateHerd(const std::string& name);

    std::vector<Herd> m_herds;
};

}  // namespace GAME
