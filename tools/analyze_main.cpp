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
  return lynx::RunAnalyzer(args, std::cin, std::cout, std::cerr);
}
