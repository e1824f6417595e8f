// libFuzzer options these targets run with unless the command line gives its own.
//
// libFuzzer's entropic scheduling counts, for every feature an input touches, how often it
// has been seen, and keeps each feature seen fewer than -entropic_feature_frequency_threshold
// times (255 unless given) in a list it searches linearly for every feature of every run.
// The targets that play whole systems touch thousands of features per input, so until
// most had been seen 255 times that search took 50 to 65% of their time. At 16 the rarest
// features still steer which inputs are mutated, at a fraction of the cost.
//
// A target whose input is a run of steps, each of which may build items, costs time in
// proportion to its length: such a target names the longest input it is given
// (-max_len), so that the fuzzer tries many short runs rather than few long ones.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace GAME {

inline void DefaultFuzzerOptions(int* argc, char*** argv, size_t maxLength = 0)
{
    static const char kThreshold[] = "-entropic_feature_frequency_threshold=";
    static const char kMaxLength[] = "-max_len=";
    static char kDefaultThreshold[] = "-entropic_feature_frequency_threshold=16";
    static char defaultMaxLength[32];
    if (!argc || !argv || !*argv)
        return;
    bool hasThreshold = false;
    bool hasMaxLength = false;
    for (int i = 1; i < *argc; ++i) {
        hasThreshold = hasThreshold || std::strncmp((*argv)[i], kThreshold, sizeof(kThreshold) - 1) == 0;
        hasMaxLength = hasMaxLength || std::strncmp((*argv)[i], kMaxLength, sizeof(kMaxLength) - 1) == 0;
    }
    // libFuzzer reads the arguments after this returns; they must outlive the run.
    static std::vector<char*> arguments;
    arguments.assign(*argv, *argv + *argc);
    if (!hasThreshold)
        arguments.push_back(kDefaultThreshold);
    if (maxLength > 0 && !hasMaxLength) {
        std::snprintf(defaultMaxLength, sizeof defaultMaxLength, "%s%zu", kMaxLength, maxLength);
        arguments.push_back(defaultMaxLength);
    }
    arguments.push_back(nullptr);
    *argv = arguments.data();
    *argc = static_cast<int>(arguments.size()) - 1;
}

}  // namespace GAME
