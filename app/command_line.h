#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelt {

// What zelt is asked on its command line. It needs none: without one it behaves as it always has.
struct CommandLine {
    std::string logFile;                // "--log FILE": the events are also appended to FILE (the first)
    std::vector<std::string> problems;  // what was not understood, to be logged; it is ignored
};

// The arguments after the program's name, as the program receives them (UTF-8), split as Windows
// programs split them: blanks separate, double quotes group, and backslashes are literal except
// before a double quote (2n backslashes and a quote are n backslashes and a grouping quote; 2n + 1
// are n and a literal quote).
std::vector<std::string> splitArguments(std::string_view arguments);

CommandLine parseCommandLine(std::string_view arguments);

}  // namespace zelt
