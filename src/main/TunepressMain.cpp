#include "renderer/TunepressCommand.h"

int main(int argc, char** argv) { return crx::RunTunepressCommand(argc, argv); }
