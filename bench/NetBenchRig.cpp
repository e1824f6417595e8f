#include "NetBenchRig.h"

#include <enet/enet.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "Engine/EnetTransport.h"
#include "Engine/NetPacket.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/session/SpawnReplication.h"

namespace GAME::bench {

namespace {

constexpr auto kChildStopLimit = std::chrono::seconds(10);

void ReadLines(int fd, const ChildProgram::OnLine& onLine)
{
    std::string pending;
    char buffer[65536];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, static_cast<size_t>(got));
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            onLine(pending.substr(start, end - start));
        pending.erase(0, start);
    }
    close(fd);
}

cpu_set_t SetOf(const std::vector<int>& cores)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu : cores)
        if (cpu >= 0 && cpu < CPU_SETSIZE)
            CPU_SET(cpu, &set);
    return set;
}

}  // namespace

std::vector<unsigned char> BytesOf(NetPacket& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return {packet.GetOutBuffer(), packet.GetOutBuffer() + size};
}

WorldCoords AtOrigin()
{
    return WorldCoords(World::Get().GetRegionById(1), Coords());
}

std::vector<std::vector<unsigned char>> JoinPackets(uint32_t playerId)
{
    std::vector<std::vector<unsigned char>> packets;
    SinglePlayerBasicInfoPacket join;
    join.info.playerId = playerId;
    join.info.playerName = u"Flood";
    join.info.maxLife = join.info.life = 300.0f;
    packets.push_back(BytesOf(join));
    if (auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kArenaPlayerRecord, playerId)) {
        World::Get().AddEntity(player, AtOrigin());
        if (std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player))
            packets.push_back(BytesOf(*spawn));
        ObjectManager::Get().DestroyObjectEx(player, __FILE__, __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
    }
    SinglePlayerHeartbeatPacket beat;
    beat.info = join.info;
    packets.push_back(BytesOf(beat));
    return packets;
}

void CountingServerTransport::Send(const NetDestination& to, const unsigned char* data, size_t size)
{
    for (int host = 1; host < kHosts; ++host) {
        const bool reaches = to.kind == NetDestination::AllClients ||
                             (to.kind == NetDestination::OtherClients && to.host != host) ||
                             (to.kind == NetDestination::Host && to.host == host);
        if (reaches && m_inner.IsConnected(host))
            ++sent[host];
    }
    m_inner.Send(to, data, size);
}

CoreSplit SplitOffFlooderCore()
{
    CoreSplit split;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return split;
    std::vector<int> cores;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &allowed))
            cores.push_back(cpu);
    if (cores.size() < 2)
        return split;
    split.flooder = cores.back();
    cores.pop_back();
    split.others = std::move(cores);
    return split;
}

bool PinCallingThread(const std::vector<int>& cores)
{
    if (cores.empty())
        return false;
    const cpu_set_t set = SetOf(cores);
    return sched_setaffinity(0, sizeof set, &set) == 0;
}

bool ChildProgram::Start(const std::vector<std::string>& args, OnLine onLine, const std::vector<int>& cores)
{
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // Made before the fork: the child only makes system calls before it runs the program.
    const cpu_set_t set = SetOf(cores);
    m_pid = fork();
    if (m_pid == 0) {
        if (!cores.empty())
            sched_setaffinity(0, sizeof set, &set);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (m_pid < 0) {
        close(out[0]);
        close(err[0]);
        return false;
    }
    // Its readers share its cores.
    m_readers.emplace_back([fd = out[0], onLine = std::move(onLine), cores] {
        PinCallingThread(cores);
        ReadLines(fd, onLine);
    });
    m_readers.emplace_back([this, fd = err[0], cores] {
        PinCallingThread(cores);
        ReadLines(fd, [this](const std::string&) { ++errorLines; });
    });
    return true;
}

bool ChildProgram::Running()
{
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) != 0)
        m_pid = -1;
    return m_pid > 0;
}

void ChildProgram::Stop()
{
    if (Running()) {
        kill(m_pid, SIGTERM);
        const auto until = Clock::now() + kChildStopLimit;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (Clock::now() > until) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
    }
    for (std::thread& reader : m_readers)
        if (reader.joinable())
            reader.join();
    m_readers.clear();
}

ENetHost* MakeRawHost(const char* localAddress, size_t peers)
{
    ENetAddress local{};
    if (enet_address_set_host(&local, localAddress) != 0)
        return nullptr;
    ENetHost* host = enet_host_create(&local, peers, 2, 0, 0);
    // A raw peer answers the server's connect challenge, as an attacker able to receive at
    // its address would: without it no request of its takes a place on the server.
    if (host)
        EnetTransport::AnswerChallenges(host);
    return host;
}

ENetPeer* ConnectRaw(ENetHost* host, uint16_t port)
{
    ENetAddress server{};
    enet_address_set_host(&server, "127.0.0.1");
    server.port = port;
    return enet_host_connect(host, &server, 2, 0);
}

}  // namespace GAME::bench
