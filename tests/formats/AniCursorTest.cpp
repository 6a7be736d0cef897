// Animated cursors: frames, rates and sequences from RIFF files built byte by byte, and files
// cut short or lying about their sizes.
#include "formats/AniCursor.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

TEST(AniCursorTest, FramesRatesAndSequence) {
    Bytes odd = {1, 2, 3}; // odd sizes are padded to even
    Bytes even = {4, 5, 6, 7};
    Bytes file = AconFile(AniHeaderChunk(2, 10) + AniFramesChunk({odd, even}) +
                          RiffChunk("rate", ByteWriter().U32(3).U32(0).U32(5).Take()) +
                          RiffChunk("seq ", ByteWriter().U32(1).U32(0).U32(9).Take()));
    auto ani = AniCursor::Read(View(file));
    ASSERT_TRUE(ani);
    ASSERT_EQ(ani->frames.size(), 2u);
    EXPECT_EQ(Bytes(ani->frames[1].Data(), ani->frames[1].Data() + 4), even);
    EXPECT_EQ(ani->displayRate, 10u);
    // Step 2 names frame 9, which does not exist; a rate of 0 counts as 1 jiffy.
    std::vector<AniCursor::Step> steps = ani->Steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].frame, 1u);
    EXPECT_EQ(steps[0].jiffies, 3u);
    EXPECT_EQ(steps[1].frame, 0u);
    EXPECT_EQ(steps[1].jiffies, 1u);

    auto plain = AniCursor::Read(View(AconFile(AniFramesChunk({odd, even, odd}))));
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain->Steps().size(), 3u);
    EXPECT_EQ(plain->Steps()[2].jiffies, kDefaultAniRate);
}

TEST(AniCursorTest, DamagedFilesGiveWhatLiesInsideOrNothing) {
    EXPECT_FALSE(AniCursor::Read(View(BytesOf("RIFF\4\0\0\0AVI "))));
    EXPECT_FALSE(AniCursor::Read(View(AconFile(AniHeaderChunk(1, 6))))) << "no frames";
    // A frame claiming 4 GB is cut at the end of the file.
    Bytes lying = AconFile(AniFramesChunk({Bytes(8, 1)}));
    Put32(lying, lying.size() - 8 - 4, 0xFFFFFFF0);
    auto ani = AniCursor::Read(View(lying));
    ASSERT_TRUE(ani);
    EXPECT_EQ(ani->frames[0].Size(), 8u);
    // A RIFF size larger than the file, and a file cut inside a chunk header.
    Bytes cut = AconFile(AniFramesChunk({Bytes(8, 1)}));
    Put32(cut, 4, 0x7FFFFFFF);
    cut.resize(cut.size() - 3);
    EXPECT_TRUE(AniCursor::Read(View(cut)));
}
