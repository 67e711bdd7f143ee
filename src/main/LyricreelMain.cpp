#include <string>
#include <vector>

#include "video/LyricreelCommand.h"

int main(int argc, char** argv) {
  return crx::RunLyricreelCommand(std::vector<std::string>(argv + 1, argv + argc));
}
