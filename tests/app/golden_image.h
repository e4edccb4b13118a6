// Whole-window images compared pixel for pixel with PNG files kept in the repository.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace bugwalk::testing {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, row by row from the top
};

bool write_png(const std::string& path, const Image& image);
bool read_png(const std::string& path, Image& image);

// Compares the image with tests/app/golden/<name>.png. On a mismatch the actual image is written
// as <name>.actual.png into $KD508_TEST_OUTPUT (or the working directory) and the result says
// where. With KD508_UPDATE_GOLDEN=1 in the environment the golden file is (re)written instead:
// the way to change a golden image deliberately.
::testing::AssertionResult matches_golden(const std::string& name, const Image& actual);

}  // namespace bugwalk::testing
