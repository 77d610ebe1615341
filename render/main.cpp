#include <string>
#include <vector>

#include "render/RenderApp.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return gyrelle::render::runRender(args);
}
