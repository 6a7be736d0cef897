#include "platform/ProcessLauncher.h"

#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "platform/ExternalEditors.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Args = std::vector<std::string>;

// A shell script that writes each of its arguments as "[arg]" on a line, then its working folder,
// to `out` (through a rename, so a poller never sees half of it), and exits with `exitCode`.
std::string WriteRecorder(const std::string& script, const std::string& out, int exitCode = 0) {
    WriteFileText(script,
                  "#!/bin/sh\n{ for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; pwd -P; } "
                  "> '" +
                      out + ".part' && mv '" + out + ".part' '" + out + "'\nexit " +
                      std::to_string(exitCode) + "\n");
    fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
    return script;
}

// The file's text once it appears (a few seconds at most), or "" when it never does.
std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 250 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(20ms);
    return fs::exists(path) ? ReadFileText(path) : "";
}

// Puts a folder first on PATH for as long as it lives.
class PathPrefix {
public:
    explicit PathPrefix(const std::string& folder) : old_(std::getenv("PATH")) {
        setenv("PATH", (folder + ":" + old_).c_str(), 1);
    }
    ~PathPrefix() { setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

} // namespace

TEST(EditorCommandLine, QuotesCommandAndFileButNotTheArguments) {
    EXPECT_EQ(EditorCommandLine("/opt/my editor/ed", "/tmp/a b/c d.txt", ""),
              "\"/opt/my editor/ed\" \"/tmp/a b/c d.txt\"");
    std::string line =
        EditorCommandLine("C:\\Program Files\\ed.exe", "C:\\x y\\a.rc", "-n \"two words\" /q");
    EXPECT_EQ(line, "\"C:\\Program Files\\ed.exe\" \"C:\\x y\\a.rc\" -n \"two words\" /q");
    EXPECT_EQ(SplitCommandLine(line),
              (Args{"C:\\Program Files\\ed.exe", "C:\\x y\\a.rc", "-n", "two words", "/q"}));
}

TEST(SplitCommandLine, ProgramNameRunsToTheClosingQuoteWithoutEscapes) {
    EXPECT_EQ(SplitCommandLine("\"C:\\tools\\\" x"), (Args{"C:\\tools\\", "x"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\dir\\\""), (Args{"C:\\dir\\"}));
    EXPECT_EQ(SplitCommandLine("C:\\tools\\ed.exe  a\tb"), (Args{"C:\\tools\\ed.exe", "a", "b"}));
    EXPECT_EQ(SplitCommandLine("\"p\"x y"), (Args{"p", "x", "y"}));
    EXPECT_EQ(SplitCommandLine("   p"), (Args{"p"}));
    EXPECT_EQ(SplitCommandLine("\"no end"), (Args{"no end"}));
    EXPECT_TRUE(SplitCommandLine("").empty());
    EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(SplitCommandLine, BackslashesAndQuotesFollowTheRuntimeRules) {
    // 4 backslashes + quote: 2 backslashes, quoting starts.
    EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c" d)"), (Args{"p", R"(a\\b c)", "d"}));
    // 3 backslashes + quote: 1 backslash and a literal quote.
    EXPECT_EQ(SplitCommandLine(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));
    EXPECT_EQ(SplitCommandLine(R"(p \"x\")"), (Args{"p", R"("x")"}));
    // Backslashes that are not before a quote stay as they are, also at the end.
    EXPECT_EQ(SplitCommandLine(R"(p a\b\\c\ "d\e\\")"), (Args{"p", R"(a\b\\c\)", R"(d\e\)"}));
    // Quotes join blanks into an argument wherever they stand.
    EXPECT_EQ(SplitCommandLine(R"(p a"b c"d)"), (Args{"p", "ab cd"}));
    // "" inside quotes is a literal quote; quoting goes on.
    EXPECT_EQ(SplitCommandLine(R"(p "a""b c")"), (Args{"p", "a\"b c"}));
    EXPECT_EQ(SplitCommandLine(R"(p """")"), (Args{"p", "\""}));
    // An empty pair is an empty argument.
    EXPECT_EQ(SplitCommandLine(R"(p "" x "")"), (Args{"p", "", "x", ""}));
    EXPECT_EQ(SplitCommandLine(R"(p "open ended)"), (Args{"p", "open ended"}));
}

TEST(LaunchDetached, PassesTheArgumentsAndStartsInTheInitialFolder) {
    ScratchDir dir;
    std::string script = WriteRecorder(dir / "my editor.sh", dir / "args.txt");
    fs::create_directories(dir / "start here");
    std::string line =
        EditorCommandLine(script, dir / "a file.txt", R"(-n "two words" say\"hi\" back\\slash "")");
    ClearErrorTrail();
    ASSERT_EQ(LaunchDetached(line, dir / "start here"), S_OK);
    EXPECT_EQ(WaitForFile(dir / "args.txt"), "[" + dir / "a file.txt" +
                                                 "]\n[-n]\n[two words]\n[say\"hi\"]\n"
                                                 "[back\\\\slash]\n[]\n" +
                                                 fs::canonical(dir / "start here").string() + "\n");
    EXPECT_FALSE(PeekErrorTrail().has_value());

    // No initial folder: the program starts where Vellum is.
    fs::remove(dir / "args.txt");
    ASSERT_EQ(LaunchDetached(EditorCommandLine(script, "x", ""), ""), S_OK);
    EXPECT_EQ(WaitForFile(dir / "args.txt"),
              "[x]\n" + fs::canonical(fs::current_path()).string() + "\n");
}

TEST(LaunchDetached, FailuresCarryTheErrnoAndAreReported) {
    ScratchDir dir;
    const HRESULT notFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    ClearErrorTrail();
    EXPECT_EQ(LaunchDetached("\"" + dir / "missing" + "\" \"f.txt\"", ""), notFound);
    std::string trail = TakeErrorTrail().value_or("");
    EXPECT_EQ(trail.rfind("Vellum(", 0), 0u) << trail;
    EXPECT_NE(trail.find(" : 0x80070002\r\n\r\n"), std::string::npos) << trail;
    EXPECT_NE(trail.find(dir / "missing"), std::string::npos) << trail;

    // Searched on PATH when the name has no slash.
    EXPECT_EQ(StartDetached("\"vellum-no-such-editor\" \"f\"", ""), notFound);
    EXPECT_FALSE(PeekErrorTrail().has_value()) << "StartDetached leaves reporting to its caller";

    WriteFileText(dir / "plain.sh", "#!/bin/sh\n");
    EXPECT_EQ(StartDetached("\"" + dir / "plain.sh" + "\"", ""),
              HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    std::string script = WriteRecorder(dir / "rec.sh", dir / "out");
    EXPECT_EQ(LaunchDetached("\"" + script + "\"", dir / "no such folder"), notFound);
    EXPECT_NE(TakeErrorTrail().value_or("").find("no such folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_EQ(StartDetached("", ""), E_INVALIDARG);
}

TEST(SpawnDetached, TheReaperReportsHowTheProgramEnded) {
    std::future<int> status;
    ASSERT_EQ(SpawnDetached({"sh", "-c", "exit 3"}, "", &status), S_OK);
    ASSERT_EQ(status.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(status.get(), 3);
    ASSERT_EQ(SpawnDetached({"sh", "-c", "kill -TERM $$"}, "", &status), S_OK);
    ASSERT_EQ(status.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(status.get(), 128 + 15);
}

TEST(SystemEditorFallbacks, NotepadIsTheFirstWordOfVisualThenEditor) {
    SystemEditorFallbacks fallbacks;
    setenv("VISUAL", "emacs -nw", 1);
    setenv("EDITOR", "vi", 1);
    EXPECT_EQ(fallbacks.Notepad(), "emacs");
    setenv("VISUAL", "  ", 1);
    EXPECT_EQ(fallbacks.Notepad(), "vi");
    unsetenv("VISUAL");
    setenv("EDITOR", "\t/usr/bin/kate  --new", 1);
    EXPECT_EQ(fallbacks.Notepad(), "/usr/bin/kate");
    ScratchDir dir;
    std::string spaced = WriteRecorder(dir / "my editor", dir / "unused");
    setenv("EDITOR", (spaced + " ").c_str(), 1);
    EXPECT_EQ(fallbacks.Notepad(), spaced) << "a program's path is taken whole";
    unsetenv("EDITOR");
    EXPECT_EQ(fallbacks.Notepad(), std::nullopt);
}

// A stand-in xdg-open first on PATH: its exit status decides whether the desktop "had" a
// program, and $VISUAL names the recorder as the text editor to fall back on.
TEST(SystemEditorFallbacks, TextFilesGoToTheVisualEditorWhenXdgOpenFindsNothing) {
    ScratchDir dir;
    fs::create_directories(dir / "bin");
    PathPrefix path(dir / "bin");
    std::string opener = WriteRecorder(dir / "bin/xdg-open", dir / "opened", 3);
    std::string editor = WriteRecorder(dir / "my editor", dir / "edited");
    setenv("VISUAL", editor.c_str(), 1);
    SystemEditorFallbacks fallbacks(10s); // time enough for a busy machine to run the script
    EditorLists none;
    ClearErrorTrail();

    EXPECT_EQ(fallbacks.ShellEdit(dir / "a.bin"), HRESULT_FROM_WIN32(1155));
    EXPECT_EQ(RunEditor(EditorKind::Text, dir / "notes 1.txt", nullptr, none, fallbacks), S_OK);
    EXPECT_EQ(WaitForFile(dir / "edited"), "[" + dir / "notes 1.txt" + "]\n" +
                                               fs::canonical(fs::current_path()).string() + "\n");
    EXPECT_FALSE(PeekErrorTrail().has_value());

    WriteRecorder(opener, dir / "opened", 2);
    EXPECT_EQ(fallbacks.ShellEdit(dir / "gone.txt"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    WriteRecorder(opener, dir / "opened", 0);
    fs::remove(dir / "opened");
    EXPECT_EQ(RunEditor(EditorKind::Hex, dir / "b.bin", nullptr, none, fallbacks), S_OK);
    EXPECT_EQ(WaitForFile(dir / "opened").rfind("[" + dir / "b.bin" + "]\n", 0), 0u);
    unsetenv("VISUAL");
}
