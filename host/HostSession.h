// What gamehost hands to the session that drives the game: the options of the run.
#pragma once

#include <string>
#include <vector>

namespace GAME {

class HostInput;
class RTTI_ClassInfo;

struct HostOptions {
    std::string dataRoot;
    std::string library;
    std::string sessionLibrary;
    int frames = 10;
    int stepMs = 16;
    std::string role = "single";             // single, server or client
    std::vector<std::string> logChannels;    // channels to switch on
    bool answerYes = true;                   // how the console answers yes/no dialogs
    bool quiet = false;
    std::string savePath;                    // the player is saved here at the end
    std::string loadPath;                    // a character read and printed at the start
    int listenPort = -1;                     // a server on the network: the port (0: any free one)
    std::string connectTo;                   // a client on the network: the server's HOST:PORT
    int randSeed = -1;                       // every draw of the run starts here (-1: as built)
    std::string inputPath;                   // scripted clicks that steer the player (host/HostInput.h)
    std::string level;                       // a level of its own to play (host/HostLevel.h)
    int clients = 0;                         // a village's server waits for this many clients
    int lateJoinFrame = 0;                   // ... and at this frame for one more (0: none)
    std::string header;                      // gamehost's first lines, printed once the run is accepted
    bool pace = false;                       // a server waits for its clients however slow (host/HostNetwork.h)
};

// The exit codes of gamehost.
constexpr int kHostExitDone = 0;      // the run did what it was asked
constexpr int kHostExitShort = 1;     // it ended short: a level not finished, a save not written
constexpr int kHostExitRefused = 2;   // an input was refused before anything was played or written

// Refuses the run for a bad input (an option, a file, a folder, a port): the first refusal
// of a run is kept, and gamehost prints it on standard error, as the one line there,
// "gamehost: INPUT: REASON". The run then plays no frame and writes nothing. Returns
// kHostExitRefused.
int HostRefuse(const std::string& input, const std::string& reason);
// Whether the run was refused.
bool HostRefused();
// Ends a run that played but ended short of what it was asked for reasons of its own (not a
// level unfinished): the reason, "gamehost: REASON", on standard error as one line, after
// what standard output holds. Returns kHostExitShort.
int HostEndShort(const std::string& reason);
// A run calls this once every input is checked (the options, the files and folders they
// name, the level, the save, the port), before the game starts. It makes the last check,
// the one that writes (ProbeHostSave: the folder saved to takes a file), so that a run
// refused for any other reason leaves that folder as it was; false when it refuses the
// run (HostRefuse). Else gamehost's header (HostOptions::header) is printed, once. A run
// prints nothing on standard output before it, so that a refused run prints nothing there.
bool HostAccepted(const HostOptions& options);
// Why a file the run reads cannot be: empty when it opens, else "is a folder, not a file"
// or "cannot be read (REASON)".
std::string HostUnreadable(const std::string& path);
// Why a record the run makes something from before anything starts cannot serve: empty
// when it loads and its class is `made` or one of its kinds (any class when `made` is
// null, when it must hold a value), else "the ROLE's record RECORD does not exist", "...
// makes no ROLE (its class is \"CLASS\"; the first of its lines that did not parse)" or
// "... holds no values (it is empty)". The lines logged as it loads are
// printed only when it serves: a record that refuses the run leaves its reason alone on
// standard error.
std::string HostCheckRecord(const std::string& record, const std::string& role, const RTTI_ClassInfo* made);
// Gives `input` the run's scripted clicks (--input), as the start check read them once (a
// pipe reads once): true when the run is scripted, false when it is not (no --input).
bool HostLoadInput(const HostOptions& options, HostInput& input);

}  // namespace GAME

// Runs the game: start-up, the frames, shut-down. Returns the process exit code.
extern "C" int GameHostRun(const GAME::HostOptions* options);
// The refusal of the last run ("" when it was not refused), for gamehost to print last.
extern "C" const char* GameHostRefusal();
