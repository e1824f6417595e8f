// libFuzzer options these targets run with unless the command line gives its own.
//
// libFuzzer's entropic scheduling counts, for every feature an input touches, how often it
// has been seen, and keeps each feature seen fewer than -entropic_feature_frequency_threshold
// times (255 unless given) in a list it searches linearly for every feature of every run.
// The targets that play whole systems touch thousands of features per input, so until
// most had been seen 255 times that search took 50 to 65% of their time. At 16 the rarest
// features still steer which inputs are mutated, at a fraction of the cost.
#pragma once

#include <cstring>
#include <vector>

namespace GAME {

inline void DefaultFuzzerOptions(int* argc, char*** argv)
{
    static const char kThreshold[] = "-entropic_feature_frequency_threshold=";
    static char kDefaultThreshold[] = "-entropic_feature_frequency_threshold=16";
    if (!argc || !argv || !*argv)
        return;
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], kThreshold, sizeof(kThreshold) - 1) == 0)
            return;
    // libFuzzer reads the arguments after this returns; they must outlive the run.
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    arguments.push_back(kDefaultThreshold);
    arguments.push_back(nullptr);
    *argv = arguments.data();
    *argc = static_cast<int>(arguments.size()) - 1;
}

}  // namespace GAME
