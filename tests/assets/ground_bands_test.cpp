// The ground picture made in bands, as the browser's workers make it: for
// every number of workers the page starts (one to four), the bands cover
// the rows in order, and put together in the file's order (the bottom band
// first) they are the whole picture, byte for byte. The village and the
// river cross band boundaries at three and four workers.

#include <gtest/gtest.h>

#include "tools/datagen/game_data.h"
#include "tools/datagen/pictures.h"

namespace {

TEST(GroundBands, PutTogetherAreTheWholePicture) {
    const std::vector<unsigned char> whole = groundRows(0, kGroundSize);
    ASSERT_EQ(whole.size(), static_cast<size_t>(kGroundSize) * kGroundSize * 3);
    for (int parts = 1; parts <= 4; ++parts) {
        SCOPED_TRACE(parts);
        std::vector<unsigned char> joined;
        int next = kGroundSize;
        for (int part = parts - 1; part >= 0; --part) {
            const RowBand band = groundBand(part, parts);
            ASSERT_EQ(band.bottom, next);
            ASSERT_LT(band.top, band.bottom);
            next = band.top;
            const std::vector<unsigned char> rows = groundRows(band.top, band.bottom);
            joined.insert(joined.end(), rows.begin(), rows.end());
        }
        EXPECT_EQ(next, 0);
        EXPECT_TRUE(joined == whole);
    }
}

}  // namespace
