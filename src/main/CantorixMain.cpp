#include "app/CantorixCommand.h"

int main(int argc, char** argv) { return crx::RunCantorixCommand(argc, argv); }
