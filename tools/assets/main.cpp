// main.cpp -- stompara_assets: writes every generated picture into a folder.
#include <cstdio>
#include <fstream>
#include <string>

#include "assets.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: stompara_assets OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const assets::AssetFile& file : assets::asset_files()) {
    const std::vector<uint8_t> bytes = file.make();
    const std::string path = folder + "/" + file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "stompara_assets: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
  }
  return 0;
}
