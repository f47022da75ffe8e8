// The command line of the simulator, shared by `qrtsim` and `zul sim`.
#pragma once

namespace zul::sim {

// Parses the options, starts the simulator, prints "tcp 127.0.0.1:PORT" and/or
// "pty PATH" (one line each, in that order) and serves until SIGINT or SIGTERM.
// Returns the exit status: 0 after a stop, 1 when a transport could not start,
// 2 on bad usage.
int RunSimMain(int argc, char** argv, const char* program);
void PrintSimUsage(const char* program);

}  // namespace zul::sim
