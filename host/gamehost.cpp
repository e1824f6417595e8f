// gamehost: a headless host that loads the game library beside the engine, points the
// engine at a data folder, and reports what the library registered. Its options and the
// files and folders they name are checked before anything is loaded, played or written: a
// bad one ends the run with one line naming it and the reason, and exit status 2 (the exit
// codes are in host/HostSession.h).
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Object.h"
#include "Engine/Random.h"
#include "Engine/TextUtil.h"
#include "host/HostSession.h"

using namespace GAME;

namespace {

// A server waits for clients of the other hosts of a game.
constexpr int kMaxClients = ConnectionManager::kMaxHost;

void Usage(std::FILE* to)
{
    std::fprintf(to,
        "usage: gamehost [--help] [--data DIR] [--library PATH] [--frames N] [--step MS] [--role single|server|client]\n"
        "                [--log CHANNEL (a channel of the game's log: Combat, the trace of each attack)]...\n"
        "                [--answer yes|no] [--quiet] [--save FILE] [--load FILE]\n"
        "                [--listen PORT (with --role server)] [--connect HOST:PORT (with --role client)]\n"
        "                [--seed N (every draw of the run; N from 0 to 1000000)] [--input FILE (scripted clicks)]\n"
        "                [--level NAME (play data/Levels/NAME.lvl)]\n"
        "                [--clients N] [--late-join FRAME] (a village's server waits for N clients, then at\n"
        "                FRAME for one more)\n"
        "                [--pace (with --role server: wait for slow clients, up to 60 s each time)]\n");
}

// A refused input: the one line that ends the run, "gamehost: INPUT: REASON", on standard
// error and written whole; nothing more is printed. A refusal that quotes bytes which are
// no printable text (a path holding a line break) is shown escaped, so that it stays one line.
int Refuse(const std::string& refusal)
{
    const std::string line =
        "gamehost: " + (IsPrintableText(refusal) ? refusal : EscapedExcerpt(refusal, refusal.size())) + "\n";
    std::fflush(stdout);
    std::fputs(line.c_str(), stderr);
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

// A whole number from 0 to `most`, written as digits alone (no sign, no blank).
bool ParseInt(const std::string& text, int& out, int most = 1000000)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > most)
        return false;
    out = static_cast<int>(value);
    return true;
}

// Why --connect's value is no server to join: empty when it is HOST:PORT, a host and a
// port from 1 to 65535.
std::string CheckServerAddress(const std::string& text)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        return "no HOST:PORT (a host's name or address, a colon and a port)";
    int port = 0;
    if (!ParseInt(text.substr(colon + 1), port, 65535) || port == 0)
        return "the port " + EscapedExcerpt(text.substr(colon + 1)) + " is not a whole number from 1 to 65535";
    return {};
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
        // The next option is no value: "--step --quiet" lacks the step.
        if (i + 1 >= argc || argv[i + 1][0] == '\0' || std::strncmp(argv[i + 1], "--", 2) == 0 ||
            std::strcmp(argv[i + 1], "-h") == 0)
            return arg + ": needs a value";
        const std::string value = argv[++i];
        const std::string given = arg + " " + EscapedExcerpt(value);
        const std::string once = arg == "--log" ? given : arg;
        if (std::find(seen.begin(), seen.end(), once) != seen.end())
            return once + ": given more than once";
        seen.push_back(once);
        if (option->number) {
            // A frame of no game time would move nothing, kill nothing and end no step.
            if (arg == "--step" && !ParseInt(value, options.stepMs))
                return given + ": not a whole number of ms from 1 to 1000000";
            if (arg == "--step" && options.stepMs == 0)
                return given + ": a frame must run some game time (a whole number of ms from 1 to 1000000)";
            if (!ParseInt(value, options.*option->number) || (arg == "--listen" && options.listenPort > 65535))
                return given + ": not a whole number from " +
                       (arg == "--listen"    ? "0 to 65535"
                        : arg == "--clients" ? "1 to " + std::to_string(kMaxClients)
                                             : std::string("0 to 1000000"));
        } else if (option->text) {
            if (arg == "--connect")
                if (const std::string why = CheckServerAddress(value); !why.empty())
                    return given + ": " + why;
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
    // A server listens and a client connects; neither does both, and each does its own.
    if (options.listenPort >= 0 && options.role != "server")
        return "--listen: only a server (--role server) listens";
    if (!options.connectTo.empty() && options.role != "client")
        return "--connect: only a client (--role client) connects";
    if (options.role == "server" && options.listenPort < 0)
        return "--role server: a server needs the port to listen on (--listen PORT)";
    if (options.role == "client" && options.connectTo.empty())
        return "--role client: a client needs the server to join (--connect HOST:PORT)";
    // A server waits for a client or more; at most every other host of a game.
    if (std::find(seen.begin(), seen.end(), "--clients") != seen.end() &&
        (options.clients < 1 || options.clients > kMaxClients))
        return "--clients " + std::to_string(options.clients) + ": a server waits for 1 to " +
               std::to_string(kMaxClients) + " clients";
    if (options.pace && options.role != "server")
        return "--pace: only a server (--role server) paces itself to its clients";
    if ((options.clients > 0 || options.lateJoinFrame > 0) && (options.role != "server" || options.level.empty()))
        return std::string(options.clients > 0 ? "--clients" : "--late-join") +
               ": only a server of a level (--role server --level NAME) waits for clients";
    return {};
}

