#include "platform/ExternalEditors.h"

#include "common/ErrorTrail.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace vellum;

namespace {

using Section = MemorySettingsStore::Section;

EditorEntry Entry(const std::string& name, const std::string& command,
                  const std::string& arguments = "", const std::string& folder = "") {
    return {name, command, arguments, folder};
}

// Records every call and answers from its fields.
class ScriptedFallbacks final : public EditorFallbacks {
public:
    HRESULT shellResult = S_OK;
    HRESULT launchResult = S_OK;
    std::optional<std::string> notepad;
    std::vector<std::string> calls;

    HRESULT ShellEdit(const std::string& file) override {
        calls.push_back("edit " + file);
        return shellResult;
    }
    HRESULT Launch(const std::string& commandLine, const std::string& folder) override {
        calls.push_back("launch " + commandLine + " in [" + folder + "]");
        return launchResult;
    }
    std::optional<std::string> Notepad() override {
        calls.push_back("notepad");
        return notepad;
    }
};

// The trail holds exactly one record, from the "Vellum" module with `hr`, and its message.
void ExpectOneRecord(HRESULT hr, const std::string& message) {
    std::string trail = TakeErrorTrail().value_or("");
    std::size_t body = trail.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos) << trail;
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
    EXPECT_EQ(trail.rfind("Vellum(", 0), 0u) << trail;
    EXPECT_EQ(trail.substr(body - 10, 10), code) << trail;
    EXPECT_EQ(trail.substr(body + 4), message);
}

} // namespace

TEST(EditorLists, SaveAndLoadRoundTrip) {
    EditorLists lists;
    lists.List(EditorKind::Image) = {Entry("Paint", "/usr/bin/paint", "-n \"x y\"", "/work"),
                                     Entry("GIMP", "gimp")};
    lists.List(EditorKind::Text) = {Entry("Kate", "/usr/bin/kate")};
    MemorySettingsStore store;
    ASSERT_EQ(store.WriteString("HexEditors", "CmdName1", "stale"), S_OK);
    ASSERT_EQ(store.WriteString("ImageEditors", "CmdName3", "stale"), S_OK);

    ASSERT_EQ(lists.Save(store), S_OK);
    ASSERT_NE(store.Find("ImageEditors"), nullptr);
    EXPECT_EQ(*store.Find("ImageEditors"), (Section{{"CmdName1", "Paint"},
                                                    {"CmdCommand1", "/usr/bin/paint"},
                                                    {"CmdArgs1", "-n \"x y\""},
                                                    {"CmdInitialDir1", "/work"},
                                                    {"CmdName2", "GIMP"},
                                                    {"CmdCommand2", "gimp"},
                                                    {"CmdArgs2", ""},
                                                    {"CmdInitialDir2", ""}}));
    EXPECT_EQ(store.Find("HexEditors"), nullptr) << "an empty list removes its section";

    EditorLists loaded;
    loaded.List(EditorKind::Hex) = {Entry("old", "old")};
    ASSERT_EQ(loaded.Load(store), S_OK);
    for (EditorKind kind : {EditorKind::Image, EditorKind::Text, EditorKind::Hex})
        EXPECT_EQ(loaded.List(kind), lists.List(kind)) << EditorSection(kind);
}

TEST(EditorLists, ListEndsAtTheFirstMissingOrEmptyName) {
    MemorySettingsStore store;
    store.WriteString("ImageEditors", "CmdName1", "A");
    store.WriteString("ImageEditors", "CmdCommand1", "a");
    store.WriteString("ImageEditors", "CmdName2", "");
    store.WriteString("ImageEditors", "CmdCommand2", "b");
    store.WriteString("ImageEditors", "CmdName3", "C");
    store.WriteString("TextEditors", "CmdName2", "not first");
    store.WriteString("HexEditors", "CmdName1", "H");
    store.WriteString("HexEditors", "CmdName2", "H2");
    store.WriteString("HexEditors", "CmdArgs2", "-r");

    EditorLists lists;
    ASSERT_EQ(lists.Load(store), S_OK);
    EXPECT_EQ(lists.List(EditorKind::Image), (std::vector{Entry("A", "a")}));
    EXPECT_TRUE(lists.List(EditorKind::Text).empty());
    EXPECT_EQ(lists.List(EditorKind::Hex), (std::vector{Entry("H", ""), Entry("H2", "", "-r")}))
        << "missing values other than the name are empty";
}

