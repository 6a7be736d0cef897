// Finding a prefix's wineserver, checked against a real one: started persistent on a folder of
// the test's own, found, stopped with `wineserver -k`, and no longer found.
#include "platform/WineServer.h"

#include "common/TestSupport.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace vellum {
namespace {

namespace fs = std::filesystem;

bool WineServerInstalled() {
    return std::system("command -v wineserver >/dev/null 2>&1") == 0;
}

int RunWineServer(const std::string& prefix, const std::string& option) {
    std::string command = "WINEPREFIX='" + prefix + "' wineserver " + option + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

// Polls, since the server starts and stops in the background.
bool Becomes(const std::string& prefix, bool running) {
    for (int i = 0; i < 100; ++i) {
        if (WineServerRunning(prefix) == running)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Debian's wineserver leaves a private folder in /tmp named in the prefix's "wineserver" file.
void RemoveServerFolder(const std::string& prefix) {
    std::ifstream in(prefix + "wineserver");
    std::string name;
    std::getline(in, name);
    if (name.rfind("wine-", 0) == 0 && name.find('/') == std::string::npos) {
        std::error_code ec;
        fs::remove_all("/tmp/" + name, ec);
    }
}

TEST(WineServer, NoServerForFoldersWithoutOne) {
    test::ScratchDir dir;
    EXPECT_FALSE(WineServerRunning(dir / "missing"));
    EXPECT_FALSE(WineServerRunning(dir.Path()));
    test::WriteFileText(dir / "wineserver", "../../etc\n");
    EXPECT_FALSE(WineServerRunning(dir.Path())) << "a recorded name that is no server folder";
}

TEST(WineServer, FindsARunningServerAndNotesItsEnd) {
    if (!WineServerInstalled())
        GTEST_SKIP() << "wineserver is not installed";
    test::ScratchDir dir;
    std::string prefix = dir / "prefix/";
    fs::create_directories(prefix); // wineserver runs on an empty prefix folder
    ASSERT_EQ(RunWineServer(prefix, "-p"), 0);
    bool found = Becomes(prefix, true);
    long pid = 0;
    bool running = WineServerRunning(prefix, &pid);
    RunWineServer(prefix, "-k");
    bool gone = Becomes(prefix, false);
    RunWineServer(prefix, "-w");
    RemoveServerFolder(prefix);
    EXPECT_TRUE(found) << "the persistent server is found";
    EXPECT_TRUE(running);
    EXPECT_GT(pid, 0) << "the lock names its holder";
    EXPECT_TRUE(gone) << "after wineserver -k the lock file stays, unlocked";
}

} // namespace
} // namespace vellum
