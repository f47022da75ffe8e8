// The command-line tool `zul`: the link engine from a shell.
#pragma once

namespace zul::cli {

// Runs `zul` with the arguments after the program name; returns the exit status:
// 0 success, 1 the controller could not be reached or refused, 2 bad usage.
int RunZul(int argc, char** argv);

}  // namespace zul::cli
