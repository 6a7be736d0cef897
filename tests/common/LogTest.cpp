#include <chrono>
#include <random>
#include <set>
#include <cctype>
#include <thread>

#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/Log.h"
#include "common/TestSupport.h"

using namespace vellum;
using vellum::test::ReadFileText;
using vellum::test::ScratchDir;

namespace {

// "MM/DD/YYYY hh:mm:ss -- " followed by the text; the text goes to *text.
bool IsLogLine(const std::string& line, std::string* text) {
    const std::string shape = "00/00/0000 00:00:00 -- ";
    if (line.size() < shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != shape[i])
            return false;
    *text = line.substr(shape.size());
    return true;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace

TEST(Log, LineFormatEndsInExactlyOneCrLf) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(Log::FormatLine("Opened\r\n", t), "01/05/2026 07:08:09 -- Opened\r\n");
    EXPECT_EQ(Log::FormatLine("a\nb\n\n", t), "01/05/2026 07:08:09 -- a\nb\r\n");

    ScratchDir dir;
    Log log(dir / "vellum.log");
    log.Write("first\r\n");
    log.WriteF("second %d", 2);
    std::string written = ReadFileText(dir / "vellum.log");
    std::vector<std::string> lines = SplitCrLf(written);
    ASSERT_EQ(lines.size(), 2u);
    std::string text;
    EXPECT_TRUE(IsLogLine(lines[0], &text) && text == "first");
    EXPECT_TRUE(IsLogLine(lines[1], &text) && text == "second 2");
    EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
}

TEST(Log, SizeLimitKeepsTheLastHalfBeforeTheNewLine) {
    ScratchDir dir;
    std::string old;
    for (int i = 0; i < 12000; ++i)
        old += static_cast<char>('a' + i % 26);
    test::WriteFileText(dir / "big.log", old);
    Log log(dir / "big.log");
    log.SetSizeLimit(10000);
    log.Write("new");
    std::string now = ReadFileText(dir / "big.log");
    ASSERT_GT(now.size(), 5000u);
    EXPECT_EQ(now.substr(0, 5000), old.substr(7000));
    EXPECT_EQ(now.substr(5000 + 23), "new\r\n");
}

TEST(Log, HeldBackLinesAreWrittenTogether) {
    ScratchDir dir;
    Log log(dir / "held.log");
    log.SetHoldBack(3);
    log.Write("1");
    log.Write("2");
    EXPECT_FALSE(std::filesystem::exists(dir / "held.log"));
    log.Write("3");
    EXPECT_EQ(ReadFileText(dir / "held.log").size(), 3 * 26u);
}

TEST(Log, LockedFileIsRetriedThenTheLineDropped) {
    ScratchDir dir;
    std::string path = dir / "locked.log";
    int holder = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    Log log(path);
    unsigned waits = 0;
    log.SetRetryWait([&](unsigned) { ++waits; });
    log.Write("dropped");
    EXPECT_EQ(waits, 4u) << "four more attempts after the first";
    EXPECT_EQ(ReadFileText(path), "");

    log.SetRetryWait([&](unsigned attempt) {
        if (attempt == 2)
            ::flock(holder, LOCK_UN);
    });
    log.Write("kept");
    EXPECT_NE(ReadFileText(path).find("kept\r\n"), std::string::npos);
    ::close(holder);
}

TEST(Log, TwoProcessesAppendingLoseNoLine) {
    ScratchDir dir;
    std::string path = dir / "shared.log";
    constexpr int kLines = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            Log log(path);
            std::mt19937 rng(static_cast<unsigned>(c + 1));
            log.SetRetryWait([&](unsigned) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5 + rng() % 20));
            });
            for (int i = 0; i < kLines; ++i) {
                log.WriteF("process %d line %03d", c, i);
                std::this_thread::sleep_for(std::chrono::microseconds(rng() % 500));
            }
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> seen;
    for (const std::string& line : SplitCrLf(ReadFileText(path))) {
        std::string text;
        ASSERT_TRUE(IsLogLine(line, &text) && text.rfind("process ", 0) == 0 && text.size() == 18)
            << "torn line: " << line;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 2u * kLines);
}
