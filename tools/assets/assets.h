// assets.h -- generators for the plug-in's picture resources.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

// Each function returns the complete bytes of one file in res/.
std::vector<uint8_t> arrows_bmp();      // resource 101, 256x768 RLE8
std::vector<uint8_t> targets_bmp();     // resource 102, 256x128 RLE8
std::vector<uint8_t> masks_bmp();       // resource 103, 256x64 RLE8
std::vector<uint8_t> background_bmp();  // resource 109, 288x310 8-bit
std::vector<uint8_t> stompara_ico();    // resource 110, 64x64 8-bit icon
std::vector<uint8_t> hand_cur();        // resource 111, 32x32 1-bit cursor

struct AssetFile {
  const char* name;  // file name inside res/
  std::vector<uint8_t> (*make)();
};

// Every generated file, in resource order.
const std::vector<AssetFile>& asset_files();

}  // namespace assets
