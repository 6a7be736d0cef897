#include "common/ErrorTrail.h"

#include <gtest/gtest.h>
#include <thread>

using namespace vellum;

TEST(ErrorTrail, RecordsAppendInReportOrder) {
    ClearErrorTrail();
    EXPECT_FALSE(PeekErrorTrail().has_value());
    ReportError("compile", 7, HRESULT_FROM_WIN32(5), "Failed to open %s\n", "a.bin");
    ReportError("Vellum", 1234, E_FAIL, "Outer");
    EXPECT_EQ(*PeekErrorTrail(), "compile(   7) : 0x80070005\r\n\r\nFailed to open a.bin\n"
                                 "Vellum(1234) : 0x80004005\r\n\r\nOuter");
    EXPECT_TRUE(TakeErrorTrail().has_value());
    EXPECT_FALSE(PeekErrorTrail().has_value());
}

TEST(ErrorTrail, MessageIsCutAt2048Bytes) {
    ClearErrorTrail();
    std::string longText(5000, 'x');
    ReportError("EXEDUMP", 1, E_FAIL, "%s", longText.c_str());
    std::string trail = *TakeErrorTrail();
    std::string header = "EXEDUMP(   1) : 0x80004005\r\n\r\n";
    EXPECT_EQ(trail.size(), header.size() + 2047);
}

TEST(ErrorTrail, BelongsToTheReportingThread) {
    ClearErrorTrail();
    ReportError("A", 1, E_FAIL, "here");
    bool otherSawIt = true;
    std::thread([&] { otherSawIt = PeekErrorTrail().has_value(); }).join();
    EXPECT_FALSE(otherSawIt);
    EXPECT_TRUE(PeekErrorTrail().has_value());
    ClearErrorTrail();
}

TEST(ErrorTrail, AWorkersTrailCanBeHandedToTheStartingThread) {
    ClearErrorTrail();
    ReportError("A", 1, E_FAIL, "first");
    std::optional<std::string> worker;
    std::thread([&] {
        ReportError("B", 2, E_FAIL, "second");
        worker = TakeErrorTrail();
    }).join();
    ASSERT_TRUE(worker.has_value());
    AppendErrorTrail(*worker);
    EXPECT_EQ(TakeErrorTrail().value_or(""), "A(   1) : 0x80004005\r\n\r\nfirst"
                                             "B(   2) : 0x80004005\r\n\r\nsecond");
}
