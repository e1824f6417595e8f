// The thread that writes saved quest state in the background, named
// "QuestStateSaveThread". It only writes buffers the game thread serialised at hand-off:
// it never reads a quest. A hand-off marks a save pending until the thread has written
// it; WaitDone waits until nothing is pending; quitting writes a pending save first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Game/core/foundation/Thread.h"

namespace GAME {

struct QuestSaveFile {
    std::string path;
    std::vector<unsigned char> bytes;
    uint32_t questId = 0;   // 0 for the main file
    bool isQuest = false;
};

class QuestStateSaveThread : public Thread {
public:
    QuestStateSaveThread();
    // Writes a pending save, then ends the thread.
    ~QuestStateSaveThread() override;

    // Queues the files; a file of a path already queued replaces it.
    void HandOff(std::vector<QuestSaveFile> files);
    void WaitDone();
    bool IsPending() const;
    // The ids of the quests whose state file could not be written since the last call.
    std::vector<uint32_t> TakeFailed();

    // Writes the bytes to a fresh file beside `path` and renames it over `path`; false
    // (logged, nothing left behind) when that fails.
    static bool WriteFileReplacing(const std::string& path, const std::vector<unsigned char>& bytes);

private:
    void Run() override;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<QuestSaveFile> m_request;
    std::vector<uint32_t> m_failed;
    bool m_pending = false;
    bool m_quit = false;
    bool m_started = false;
};

}  // namespace GAME
