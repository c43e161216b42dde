// chart_tool_run.h -- runs the stompara_chart tool of this build (native tests only).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ToolRun {
  int status;          // exit status, -1 when the tool did not exit
  std::string output;  // stdout and stderr together
};

inline ToolRun RunTool(const std::string& arguments) {
  std::string command = std::string(STOMPARA_BINARY_DIR) + "/tools/chart/stompara_chart " + arguments + " 2>&1";
  ToolRun run = {-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  size_t got = 0;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, got);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
