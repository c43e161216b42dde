// regeneration_test.cpp -- the pictures in res/ are exactly what the generator draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tools/assets/assets.h"
#include "tools/assets/picture_reader.h"

namespace {

TEST(AssetRegeneration, EveryGeneratedFileMatchesTheCommittedCopy) {
  std::set<std::string> names;
  for (const assets::AssetFile& file : assets::asset_files()) {
    names.insert(file.name);
    const std::vector<uint8_t> generated = file.make(), committed = picture::res_file(file.name);
    const auto differ = std::mismatch(generated.begin(), generated.end(), committed.begin(),
                                      committed.end());
    EXPECT_TRUE(differ.first == generated.end() && differ.second == committed.end())
        << file.name << " differs from byte " << (differ.first - generated.begin())
        << " (sizes " << generated.size() << ", " << committed.size() << "); regenerate res/";
  }
  EXPECT_EQ(names, (std::set<std::string>{"arrows.bmp", "targets.bmp", "masks.bmp",
                                          "background.bmp", "stompara.ico", "hand.cur"}));
}

}  // namespace
