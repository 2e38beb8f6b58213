#pragma once

#include <string>
#include <vector>

namespace zelt {

// What zelt is asked on its command line. It needs none: without one it behaves as it always has.
struct CommandLine {
    std::string logFile;                // "--log FILE": the events are also appended to FILE (the first)
    std::vector<std::string> problems;  // what was not understood, to be logged; it is ignored
};

// The arguments after the program's name (UTF-8), as the system split them.
CommandLine parseCommandLine(const std::vector<std::string>& words);

}  // namespace zelt
