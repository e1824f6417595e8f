// gamehost: a headless host that loads the game library beside the engine, points the
// engine at a data folder, and reports what the library registered. Its options and the
// files and folders they name are checked before anything is loaded, played or written: a
// bad one ends the run with one line naming it and the reason, and exit status 2 (the exit
// codes are in host/HostSession.h).
#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Engine/Random.h"
#include "Engine/TextUtil.h"
#include "host/HostSession.h"

using namespace GAME;

namespace {

void Usage()
{
    std::printf(
        "usage: gamehost [--help] [--data DIR] [--library PATH] [--frames N] [--step MS] [--role single|server|client]\n"
        "                [--log CHANNEL]... [--answer yes|no] [--quiet] [--save FILE] [--load FILE]\n"
        "                [--listen PORT (with --role server)] [--connect HOST:PORT (with --role client)]\n"
        "                [--seed N (every draw of the run)] [--input FILE (scripted clicks)]\n"
        "                [--level NAME (play data/Levels/NAME.lvl)]\n"
        "                [--clients N] [--late-join FRAME] (a village's server waits for N clients, then at\n"
        "                FRAME for one more)\n"
        "                [--pace (with --role server: wait for slow clients, up to 60 s each time)]\n");
}

// A refused input: the one line that ends the run, "gamehost: INPUT: REASON".
int Refuse(const std::string& refusal)
{
    std::fflush(stderr);
    std::printf("gamehost: %s\n", refusal.c_str());
    std::fflush(stdout);
    return kHostExitRefused;
}

// The options that take a value, and the field a plain one fills (--role, --log and
// --answer are read on their own).
struct ValueOption {
    const char* name;
    std::string HostOptions::*text = nullptr;   // kept as given
    int HostOptions::*number = nullptr;         // a whole number
};

constexpr ValueOption kValueOptions[] = {
    {"--data", &HostOptions::dataRoot},
    {"--library", &HostOptions::library},
    {"--save", &HostOptions::savePath},
    {"--input", &HostOptions::inputPath},
    {"--load", &HostOptions::loadPath},
    {"--connect", &HostOptions::connectTo},
    {"--level", &HostOptions::level},
    {"--frames", nullptr, &HostOptions::frames},
    {"--step", nullptr, &HostOptions::stepMs},
    {"--seed", nullptr, &HostOptions::randSeed},
    {"--clients", nullptr, &HostOptions::clients},
    {"--late-join", nullptr, &HostOptions::lateJoinFrame},
    {"--listen", nullptr, &HostOptions::listenPort},
    {"--role"},
    {"--log"},
    {"--answer"},
};

const ValueOption* FindValueOption(const std::string& arg)
{
    for (const ValueOption& option : kValueOptions)
        if (arg == option.name)
            return &option;
    return nullptr;
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

// Reads the options; empty when they are sound, else the refusal ("ARG: REASON"). `help`
// is set when the usage is asked for (--help), and the rest is then not read.
std::string ParseOptions(int argc, char** argv, HostOptions& options, bool& help)
{
    std::vector<std::string> seen;   // each option is given once; --log once for each channel
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return {};
        }
        if (arg == "--quiet" || arg == "--pace") {
            bool& flag = arg == "--quiet" ? options.quiet : options.pace;
            if (flag)
                return arg + ": given more than once";
            flag = true;
            continue;
        }
        const ValueOption* option = FindValueOption(arg);
        if (!option)
            return EscapedExcerpt(arg) + ": unknown option";
        if (i + 1 >= argc || argv[i + 1][0] == '\0')
            return arg + ": needs a value";
        const std::string value = argv[++i];
        const std::string given = arg + " " + EscapedExcerpt(value);
        const std::string once = arg == "--log" ? given : arg;
        if (std::find(seen.begin(), seen.end(), once) != seen.end())
            return once + ": given more than once";
        seen.push_back(once);
        if (option->number) {
            // A frame of no game time would move nothing, kill nothing and end no step.
            if (arg == "--step" && (!ParseInt(value, options.stepMs) || options.stepMs == 0))
                return given + ": a frame must run some game time (a whole number of ms from 1 to 1000000)";
            if (!ParseInt(value, options.*option->number) || (arg == "--listen" && options.listenPort > 65535))
                return given + ": not a whole number from 0 to " + (arg == "--listen" ? "65535" : "1000000");
        } else if (option->text) {
            options.*option->text = value;
        } else if (arg == "--role") {
            if (value != "single" && value != "server" && value != "client")
                return given + ": the role is single, server or client";
            options.role = value;
        } else if (arg == "--log") {
            options.logChannels.push_back(value);
        } else if (arg == "--answer") {
            if (value != "yes" && value != "no")
                return given + ": the answer is yes or no";
            options.answerYes = value == "yes";
        }
    }
    // A server listens and a client connects; neither does both.
    if (options.listenPort >= 0 && options.role != "server")
        return "--listen: only a server (--role server) listens";
    if (!options.connectTo.empty() && options.role != "client")
        return "--connect: only a client (--role client) connects";
    if (options.pace && options.role != "server")
        return "--pace: only a server (--role server) paces itself to its clients";
    if ((options.clients > 0 || options.lateJoinFrame > 0) && (options.role != "server" || options.level.empty()))
        return std::string(options.clients > 0 ? "--clients" : "--late-join") +
               ": only a server of a level (--role server --level NAME) waits for clients";
    return {};
}

