#include <cerrno>

#include <gtest/gtest.h>

#include "common/ByteBuffer.h"
#include "common/ErrorTrail.h"
#include "common/Result.h"

using namespace vellum;

TEST(Result, ErrnoMapsToWin32Numbers) {
    EXPECT_EQ(HResultFromErrno(ENOENT), static_cast<HRESULT>(0x80070002));
    EXPECT_EQ(HResultFromErrno(ENOTDIR), static_cast<HRESULT>(0x80070003));
    EXPECT_EQ(HResultFromErrno(EACCES), static_cast<HRESULT>(0x80070005));
    EXPECT_EQ(HResultFromErrno(ENOMEM), static_cast<HRESULT>(0x80070008));
    EXPECT_EQ(HResultFromErrno(ENOSPC), static_cast<HRESULT>(0x80070070));
    EXPECT_EQ(HResultFromErrno(EEXIST), static_cast<HRESULT>(0x800700B7));
    // A failure that left errno at 0 is still a failure, and unknown values stay failures.
    EXPECT_EQ(HResultFromErrno(0), E_FAIL);
    EXPECT_TRUE(FAILED(HResultFromErrno(EXDEV)));
}

TEST(Result, Win32CodesKeepOnlyTheLowSixteenBits) {
    EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
    EXPECT_EQ(HRESULT_FROM_WIN32(0x12345), static_cast<HRESULT>(0x80072345));
    EXPECT_TRUE(FAILED(E_OUTOFMEMORY));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

TEST(Result, ErrorTextFallsBackToUnknown) {
    EXPECT_EQ(ErrorText(nullptr, HRESULT_FROM_WIN32(2)),
              "The system cannot find the file specified.\r\n");
    EXPECT_EQ(ErrorText("EXEDUMP", static_cast<HRESULT>(0x8765ABCD)),
              "Unknown error 0x8765ABCD\r\n");
}

TEST(ByteBuffer, ResizeRules) {
    ByteBuffer buffer(8, false);
    std::uint8_t* block = buffer.Data();
    block[3] = 0x5A;
    ASSERT_TRUE(buffer.Resize(8, false));
    EXPECT_EQ(buffer.Data(), block);
    EXPECT_EQ(buffer.Data()[3], 0x5A) << "same size without zeroing keeps the bytes";
    ASSERT_TRUE(buffer.Resize(8, true));
    EXPECT_EQ(buffer.Data(), block);
    EXPECT_EQ(buffer.Data()[3], 0);

    ASSERT_TRUE(buffer.Resize(16, true));
    EXPECT_EQ(buffer.Size(), 16u);
    for (std::uint8_t b : buffer)
        EXPECT_EQ(b, 0);
    ASSERT_TRUE(buffer.Resize(0));
    EXPECT_TRUE(buffer.Empty());
    EXPECT_EQ(buffer.Data(), nullptr);
}

TEST(ByteBuffer, CopiesAreDeep) {
    const std::uint8_t bytes[] = {1, 2, 3};
    ByteBuffer a(bytes, sizeof bytes);
    ByteBuffer b = a;
    b.Data()[0] = 9;
    EXPECT_EQ(a.Data()[0], 1);
    ByteBuffer c = std::move(b);
    EXPECT_EQ(c.Data()[0], 9);
    EXPECT_TRUE(b.Empty());
}
