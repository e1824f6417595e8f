// gamehost: a headless host that loads the game library beside the engine, points the
// engine at a data folder, and reports what the library registered.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Engine/Random.h"
#include "host/HostSession.h"

using namespace GAME;

namespace {

void Usage()
{
    std::printf(
        "usage: gamehost [--data DIR] [--library PATH] [--frames N] [--step MS] [--role single|server|client]\n"
        "                [--log CHANNEL]... [--answer yes|no] [--quiet] [--save FILE] [--load FILE]\n"
        "                [--listen PORT (with --role server)] [--connect HOST:PORT (with --role client)]\n"
        "                [--seed N (every draw of the run)] [--input FILE (scripted clicks)]\n"
        "                [--level NAME (play data/Levels/NAME.lvl)]\n"
        "                [--clients N] [--late-join FRAME] (a village's server waits for N clients, then at\n"
        "                FRAME for one more)\n");
}

bool ParseInt(const std::string& text, int& out)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 1000000)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseOptions(int argc, char** argv, HostOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        if (arg == "--data") {
            if (!next(options.dataRoot))
                return false;
        } else if (arg == "--library") {
            if (!next(options.library))
                return false;
        } else if (arg == "--frames" || arg == "--step") {
            std::string value;
            if (!next(value) || !ParseInt(value, arg == "--frames" ? options.frames : options.stepMs))
                return false;
        } else if (arg == "--role") {
            if (!next(options.role) || (options.role != "single" && options.role != "server" && options.role != "client"))
                return false;
        } else if (arg == "--log") {
            std::string channel;
            if (!next(channel))
                return false;
            options.logChannels.push_back(channel);
        } else if (arg == "--answer") {
            std::string answer;
            if (!next(answer) || (answer != "yes" && answer != "no"))
                return false;
            options.answerYes = answer == "yes";
        } else if (arg == "--save") {
            if (!next(options.savePath))
                return false;
        } else if (arg == "--input") {
            if (!next(options.inputPath))
                return false;
        } else if (arg == "--load") {
            if (!next(options.loadPath))
                return false;
        } else if (arg == "--listen") {
            std::string value;
            if (!next(value) || !ParseInt(value, options.listenPort) || options.listenPort > 65535)
                return false;
        } else if (arg == "--connect") {
            if (!next(options.connectTo) || options.connectTo.empty())
                return false;
        } else if (arg == "--seed") {
            std::string value;
            if (!next(value) || !ParseInt(value, options.randSeed))
                return false;
        } else if (arg == "--level") {
            if (!next(options.level))
                return false;
        } else if (arg == "--clients" || arg == "--late-join") {
            std::string value;
            if (!next(value) || !ParseInt(value, arg == "--clients" ? options.clients : options.lateJoinFrame))
                return false;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else {
            return false;
        }
    }
    // A server listens and a client connects; neither does both.
    if (options.listenPort >= 0 && options.role != "server")
        return false;
    if ((options.clients > 0 || options.lateJoinFrame > 0) && (options.role != "server" || options.level.empty()))
        return false;
    return options.connectTo.empty() || options.role == "client";
}

int CountClasses(const RTTI_ClassInfo& info)
{
    int count = 1;
    for (int i = 0; i < info.GetChildCount(); ++i)
        count += CountClasses(*info.GetChild(i));
    return count;
}

void PrintTree(const RTTI_ClassInfo& info, int depth)
{
    std::printf("%*s%s\n", depth * 2, "", info.GetName());
    for (int i = 0; i < info.GetChildCount(); ++i)
        PrintTree(*info.GetChild(i), depth + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    HostOptions options;
    options.dataRoot = GAME_DEFAULT_DATA;
    options.library = GAME_LIBRARY_PATH;
    options.sessionLibrary = GAME_SESSION_PATH;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }

    RecordDatabase::Get().SetDataRoot(options.dataRoot);
    if (options.randSeed >= 0)
        GAME::srand(static_cast<unsigned int>(options.randSeed));
    const size_t tags = LocalizationManager::Instance().Load();
    std::printf("gamehost: data root %s (%zu text tags)\n", options.dataRoot.c_str(), tags);

    const int engineClasses = CountClasses(Object::GetStaticClassInfo());
    void* library = dlopen(options.library.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        std::fprintf(stderr, "gamehost: cannot load %s: %s\n", options.library.c_str(), dlerror());
        return 1;
    }
    const int allClasses = CountClasses(Object::GetStaticClassInfo());
    std::printf("gamehost: loaded %s\n", options.library.c_str());
    std::printf("gamehost: %d engine classes, %d registered by the game library\n", engineClasses,
                allClasses - engineClasses);
    if (!options.quiet) {
        std::printf("class information tree:\n");
        PrintTree(Object::GetStaticClassInfo(), 1);
    }

    // The session links against the game library loaded above and drives it.
    int result = 1;
    if (void* session = dlopen(options.sessionLibrary.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        auto run = reinterpret_cast<int (*)(const HostOptions*)>(dlsym(session, "GameHostRun"));
        if (run)
            result = run(&options);
        else
            std::fprintf(stderr, "gamehost: %s has no GameHostRun\n", options.sessionLibrary.c_str());
        dlclose(session);
    } else {
        std::fprintf(stderr, "gamehost: cannot load %s: %s\n", options.sessionLibrary.c_str(), dlerror());
    }

    dlclose(library);
    std::printf("gamehost: unloaded; %d classes remain registered\n", CountClasses(Object::GetStaticClassInfo()));
    return result;
}
