// What a gamehost server's standard output tells a program that runs it: the port it
// listens on, the frames it plays as its lines print them ("WHAT: frame N: ..."; nearly
// every frame prints one), and each host that joins or leaves ("session: frame N: host H
// joined", "... host H left: REASON"). Lines are seen with the time they were read; the
// frame rate over a span of time, or over a span of frames, comes from those samples.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace GAME {

// A frame number and when the server printed it (seconds on the caller's clock).
struct FrameSample {
    double seconds;
    int frame;
};

// The frame rate from `from` to `to` seconds: from the first sample at or after `from` to
// the last at or before `to`, whose frames go into `firstFrame` and `lastFrame`. 0 when the
// span holds fewer than two samples.
inline double RateBetween(const std::vector<FrameSample>& samples, double from, double to, int* firstFrame = nullptr,
                          int* lastFrame = nullptr)
{
    const auto first = std::lower_bound(samples.begin(), samples.end(), from,
                                        [](const FrameSample& s, double t) { return s.seconds < t; });
    auto last = std::upper_bound(samples.begin(), samples.end(), to,
                                 [](double t, const FrameSample& s) { return t < s.seconds; });
    if (first == samples.end() || last == samples.begin() || --last <= first)
        return 0;
    if (firstFrame)
        *firstFrame = first->frame;
    if (lastFrame)
        *lastFrame = last->frame;
    return (last->frame - first->frame) / (last->seconds - first->seconds);
}

// The frame rate over the frames `from` to `to`: from the first sample at or past `from` to
// the first at or past `to` (the last sample, when the server never got that far). 0 when
// there are not two such samples.
inline double RateOverFrames(const std::vector<FrameSample>& samples, int from, int to)
{
    const auto at = [&](int frame) {
        return std::lower_bound(samples.begin(), samples.end(), frame,
                                [](const FrameSample& s, int f) { return s.frame < f; });
    };
    const auto first = at(from);
    auto last = at(to);
    if (last == samples.end() && !samples.empty())
        --last;
    if (first == samples.end() || last <= first)
        return 0;
    return (last->frame - first->frame) / (last->seconds - first->seconds);
}

// The server's lines as they are read, from a reader thread while others look.
class ServerFrameLines {
public:
    void See(const std::string& line, double seconds)
    {
        int value = 0;
        if (std::sscanf(line.c_str(), "gamehost: listening on port %d", &value) == 1)
            port = value;
        // "WHAT: frame N: ...", WHAT the line's first field.
        const size_t at = line.find(": frame ");
        if (at == std::string::npos || line.find(':') != at)
            return;
        const char* number = line.c_str() + at + 8;
        char* end = nullptr;
        const long frame = std::strtol(number, &end, 10);
        if (end == number || *end != ':' || frame < 0)
            return;
        std::lock_guard<std::mutex> hold(m_mutex);
        // A line of an earlier frame printed late moves no clock back.
        if (m_samples.empty() || frame > m_samples.back().frame)
            m_samples.push_back({seconds, static_cast<int>(frame)});
        int host = 0, taken = 0;
        if (line.compare(0, 9, "session: ") == 0 && std::sscanf(end + 1, " host %d %n", &host, &taken) == 1 &&
            taken > 0) {
            const std::string what(end + 1 + taken);
            if (what.compare(0, 6, "joined") == 0)
                m_joined.push_back(host);
            else if (what.compare(0, 8, "was told") != 0)
                m_left.emplace_back(host, what);
        }
    }
    std::vector<FrameSample> Samples() const
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_samples;
    }
    // The latest frame a line printed; -1 before any.
    int LatestFrame() const
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_samples.empty() ? -1 : m_samples.back().frame;
    }
    bool Joined(int host) const
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        return std::find(m_joined.begin(), m_joined.end(), host) != m_joined.end();
    }
    // How the host last left, as the server said it ("left: REASON", "timed out"); empty
    // when it did not leave.
    std::string Left(int host) const
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        for (auto it = m_left.rbegin(); it != m_left.rend(); ++it)
            if (it->first == host)
                return it->second;
        return {};
    }

    std::atomic<int> port{0};

private:
    mutable std::mutex m_mutex;
    std::vector<FrameSample> m_samples;
    std::vector<int> m_joined;
    std::vector<std::pair<int, std::string>> m_left;
};

}  // namespace GAME
