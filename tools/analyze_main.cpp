#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "tools/analyze.h"

int main(int argc, char** argv) {
  // A reader that goes away (lynx-analyze ... | head) makes writes fail with
  // EPIPE instead of killing the program, so it is reported as a failed write.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "lynx-analyze 4.7\n" << std::flush;
    if (std::cout) return 0;
    std::cerr << "lynx-analyze: cannot write to standard output\n";
    return 1;
  }
  return lynx::RunAnalyzer(args, std::cin, std::cout, std::cerr);
}
