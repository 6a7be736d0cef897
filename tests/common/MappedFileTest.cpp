#include <gtest/gtest.h>

#include "common/MappedFile.h"
#include "common/TestSupport.h"

using namespace vellum;
using vellum::test::ScratchDir;

TEST(MappedFile, RecordHoldsTheWholeFile) {
    ScratchDir dir;
    test::WriteFileText(dir / "a.bin", std::string("MZ\0\x01", 4));
    MappedFileRecord* rec = nullptr;
    ASSERT_EQ(MapFileReadOnly(dir / "a.bin", &rec), S_OK);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->size, 4u);
    EXPECT_EQ(rec->view2, rec->view);
    EXPECT_EQ(rec->size2, rec->size);
    EXPECT_EQ(rec->view[3], 0x01);
    EXPECT_EQ(UnmapFile(rec), S_OK);
    EXPECT_EQ(UnmapFile(nullptr), E_POINTER);
}

TEST(MappedFile, FailuresCarryTheWin32Error) {
    ScratchDir dir;
    MappedFileRecord* rec = reinterpret_cast<MappedFileRecord*>(1);
    EXPECT_EQ(MapFileReadOnly(dir / "missing.bin", &rec), HRESULT_FROM_WIN32(2));
    EXPECT_EQ(rec, nullptr);
    EXPECT_EQ(MapFileReadOnly(dir / "missing/x.bin", &rec), HRESULT_FROM_WIN32(2));
    EXPECT_EQ(MapFileReadOnly(dir.Path(), &rec), HRESULT_FROM_WIN32(5)) << "a folder";
}

TEST(MappedFile, EmptyFileAndMoves) {
    ScratchDir dir;
    test::WriteFileText(dir / "empty", "");
    test::WriteFileText(dir / "full", "abc");
    MappedFile empty;
    ASSERT_EQ(empty.Open(dir / "empty"), S_OK);
    EXPECT_TRUE(empty.IsOpen());
    EXPECT_EQ(empty.Size(), 0u);

    MappedFile full;
    ASSERT_EQ(full.Open(dir / "full"), S_OK);
    MappedFile moved = std::move(full);
    EXPECT_FALSE(full.IsOpen());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(moved.Data()), moved.Size()), "abc");
}
