// asset_files.cpp -- the list of generated files and their names in res/.
#include "assets.h"

namespace assets {

const std::vector<AssetFile>& asset_files() {
  static const std::vector<AssetFile> files = {
      {"arrows.bmp", arrows_bmp},         {"targets.bmp", targets_bmp},
      {"masks.bmp", masks_bmp},           {"background.bmp", background_bmp},
      {"stompara.ico", stompara_ico},     {"hand.cur", hand_cur},
  };
  return files;
}

}  // namespace assets