TEST(EditorLists, RemovingTheLastOfThreeLeavesExactlyTwoEntries) {
    EditorLists lists;
    lists.List(EditorKind::Image) = {Entry("A", "a"), Entry("B", "b"), Entry("C", "c", "-x", "/c")};
    MemorySettingsStore store;
    ASSERT_EQ(lists.Save(store), S_OK);
    ASSERT_EQ(store.Find("ImageEditors")->size(), 12u);

    lists.List(EditorKind::Image).pop_back();
    ASSERT_EQ(lists.Save(store), S_OK);
    const Section& image = *store.Find("ImageEditors");
    EXPECT_EQ(image.size(), 8u);
    EXPECT_EQ(image.count("CmdName3") + image.count("CmdArgs3") + image.count("CmdInitialDir3"),
              0u);
    EditorLists loaded;
    ASSERT_EQ(loaded.Load(store), S_OK);
    EXPECT_EQ(loaded.List(EditorKind::Image), lists.List(EditorKind::Image));
}

TEST(EditorLists, ReadAndWriteErrorsStopAndAreReturned) {
    const HRESULT denied = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    EditorLists saved;
    saved.List(EditorKind::Image) = {Entry("A", "a")};
    saved.List(EditorKind::Text) = {Entry("T", "t")};
    MemorySettingsStore store;
    ASSERT_EQ(saved.Save(store), S_OK);

    // Image takes five reads (four values, then the missing CmdName2); text's sixth and seventh
    // reads are its name and command.
    store.FailReadsAfter(6, denied);
    EditorLists loaded;
    loaded.List(EditorKind::Hex) = {Entry("old", "old")};
    ClearErrorTrail();
    EXPECT_EQ(loaded.Load(store), denied);
    EXPECT_EQ(loaded.List(EditorKind::Image), saved.List(EditorKind::Image));
    EXPECT_TRUE(loaded.List(EditorKind::Text).empty());
    EXPECT_TRUE(loaded.List(EditorKind::Hex).empty());
    EXPECT_NE(TakeErrorTrail().value_or("").find("CmdCommand1 of the settings section TextEditors"),
              std::string::npos);

    // Clearing the image section, its name and command succeed; the arguments fail, and the text
    // section is never touched.
    saved.List(EditorKind::Image) = {Entry("New", "n", "-a")};
    saved.List(EditorKind::Text).clear();
    store.FailWritesAfter(3, denied);
    EXPECT_EQ(saved.Save(store), denied);
    EXPECT_EQ(*store.Find("ImageEditors"), (Section{{"CmdName1", "New"}, {"CmdCommand1", "n"}}));
    EXPECT_NE(store.Find("TextEditors"), nullptr);
    EXPECT_TRUE(PeekErrorTrail().has_value());

    // Removing the section of an empty list is a write that can fail too.
    store.FailWritesAfter(0, E_FAIL);
    EXPECT_EQ(EditorLists().Save(store), E_FAIL);
    EXPECT_NE(store.Find("ImageEditors"), nullptr);
    ClearErrorTrail();
}

