#pragma once
// printf-style formatting of one short line of the analyser's output.

#include <cstdio>
#include <string>

namespace lynx {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

}  // namespace lynx
