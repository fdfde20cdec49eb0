// Fuzzes the whole analyser command line through lynx::RunAnalyzer.
//
// Input: the first byte modulo 17 is the number of arguments; the arguments
// follow, each ended by a NUL byte (fewer when the input runs out); the bytes
// after them are standard input. Every command runs twice, once with empty
// standard input, so that the verbs that do not read it can be told apart and
// checked to ignore it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/analyze.h"

namespace {

// evaluate's limit on one standard-input line, in bytes.
constexpr std::size_t kMaxLineBytes = 4096;

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

struct Run {
  int status;
  std::string out;
  std::string err;
  bool operator==(const Run&) const = default;
};

Run Analyze(const std::vector<std::string>& args, std::string_view input) {
  std::istringstream in{std::string(input)};
  std::ostringstream out, err;
  const int status = lynx::RunAnalyzer(args, in, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos;
}

// Everything the analyser prints is printable ASCII, tabs and line ends: no
// byte of the input reaches the terminal unescaped.
bool PlainText(std::string_view text) {
  for (const char c : text) {
    if ((c < 0x20 || c > 0x7e) && c != '\n' && c != '\t') return false;
  }
  return true;
}

// Messages are whole lines that name the program and stay short.
void CheckMessages(std::string_view err) {
  Require(err.empty() || err.back() == '\n');
  for (const std::string_view line : Lines(err)) {
    Require(line.starts_with("lynx-analyze: ") && line.size() <= 256);
  }
}

// A number printed as nan or inf, as printf prints a division by zero (no
// word of the analyser's own results holds either).
bool HasNonFinite(std::string_view text) {
  return text.find("nan") != std::string_view::npos || text.find("inf") != std::string_view::npos;
}

// The line number of a message about one standard-input line, or 0.
long LineNumberOf(std::string_view message) {
  constexpr std::string_view kPrefix = "lynx-analyze: line ";
  if (!message.starts_with(kPrefix)) return 0;
  message.remove_prefix(kPrefix.size());
  const std::size_t colon = message.find(": ");
  Require(colon != std::string_view::npos && colon > 0);
  return std::stol(std::string(message.substr(0, colon)));
}

// evaluate with no cards answers every line of standard input that is not
// blank, in order: one result on out or one message on err, naming the line.
// A line over the limit always gets a message.
void CheckStandardInputRun(const Run& run, std::string_view input) {
  std::vector<long> answered;  // numbers of the lines that need an answer
  std::vector<long> overLong;
  long number = 0;
  for (const std::string_view line : Lines(input)) {
    ++number;
    if (line.size() > kMaxLineBytes) overLong.push_back(number);
    if (line.size() > kMaxLineBytes || !IsBlank(line)) answered.push_back(number);
  }
  const auto results = Lines(run.out);
  const auto messages = Lines(run.err);
  Require(results.size() + messages.size() == answered.size());
  Require(run.status == (messages.empty() ? 0 : 2));
  std::size_t next = 0, nextOverLong = 0;
  for (const std::string_view message : messages) {
    const long at = LineNumberOf(message);
    while (next < answered.size() && answered[next] < at) ++next;
    Require(next < answered.size() && answered[next] == at);
    ++next;
    if (nextOverLong < overLong.size() && overLong[nextOverLong] == at) ++nextOverLong;
  }
  Require(nextOverLong == overLong.size());
  for (const std::string_view result : results) {
    Require(std::count(result.begin(), result.end(), '\t') == 3);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const int count = data[0] % 17;
  std::vector<std::string> args;
  for (int i = 0; i < count && !rest.empty(); ++i) {
    const std::size_t end = rest.find('\0');
    args.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  // return solves all 2.6 million deals of the game on every call, seconds
  // each under the sanitizers, and strategy builds a whole chart from them
  // and prints how long that took (so no two runs print the same): far too
  // slow to fuzz, and refused here. Their options are parsed by the code
  // advise's go through. (advise builds a game's tables on its first call, a
  // second or two once per process; after that a call takes milliseconds.)
  if (!args.empty() && (args[0] == "return" || args[0] == "strategy")) return 0;

  const Run withoutInput = Analyze(args, "");
  const Run run = Analyze(args, rest);
  for (const Run* r : {&withoutInput, &run}) {
    // Written to string streams nothing fails, so 1 never comes back.
    Require(r->status == 0 || r->status == 2);
    Require(PlainText(r->out) && PlainText(r->err));
    CheckMessages(r->err);
  }
  // Only evaluate with no cards reads standard input, and with none it says
  // nothing at all; every other command prints something.
  const bool readsInput = !args.empty() && args[0] == "evaluate" && withoutInput.status == 0 &&
                          withoutInput.out.empty() && withoutInput.err.empty();
  if (readsInput) {
    CheckStandardInputRun(run, rest);
    return 0;
  }
  Require(run == withoutInput);
  if (run.status == 0) {
    // A success may add one note on err (about the five-coin top row), no more.
    Require(!run.out.empty());
    Require(run.err.empty() ||
            (Lines(run.err).size() == 1 && run.err.starts_with("lynx-analyze: note: ")));
    Require(!HasNonFinite(run.out));
  } else {
    // Bad input: exactly one message and no results.
    Require(run.out.empty() && Lines(run.err).size() == 1);
    Require(LineNumberOf(run.err) == 0);
  }
  return 0;
}