TEST(RunEditor, StartsTheGivenEntryOrTheFirstOfTheList) {
    EditorLists lists;
    lists.List(EditorKind::Image) = {Entry("Paint", "/opt/paint it/paint", "--new", "/work dir"),
                                     Entry("GIMP", "gimp")};
    ScriptedFallbacks fallbacks;
    ClearErrorTrail();
    EXPECT_EQ(RunEditor(EditorKind::Image, "/p/a b.png", nullptr, lists, fallbacks), S_OK);
    EXPECT_EQ(RunEditor(EditorKind::Image, "/p/c.png", &lists.List(EditorKind::Image)[1], lists,
                        fallbacks),
              S_OK);
    EXPECT_EQ(fallbacks.calls,
              (std::vector<std::string>{
                  "launch \"/opt/paint it/paint\" \"/p/a b.png\" --new in [/work dir]",
                  "launch \"gimp\" \"/p/c.png\" in []"}));
    EXPECT_FALSE(PeekErrorTrail().has_value());

    // An entry given for a kind whose list is empty is still used.
    EditorEntry hexer = Entry("Hexer", "hexer");
    fallbacks.calls.clear();
    fallbacks.launchResult = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RunEditor(EditorKind::Hex, "/p/d.bin", &hexer, lists, fallbacks),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(fallbacks.calls, (std::vector<std::string>{"launch \"hexer\" \"/p/d.bin\" in []"}));
    ExpectOneRecord(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                    "Cannot start the editor 'Hexer': \"hexer\" \"/p/d.bin\"\n");
}

TEST(RunEditor, EmptyListsFallBackOnTheDesktop) {
    EditorLists none;
    ScriptedFallbacks fallbacks;
    const HRESULT noAssociation = HRESULT_FROM_WIN32(31);
    ClearErrorTrail();
    for (EditorKind kind : {EditorKind::Image, EditorKind::Text, EditorKind::Hex})
        EXPECT_EQ(RunEditor(kind, "/p/f", nullptr, none, fallbacks), S_OK);
    EXPECT_EQ(fallbacks.calls, (std::vector<std::string>(3, "edit /p/f")));
    EXPECT_FALSE(PeekErrorTrail().has_value());

    fallbacks.shellResult = noAssociation;
    fallbacks.calls.clear();
    EXPECT_EQ(RunEditor(EditorKind::Image, "/p/i.png", nullptr, none, fallbacks), noAssociation);
    EXPECT_EQ(fallbacks.calls, (std::vector<std::string>{"edit /p/i.png"}));
    ExpectOneRecord(noAssociation, "No program could edit the '/p/i.png' file.\n");

    EXPECT_EQ(RunEditor(EditorKind::Hex, "/p/h.bin", nullptr, none, fallbacks), noAssociation);
    ExpectOneRecord(noAssociation,
                    "There is no default editor for files of this type.\r\n\r\nEither set up a "
                    "Hex editor in Tools->Options, or associate a program with the extension for "
                    "this file.");
}

TEST(RunEditor, TextFilesTryNotepadBeforeGivingUp) {
    EditorLists none;
    ScriptedFallbacks fallbacks;
    fallbacks.shellResult = HRESULT_FROM_WIN32(31);
    fallbacks.notepad = "gedit";
    ClearErrorTrail();
    EXPECT_EQ(RunEditor(EditorKind::Text, "/p/a b.txt", nullptr, none, fallbacks), S_OK);
    EXPECT_EQ(fallbacks.calls, (std::vector<std::string>{"edit /p/a b.txt", "notepad",
                                                         "launch \"gedit\" \"/p/a b.txt\" in []"}));
    EXPECT_FALSE(PeekErrorTrail().has_value()) << "the desktop's failure alone is not reported";

    const std::string message =
        "An error occurred while trying to edit the '/p/a b.txt' file.\r\n\r\nEither set up a "
        "Text editor in Tools->Options, or associate a program with the extension for this file.";
    fallbacks.launchResult = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    EXPECT_EQ(RunEditor(EditorKind::Text, "/p/a b.txt", nullptr, none, fallbacks),
              HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    ExpectOneRecord(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), message);

    fallbacks.notepad.reset();
    fallbacks.calls.clear();
    EXPECT_EQ(RunEditor(EditorKind::Text, "/p/a b.txt", nullptr, none, fallbacks),
              HRESULT_FROM_WIN32(31));
    EXPECT_EQ(fallbacks.calls, (std::vector<std::string>{"edit /p/a b.txt", "notepad"}));
    ExpectOneRecord(HRESULT_FROM_WIN32(31), message);
}
