#include "singer/SingerCommand.h"

int main(int argc, char** argv) { return crx::RunSingerCommand(argc, argv); }
