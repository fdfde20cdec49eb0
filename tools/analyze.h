#pragma once
// lynx-analyze: the game's rules from the command line.

#include <iosfwd>
#include <string>
#include <vector>

namespace lynx {

// Runs one analyser command (args without the program name). Results go to
// out, problems to err as one line each. Returns the exit status: 0 for
// success, 2 for bad input.
int RunAnalyzer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace lynx
