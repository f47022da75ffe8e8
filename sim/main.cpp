// qrtsim: the simulated controller as a program of its own.
#include "sim/SimMain.h"

int main(int argc, char** argv) { return zul::sim::RunSimMain(argc - 1, argv + 1, "qrtsim"); }
