#pragma once

#include <string>
#include <vector>

namespace zelt {

// What zelt is asked on its command line. It needs none: without one it behaves as it always has.
struct CommandLine {
    std::string logFile;                // "--log FILE": the events are also appended to FILE (the first)
    std::vector<std::string> problems;  // what was not understood, to be logged; it is ignored
};

// The arguments after the program's name (UTF-8), as the system split them. The first --log with a
// file name is in force, wherever the others stand, so that one command line always means one file.
// A word starting with "--" is never a file name but an option, mistyped or repeated, and read as one.
inline CommandLine parseCommandLine(const std::vector<std::string>& words) {
    CommandLine line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "--log") {
            const bool named = i + 1 < words.size() && !words[i + 1].empty();
            if (!named) {
                line.problems.push_back("--log without a file name ignored");
            } else if (words[i + 1].starts_with("--")) {
                line.problems.push_back("--log \"" + words[i + 1] +
                                        "\" refused: a file name may not start with \"--\"");
            } else if (!line.logFile.empty()) {
                line.problems.push_back("second --log \"" + words[++i] + "\" ignored: the events go to \"" +
                                        line.logFile + "\"");
            } else {
                line.logFile = words[++i];
            }
        } else {
            line.problems.push_back("unknown argument \"" + words[i] + "\" ignored");
        }
    }
    return line;
}

}  // namespace zelt
