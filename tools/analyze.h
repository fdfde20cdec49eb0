#pragma once
// lynx-analyze: the game's rules from the command line.

#include <iosfwd>
#include <string>
#include <vector>

namespace lynx {

// Runs one analyser command (args without the program name). Results go to
// out, problems to err as one line each; out is flushed before the return.
// Returns the exit status: 0 for success, 1 when out failed (whatever else
// went wrong), 2 for bad input.
int RunAnalyzer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace lynx
