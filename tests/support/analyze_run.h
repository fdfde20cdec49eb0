#pragma once
// Runs the analyser in-process and keeps what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "tools/analyze.h"

namespace lynx::testing_support {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome Analyze(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunAnalyzer(args, in, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace lynx::testing_support