// The data folder, checked before the game library is loaded (the files read and the
// folder saved to are checked by the session before the game starts). Empty when sound,
// else the refusal ("INPUT: REASON").
std::string CheckDataFolder(const HostOptions& options)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(options.dataRoot, error) && !fs::is_directory(options.dataRoot, error))
        return "--data " + options.dataRoot + ": is a file, not a folder";
    if (!fs::is_directory(options.dataRoot, error))
        return "--data " + options.dataRoot + ": no such folder";
    if (!fs::is_directory(fs::path(options.dataRoot) / "Records", error))
        return "--data " + options.dataRoot + ": no data folder (it holds no Records folder)";
    // Every file of the folders the game reads by name as it plays is a regular file within
    // its bound: a pipe there would hold the run, and a device or a file past its bound would
    // be dropped in the middle of the game with a warning.
    for (const auto& [name, limit] : {std::pair<const char*, uint64_t>{"Records", kMaxReadFileBytes},
                                      {"Text", kMaxReadFileBytes},
                                      {"Animations", GraphicsAnim::kMaxFileBytes}}) {
        const std::string folder = RecordDatabase::FindPathIgnoringCase(options.dataRoot, name);
        if (!folder.empty())
            if (const std::string why = FindUnreadableFile(folder, limit); !why.empty())
                return "--data " + options.dataRoot + ": " + fs::path(folder).filename().string() + "/" + why;
    }
    return {};
}

// The name a shared library gives itself (its DT_SONAME), read from its file without
// loading it; empty when the file is no 64-bit ELF library that names itself (a library
// cut short has lost its section headers, which lie at its end). `why` tells a file that is
// no regular file or cannot be opened (a pipe is not opened).
std::string SharedObjectName(const std::string& path, std::string& why)
{
    int fd = -1;
    if (why = OpenRegularFile(path, fd); !why.empty())
        return {};
    const auto readAt = [fd](void* to, size_t size, uint64_t at) {
        return ::pread(fd, to, size, static_cast<off_t>(at)) == static_cast<ssize_t>(size);
    };
    std::string name;
    Elf64_Ehdr header;
    if (readAt(&header, sizeof header, 0) && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
        header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_shentsize == sizeof(Elf64_Shdr)) {
        // The dynamic section, and the string table its entries' names are in.
        for (unsigned i = 0; i < header.e_shnum && name.empty(); ++i) {
            Elf64_Shdr dynamic;
            Elf64_Shdr strings;
            if (!readAt(&dynamic, sizeof dynamic, header.e_shoff + uint64_t{i} * sizeof dynamic) ||
                dynamic.sh_type != SHT_DYNAMIC || dynamic.sh_link >= header.e_shnum ||
                !readAt(&strings, sizeof strings, header.e_shoff + uint64_t{dynamic.sh_link} * sizeof strings))
                continue;
            for (uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.sh_size && at < (uint64_t{1} << 20);
                 at += sizeof(Elf64_Dyn)) {
                Elf64_Dyn entry;
                if (!readAt(&entry, sizeof entry, dynamic.sh_offset + at) || entry.d_tag == DT_NULL)
                    break;
                if (entry.d_tag != DT_SONAME || entry.d_un.d_val >= strings.sh_size)
                    continue;
                char text[256] = {};
                if (::pread(fd, text, sizeof text - 1, static_cast<off_t>(strings.sh_offset + entry.d_un.d_val)) > 0)
                    name = text;
                break;
            }
        }
    }
    ::close(fd);
    return name;
}