// What the options name on disk, checked before anything is loaded, played or written: the
// data folder, the files read, and the folder a save goes to. Empty when sound, else the
// refusal ("INPUT: REASON").
std::string CheckPaths(const HostOptions& options)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(options.dataRoot, error))
        return "--data " + options.dataRoot + ": no such folder";
    if (!fs::is_directory(fs::path(options.dataRoot) / "Records", error))
        return "--data " + options.dataRoot + ": no data folder (it holds no Records folder)";
    // A file read is a file that opens.
    const auto unreadable = [](const std::string& path) -> std::string {
        std::error_code ignored;
        if (fs::is_directory(path, ignored))
            return "is a folder, not a file";
        errno = 0;
        if (std::ifstream(path))
            return {};
        return std::string("cannot be read (") + (errno != 0 ? std::strerror(errno) : "unreadable") + ")";
    };
    if (!options.inputPath.empty())
        if (const std::string why = unreadable(options.inputPath); !why.empty())
            return "--input " + options.inputPath + ": " + why;
    if (!options.loadPath.empty()) {
        if (!fs::exists(options.loadPath, error))
            return "--load " + options.loadPath + ": no save there (" + options.loadPath + " does not exist)";
        for (const std::string& path : {options.loadPath, options.loadPath + ".tokens"})
            if (const std::string why = unreadable(path); !why.empty())
                return "--load " + options.loadPath + ": " + path + " " + why;
    }
    if (!options.savePath.empty()) {
        const fs::path save(options.savePath);
        const fs::path folder = save.has_parent_path() ? save.parent_path() : fs::path(".");
        if (!fs::is_directory(folder, error))
            return "--save " + options.savePath + ": no such folder " + folder.string();
        if (!save.has_filename() || fs::is_directory(save, error))
            return "--save " + options.savePath + ": is a folder, not a file";
    }
    return {};
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
    bool help = false;
    if (const std::string refused = ParseOptions(argc, argv, options, help); !refused.empty()) {
        Usage();
        return Refuse(refused);
    }
    if (help) {
        Usage();
        return kHostExitDone;
    }
    if (const std::string refused = CheckPaths(options); !refused.empty())
        return Refuse(refused);

    RecordDatabase::Get().SetDataRoot(options.dataRoot);
    if (options.randSeed >= 0)
        GAME::srand(static_cast<unsigned int>(options.randSeed));
    const size_t tags = LocalizationManager::Instance().Load();
    std::printf("gamehost: data root %s (%zu text tags)\n", options.dataRoot.c_str(), tags);

    const int engineClasses = CountClasses(Object::GetStaticClassInfo());
    void* library = dlopen(options.library.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library)
        return Refuse("--library " + options.library + ": " + dlerror());
    const int allClasses = CountClasses(Object::GetStaticClassInfo());
    std::printf("gamehost: loaded %s\n", options.library.c_str());
    std::printf("gamehost: %d engine classes, %d registered by the game library\n", engineClasses,
                allClasses - engineClasses);
    if (!options.quiet) {
        std::printf("class information tree:\n");
        PrintTree(Object::GetStaticClassInfo(), 1);
    }

    // The session links against the game library loaded above and drives it.
    int result = kHostExitRefused;
    std::string refusal;
    if (void* session = dlopen(options.sessionLibrary.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        auto run = reinterpret_cast<int (*)(const HostOptions*)>(dlsym(session, "GameHostRun"));
        auto refused = reinterpret_cast<const char* (*)()>(dlsym(session, "GameHostRefusal"));
        if (run && refused) {
            result = run(&options);
            refusal = refused();
        } else {
            refusal = options.sessionLibrary + ": the session library has no GameHostRun";
        }
        dlclose(session);
    } else {
        refusal = options.sessionLibrary + ": " + dlerror();
    }

    dlclose(library);
    // A refused run ends on its reason.
    if (!refusal.empty())
        return Refuse(refusal);
    if (result == kHostExitRefused)
        return result;
    std::printf("gamehost: unloaded; %d classes remain registered\n", CountClasses(Object::GetStaticClassInfo()));
    return result;
}
