#include "Game/quests/QuestStateSaveThread.h"

#include <cstdio>

#include "Engine/Engine.h"

namespace GAME {

QuestStateSaveThread::QuestStateSaveThread()
{
    m_started = Start();
    if (m_started)
        SetPriority(0);
}

QuestStateSaveThread::~QuestStateSaveThread()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_started)
        Wait();
}

void QuestStateSaveThread::HandOff(std::vector<QuestSaveFile> files)
{
    if (files.empty())
        return;
    if (!m_started) {
        for (const QuestSaveFile& file : files)
            if (!WriteFileReplacing(file.path, file.bytes) && file.isQuest) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_failed.push_back(file.questId);
            }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (QuestSaveFile& file : files) {
            bool replaced = false;
            for (QuestSaveFile& queued : m_request)
                if (queued.path == file.path) {
                    queued = std::move(file);
                    replaced = true;
                    break;
                }
            if (!replaced)
                m_request.push_back(std::move(file));
        }
        m_pending = true;
    }
    m_wake.notify_all();
}

void QuestStateSaveThread::WaitDone()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return !m_pending; });
}

bool QuestStateSaveThread::IsPending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending;
}

std::vector<uint32_t> QuestStateSaveThread::TakeFailed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_failed, {});
}

void QuestStateSaveThread::Run()
{
    SetThreadName("QuestStateSaveThread");
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_request.empty(); });
        if (m_request.empty()) {
            if (m_quit)
                return;
            continue;
        }
        std::vector<QuestSaveFile> files = std::exchange(m_request, {});
        lock.unlock();
        std::vector<uint32_t> failed;
        for (const QuestSaveFile& file : files)
            if (!WriteFileReplacing(file.path, file.bytes) && file.isQuest)
                failed.push_back(file.questId);
        lock.lock();
        m_failed.insert(m_failed.end(), failed.begin(), failed.end());
        if (m_request.empty()) {
            m_pending = false;
            m_done.notify_all();
        }
    }
}

bool QuestStateSaveThread::WriteFileReplacing(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = (std::fclose(file) == 0) && ok;
    }
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        gEngine->Log(LOG_ERROR, "QuestRepository: cannot write \"%s\"", path.c_str());
    }
    return ok;
}

}  // namespace GAME