// Why the library loaded for --library is not the game library the session plays: empty
// when it registered classes of its own and is the library the session binds to by name
// (the build's game library's file name, which is its soname), so that the game played is
// the one chosen.
std::string NoGameLibrary(void* library, int registered)
{
    if (registered <= 0)
        return "no game library (it registers no game classes)";
    const std::string name = std::filesystem::path(GAME_LIBRARY_PATH).filename().string();
    void* bound = dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (bound)
        dlclose(bound);
    if (bound != library)
        return "no game library (the session plays the library named " + name + ", and this is another)";
    return {};
}

int CountClasses(const RTTI_ClassInfo& info)
{
    int count = 1;
    for (int i = 0; i < info.GetChildCount(); ++i)
        count += CountClasses(*info.GetChild(i));
    return count;
}

void AppendTree(std::string& out, const RTTI_ClassInfo& info, int depth)
{
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += info.GetName();
    out += '\n';
    for (int i = 0; i < info.GetChildCount(); ++i)
        AppendTree(out, *info.GetChild(i), depth + 1);
}

// printf into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    va_end(args);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    // Each line reaches standard output whole, in one write, so that the log's lines on
    // standard error (written whole too) never land inside one when both go to one file.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOLBF, sizeof outputBuffer);

    HostOptions options;
    options.dataRoot = GAME_DEFAULT_DATA;
    options.library = GAME_LIBRARY_PATH;
    options.sessionLibrary = GAME_SESSION_PATH;
    bool help = false;
    if (const std::string refused = ParseOptions(argc, argv, options, help); !refused.empty()) {
        if (refused.ends_with(": unknown option"))
            Usage(stderr);
        return Refuse(refused);
    }
    if (help) {
        Usage(stdout);
        return kHostExitDone;
    }
    if (const std::string refused = CheckDataFolder(options); !refused.empty())
        return Refuse(refused);

    RecordDatabase::Get().SetDataRoot(options.dataRoot);
    if (options.randSeed >= 0)
        GAME::srand(static_cast<unsigned int>(options.randSeed));
    const size_t tags = LocalizationManager::Instance().Load();
    const int engineClasses = CountClasses(Object::GetStaticClassInfo());
    // A library of another name is refused before it loads: loaded, a second copy of a
    // library the process already holds (another build's engine) would set up the first
    // one's objects again over its own, and take them down twice at exit.
    const std::string gameName = std::filesystem::path(GAME_LIBRARY_PATH).filename().string();
    // The library is read before it is loaded: a pipe is refused unopened, and a file that
    // does not say its own name (cut short, or no library) is not handed to the loader.
    std::string unreadable;
    const std::string name = SharedObjectName(options.library, unreadable);
    if (!unreadable.empty())
        return Refuse("--library " + options.library + ": " + unreadable);
    if (name.empty())
        return Refuse("--library " + options.library +
                      ": no game library (it does not name itself: no whole 64-bit ELF shared library)");
    if (name != gameName)
        return Refuse("--library " + options.library + ": no game library (it names itself " + EscapedExcerpt(name) +
                      ", and the session plays the library named " + gameName + ")");
    // The file looked at is the one loaded: a name without a folder would be searched for.
    const std::string loaded = options.library.find('/') == std::string::npos ? "./" + options.library : options.library;
    void* library = dlopen(loaded.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!library)
        return Refuse("--library " + options.library + ": " + dlerror());
    const int allClasses = CountClasses(Object::GetStaticClassInfo());
    if (const std::string why = NoGameLibrary(library, allClasses - engineClasses); !why.empty()) {
        dlclose(library);
        return Refuse("--library " + options.library + ": " + why);
    }
    // Printed by the session once it has checked what the run reads and writes: a refused
    // run prints nothing on standard output.
    options.header = Format("gamehost: data root %s (%zu text tags)\n", options.dataRoot.c_str(), tags) +
                     Format("gamehost: loaded %s\n", options.library.c_str()) +
                     Format("gamehost: %d engine classes, %d registered by the game library\n", engineClasses,
                            allClasses - engineClasses);
    if (!options.quiet) {
        options.header += "class information tree:\n";
        AppendTree(options.header, Object::GetStaticClassInfo(), 1);
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
    // Closed is not always unloaded: the system keeps a library loaded while anything of it
    // is still in use (the thread-local storage the frames' thread used, a symbol bound to
    // it), and its classes stay registered until it goes.
    const int remaining = CountClasses(Object::GetStaticClassInfo());
    if (void* still = dlopen(loaded.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        dlclose(still);
        std::printf("gamehost: game library closed, but loaded until the process ends: %d classes remain registered "
                    "(%d of the engine, %d of the game library, %d of the host)\n",
                    remaining, engineClasses, allClasses - engineClasses, remaining - allClasses);
    } else {
        std::printf("gamehost: unloaded; %d classes remain registered\n", remaining);
    }
    return result;
}
