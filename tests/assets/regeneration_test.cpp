// regeneration_test.cpp -- the pictures in res/ are exactly what the generator draws.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "asset_decode.h"
#include "assets.h"

namespace {

TEST(AssetRegeneration, EveryGeneratedFileMatchesTheCommittedCopy) {
  const std::set<std::string> expected_names = {"arrows.bmp", "targets.bmp", "masks.bmp",
                                                "background.bmp", "stompara.ico", "hand.cur"};
  std::set<std::string> names;
  for (const assets::AssetFile& file : assets::asset_files()) {
    names.insert(file.name);
    const std::vector<uint8_t> generated = file.make();
    const std::vector<uint8_t> committed =
        asset_decode::read_file(std::string(STOMPARA_SOURCE_DIR "/res/") + file.name);
    ASSERT_EQ(generated.size(), committed.size()) << file.name << ": regenerate res/";
    size_t first_difference = generated.size();
    for (size_t i = 0; i < generated.size(); ++i) {
      if (generated[i] != committed[i]) {
        first_difference = i;
        break;
      }
    }
    EXPECT_EQ(first_difference, generated.size()) << file.name << " differs; regenerate res/";
  }
  EXPECT_EQ(names, expected_names);
}

TEST(AssetRegeneration, SheetsComeOutTheSameOnEveryCall) {
  EXPECT_EQ(assets::arrows_bmp(), assets::arrows_bmp());
  EXPECT_EQ(assets::stompara_ico(), assets::stompara_ico());
}

}  // namespace
