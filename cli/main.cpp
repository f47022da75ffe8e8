#include "cli/ZulCli.h"

int main(int argc, char** argv) { return zul::cli::RunZul(argc - 1, argv + 1); }
