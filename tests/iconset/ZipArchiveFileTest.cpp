// Tests for ZipArchiveFile: golden bytes, round trips, archives from other tools, and damage.
#include "iconset/ZipArchiveFile.h"

#include "common/TestSupport.h"
#include "support/ByteBuilder.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

namespace vellum {

// Kinds by name in failure messages.
void PrintTo(ZipError::Kind kind, std::ostream* out) {
    static const char* const kNames[] = {"Io",   "Format",      "Data", "Zlib",
                                         "Name", "Unsupported", "Full", "Usage"};
    *out << kNames[int(kind)];
}

namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadFileBytes;
using test::ReadFileText;
using test::ScratchDir;
using test::WriteFileText;

bool Have(const char* command) {
    return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0;
}
int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// A minimal independent writer: stored entries, external attributes 0x20 (0x10 for names that
// end in a slash).
Bytes StoredZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    test::ByteWriter out, directory;
    for (const auto& [name, data] : entries) {
        unsigned crc =
            unsigned(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
        unsigned offset = unsigned(out.Size());
        out.U32(0x04034b50);
        for (unsigned v : {10u, 0u, 0u, 0u, 0x21u})
            out.U16(v);
        for (unsigned v : {crc, unsigned(data.size()), unsigned(data.size())})
            out.U32(v);
        out.U16(unsigned(name.size())).U16(0).Ascii(name).Ascii(data);
        directory.U32(0x02014b50);
        for (unsigned v : {20u, 10u, 0u, 0u, 0u, 0x21u})
            directory.U16(v);
        for (unsigned v : {crc, unsigned(data.size()), unsigned(data.size())})
            directory.U32(v);
        for (unsigned v : {unsigned(name.size()), 0u, 0u, 0u, 0u})
            directory.U16(v);
        directory.U32(!name.empty() && name.back() == '/' ? 0x10 : 0x20);
        directory.U32(offset).Ascii(name);
    }
    unsigned directoryOffset = unsigned(out.Size());
    out.Append(directory.Data()).U32(0x06054b50);
    for (unsigned v : {0u, 0u, unsigned(entries.size()), unsigned(entries.size())})
        out.U16(v);
    out.U32(unsigned(directory.Size())).U32(directoryOffset).U16(0);
    return out.Take();
}

using Kind = ZipError::Kind;

// The ZipError the call throws; nothing when it returns.
std::optional<ZipError> Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const ZipError& e) {
        return e;
    }
    return std::nullopt;
}

std::optional<Kind> KindThrown(const std::function<void()>& call) {
    std::optional<ZipError> e = Thrown(call);
    return e ? std::optional<Kind>(e->kind) : std::nullopt;
}

// The kind of the first failure of opening and extracting every entry; nothing for none.
std::optional<Kind> OpenAndExtractAll(const std::string& archive, const std::string& folder) {
    return KindThrown([&] {
        ZipArchiveFile zip;
        zip.Open(archive, ZipArchiveFile::Mode::ReadOnly);
        for (std::size_t i = 0; i < zip.Count(); ++i)
            zip.Extract(i, folder);
        zip.Close();
    });
}

class TimeZoneUtc : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        savedTz_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (savedTz_)
            setenv("TZ", savedTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> savedTz_;
};

using ZipGolden = TimeZoneUtc;

// 2021-03-14 15:26:54 UTC: DOS time 0x7B5B, DOS date 0x526E.
const auto kStamp =
    fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1615735614)));

TEST_F(ZipGolden, FileAndFolderEntriesHaveTheDocumentedBytes) {
    ScratchDir dir;
    WriteFileText(dir / "hello.txt", "hello\n");
    fs::create_directory(dir / "icons");
    fs::last_write_time(dir / "hello.txt", kStamp);
    fs::last_write_time(dir / "icons", kStamp);
    {
        ZipArchiveFile zip;
        zip.Open(dir / "out.zip", ZipArchiveFile::Mode::Create);
        zip.AddFile(dir / "hello.txt", 0);
        zip.AddFile(dir / "icons");
        zip.Close();
    }
    const Bytes expected = {
        // local header: version 20, flags 0 (level 0), deflate, time, date, CRC, 11, 6, name 9
        0x50, 0x4b, 0x03, 0x04, 0x14, 0x00, 0x00, 0x00, 0x08, 0x00, 0x5b, 0x7b, 0x6e, 0x52, 0x20,
        0x30, 0x3a, 0x36, 0x0b, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00,
        'h', 'e', 'l', 'l', 'o', '.', 't', 'x', 't',
        // one final stored deflate block: BFINAL, LEN 6, NLEN, "hello\n"
        0x01, 0x06, 0x00, 0xf9, 0xff, 'h', 'e', 'l', 'l', 'o', '\n',
        // local header of the folder: stored, no data
        0x50, 0x4b, 0x03, 0x04, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5b, 0x7b, 0x6e, 0x52, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
        'i', 'c', 'o', 'n', 's', '/',
        // central directory: made by 20, needs 20, ..., attributes 0x20, local header at 0
        0x50, 0x4b, 0x01, 0x02, 0x14, 0x00, 0x14, 0x00, 0x00, 0x00, 0x08, 0x00, 0x5b, 0x7b, 0x6e,
        0x52, 0x20, 0x30, 0x3a, 0x36, 0x0b, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x09, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 'h', 'e', 'l', 'l', 'o', '.', 't', 'x', 't',
        // the folder: attributes 0x10, local header at 50
        0x50, 0x4b, 0x01, 0x02, 0x14, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5b, 0x7b, 0x6e,
        0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00,
        0x00, 'i', 'c', 'o', 'n', 's', '/',
        // end record: 2 entries, directory of 107 bytes at 86, no comment
        0x50, 0x4b, 0x05, 0x06, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x6b, 0x00, 0x00,
        0x00, 0x56, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ReadFileBytes(dir / "out.zip"), expected);
}

TEST(ZipFlags, LevelIsRecordedInTheFlags) {
    ScratchDir dir;
    WriteFileText(dir / "a.txt", "aaaa");
    ZipArchiveFile zip;
    zip.Open(dir / "out.zip", ZipArchiveFile::Mode::Create);
    for (int level : {1, 2, 9, -1, 6})
        zip.AddFile(dir / "a.txt", level);
    zip.Close();
    zip.Open(dir / "out.zip", ZipArchiveFile::Mode::ReadOnly);
    std::vector<int> flags;
    for (std::size_t i = 0; i < zip.Count(); ++i)
        flags.push_back(zip.EntryInfo(i).flags);
    EXPECT_EQ(flags, (std::vector<int>{6, 4, 2, 0, 0}));
}

// A set of files that exercise chunking: empty, tiny, and larger than several buffers.
struct Sample {
    ScratchDir dir;
    std::vector<std::string> names = {"empty.ico", "small.iconset", "big.icl"};
    Sample() {
        fs::create_directories(dir / "nested/deeper");
        WriteFileText(dir / "nested/deeper/empty.ico", "");
        WriteFileText(dir / "nested/small.iconset", "<?xml version='1.0'?>\r\n<Root/>\r\n");
        std::string big;
        unsigned seed = 7;
        for (int i = 0; i < 300000; ++i) {
            seed = seed * 1103515245u + 12345u;
            big.push_back(char(i % 3 ? 'a' + (seed >> 16) % 4 : seed >> 24));
        }
        WriteFileText(dir / "big.icl", big);
    }
    std::vector<std::string> Paths() const {
        return {dir / "nested/deeper/empty.ico", dir / "nested/small.iconset", dir / "big.icl"};
    }
    std::string Archive() const { return dir / "set.iconzip"; }
    void Write(std::size_t bufferSize) const {
        ZipArchiveFile zip;
        zip.Open(Archive(), ZipArchiveFile::Mode::Create);
        for (const std::string& path : Paths())
            zip.AddFile(path, -1, bufferSize);
        zip.Close();
    }
};

TEST(ZipRoundTrip, EntriesAreNamedByFileNameAndExtractFlat) {
    for (std::size_t bufferSize : {std::size_t(1000), ZipArchiveFile::kBufferSize}) {
        Sample sample;
        sample.Write(bufferSize);
        ZipArchiveFile zip;
        zip.Open(sample.Archive(), ZipArchiveFile::Mode::ReadOnly);
        ASSERT_EQ(zip.Count(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(zip.EntryInfo(i).name, sample.names[i]);
            EXPECT_EQ(zip.EntryInfo(i).method, 8);
            EXPECT_FALSE(zip.IsDirectory(i));
            zip.Extract(i, sample.dir / "out", bufferSize);
            EXPECT_EQ(ReadFileText(sample.dir / ("out/" + sample.names[i])),
                      ReadFileText(sample.Paths()[i]));
        }
        EXPECT_EQ(KindThrown([&] { zip.EntryInfo(3); }), Kind::Usage);
        EXPECT_EQ(KindThrown([&] { zip.IsDirectory(3); }), Kind::Usage);
        EXPECT_EQ(KindThrown([&] { zip.Extract(3, sample.dir / "out"); }), Kind::Usage);
        EXPECT_EQ(KindThrown([&] { zip.Extract(0, sample.dir / "out", 0); }), Kind::Usage);
    }
}

TEST(ZipRoundTrip, StandardReadersAcceptWhatWeWrite) {
    Sample sample;
    sample.Write(ZipArchiveFile::kBufferSize);
    if (Have("unzip")) {
        EXPECT_EQ(Shell("unzip -t '" + sample.Archive() + "'"), 0);
    }
    if (!Have("python3"))
        GTEST_SKIP() << "python3 not installed";
    std::string script = "import sys, zipfile\n"
                         "z = zipfile.ZipFile(sys.argv[1])\n"
                         "assert z.testzip() is None\n"
                         "for info, path in zip(z.infolist(), sys.argv[2:]):\n"
                         "    assert info.flag_bits & 8 == 0\n"
                         "    assert z.read(info) == open(path, 'rb').read(), path\n";
    WriteFileText(sample.dir / "check.py", script);
    std::string command = "python3 '" + sample.dir.Path() + "check.py' '" + sample.Archive() + "'";
    for (const std::string& path : sample.Paths())
        command += " '" + path + "'";
    EXPECT_EQ(Shell(command), 0);
}

TEST(ZipFromZipTool, CommentAndFolders) {
    if (!Have("zip"))
        GTEST_SKIP() << "zip not installed";
    ScratchDir dir;
    fs::create_directories(dir / "src/icons/small");
    WriteFileText(dir / "src/top.iconset", "top");
    WriteFileText(dir / "src/icons/small/a.ico", std::string(5000, 'x'));
    std::string comment(100, 'c');
    ASSERT_EQ(
        Shell("cd '" + dir.Path() + "src' && echo " + comment + " | zip -q -z -r ../tool.zip ."),
        0);

    ZipArchiveFile zip;
    zip.Open(dir / "tool.zip", ZipArchiveFile::Mode::ReadOnly);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < zip.Count(); ++i) {
        zip.Extract(i, dir / "out");
        if (!zip.IsDirectory(i))
            files.push_back(zip.EntryInfo(i).name);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"icons\\small\\a.ico", "top.iconset"}));
    EXPECT_EQ(ReadFileText(dir / "out/a.ico"), std::string(5000, 'x'));
    EXPECT_EQ(ReadFileText(dir / "out/top.iconset"), "top");
    EXPECT_FALSE(fs::exists(dir / "out/icons"));
}

TEST(ZipOpenMode, AppendsAndKeepsTheComment) {
    if (!Have("zip") || !Have("unzip"))
        GTEST_SKIP() << "zip or unzip not installed";
    ScratchDir dir;
    WriteFileText(dir / "one.txt", "one");
    WriteFileText(dir / "two.txt", "two two");
    ASSERT_EQ(Shell("cd '" + dir.Path() + "' && echo remark | zip -q -z base.zip one.txt"), 0);
    Bytes before = ReadFileBytes(dir / "base.zip");
    ZipArchiveFile zip;
    zip.Open(dir / "base.zip", ZipArchiveFile::Mode::Open);
    zip.Close();
    EXPECT_EQ(ReadFileBytes(dir / "base.zip"), before) << "nothing added, nothing written";

    zip.Open(dir / "base.zip", ZipArchiveFile::Mode::Open);
    zip.AddFile(dir / "two.txt");
    zip.Extract(1, dir / "early"); // a new entry reads back before closing
    EXPECT_EQ(ReadFileText(dir / "early/two.txt"), "two two");
    zip.Close();
    EXPECT_EQ(Shell("unzip -t '" + dir.Path() + "base.zip'"), 0);
    EXPECT_EQ(Shell("unzip -z '" + dir.Path() + "base.zip' | grep -q remark"), 0);
    ASSERT_EQ(OpenAndExtractAll(dir / "base.zip", dir / "out"), std::nullopt);
    EXPECT_EQ(ReadFileText(dir / "out/two.txt"), "two two");
}

// A self-extracting archive has a program in front of the archive proper, and its offsets count
// from where the archive starts. An added entry's offset must count from there too.
TEST(ZipAdd, AnArchiveBehindAStubGetsEntriesItsReadersFind) {
    ScratchDir dir;
    Bytes archive(300, 'S'); // the stub
    archive[0] = 'M';
    archive[1] = 'Z';
    Bytes proper = StoredZip({{"first.txt", "first entry"}});
    archive.insert(archive.end(), proper.begin(), proper.end());
    test::WriteFileBytes(dir / "sfx.exe", archive);
    WriteFileText(dir / "second.txt", "second entry");
    {
        ZipArchiveFile zip;
        zip.Open(dir / "sfx.exe", ZipArchiveFile::Mode::Open);
        zip.AddFile(dir / "second.txt", 0);
        zip.Close();
    }
    ASSERT_EQ(OpenAndExtractAll(dir / "sfx.exe", dir / "out"), std::nullopt);
    EXPECT_EQ(ReadFileText(dir / "out/first.txt"), "first entry");
    EXPECT_EQ(ReadFileText(dir / "out/second.txt"), "second entry");
    if (!Have("python3"))
        GTEST_SKIP() << "python3 not installed";
    WriteFileText(dir / "check.py", "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "assert z.read('first.txt') == b'first entry'\n"
                                    "assert z.read('second.txt') == b'second entry'\n");
    EXPECT_EQ(Shell("python3 '" + dir.Path() + "check.py' '" + dir.Path() + "sfx.exe'"), 0);
}

TEST(ZipAdd, RefusalsThrowAndAddNothing) {
    ScratchDir dir;
    WriteFileText(dir / "a.txt", "a");
    ZipArchiveFile zip;
    EXPECT_EQ(KindThrown([&] { zip.AddFile(dir / "a.txt"); }), Kind::Usage) << "no archive open";
    zip.Open(dir / "out.zip", ZipArchiveFile::Mode::Create);
    std::optional<ZipError> missing = Thrown([&] { zip.AddFile(dir / "missing.txt"); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->kind, Kind::Io);
    EXPECT_EQ(missing->systemError, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(KindThrown([&] { zip.AddFile(dir / "a.txt", -1, 0); }), Kind::Usage);
    std::optional<ZipError> level = Thrown([&] { zip.AddFile(dir / "a.txt", 12); });
    ASSERT_TRUE(level) << "zlib refuses the level";
    EXPECT_EQ(level->kind, Kind::Zlib);
    EXPECT_EQ(level->zlibCode, Z_STREAM_ERROR);
    EXPECT_EQ(KindThrown([&] { zip.Extract(0, dir / "out"); }), Kind::Usage) << "create mode";
    zip.AddFile(dir / "a.txt");
    zip.Close();
    zip.Open(dir / "out.zip", ZipArchiveFile::Mode::ReadOnly);
    EXPECT_EQ(zip.Count(), 1u);
    EXPECT_EQ(KindThrown([&] { zip.AddFile(dir / "a.txt"); }), Kind::Usage) << "read-only";
    zip.Close();
    if (Have("unzip")) {
        EXPECT_EQ(Shell("unzip -t '" + dir.Path() + "out.zip'"), 0)
            << "a failed add leaves no trace";
    }

    std::optional<ZipError> exists =
        Thrown([&] { zip.Open(dir / "out.zip", ZipArchiveFile::Mode::Create); });
    ASSERT_TRUE(exists) << "create mode must not overwrite an existing file";
    EXPECT_EQ(exists->kind, Kind::Io);
    EXPECT_EQ(exists->systemError, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(exists->Result(), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_STREQ(exists->what(), "zip file error 0x800700B7");
}

TEST(ZipAdd, AFullArchiveRefusesMoreFiles) {
    ScratchDir dir;
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 65535; ++i)
        entries.emplace_back(std::to_string(i), "");
    test::WriteFileBytes(dir / "full.zip", StoredZip(entries));
    WriteFileText(dir / "a.txt", "a");
    ZipArchiveFile zip;
    zip.Open(dir / "full.zip", ZipArchiveFile::Mode::Open);
    EXPECT_EQ(zip.Count(), 65535u);
    EXPECT_EQ(KindThrown([&] { zip.AddFile(dir / "a.txt"); }), Kind::Full);
}

TEST(ZipExtract, NamesThatCouldLeaveTheFolderAreRefused) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "evil.zip", StoredZip({{"../escape.txt", "x"},
                                                {"..", "x"},
                                                {"/tmp/absolute.txt", "x"},
                                                {"C:evil.txt", "x"},
                                                {"", "x"},
                                                {"folder/", ""},
                                                {"sub\\..\\..\\up.txt", "x"},
                                                {"bad\x01name", "x"},
                                                {"plain/ok.txt", "fine"}}));
    ZipArchiveFile zip;
    zip.Open(dir / "evil.zip", ZipArchiveFile::Mode::ReadOnly);
    ASSERT_EQ(zip.Count(), 9u);
    for (std::size_t i = 0; i < 8; ++i) {
        std::optional<Kind> expected;
        if (!zip.IsDirectory(i))
            expected = Kind::Name;
        EXPECT_EQ(KindThrown([&] { zip.Extract(i, dir / "dest/inner"); }), expected) << i;
    }
    zip.Extract(8, dir / "dest/inner");
    std::optional<ZipError> escape = Thrown([&] { zip.Extract(0, dir / "dest/inner"); });
    ASSERT_TRUE(escape);
    EXPECT_STREQ(
        escape->what(),
        "The zip entry \"..\\escape.txt\" is not a plain file name; it was not extracted.");
    EXPECT_EQ(escape->Result(), E_INVALIDARG);
    std::vector<std::string> found;
    for (const auto& item : fs::recursive_directory_iterator(dir.Path()))
        found.push_back(fs::relative(item.path(), dir.Path()).generic_string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (std::vector<std::string>{"dest", "dest/inner", "dest/inner/ok.txt", "evil.zip"}));
}

// Method and flags sit at 10 and 8 in the central header, which follows the only entry.
TEST(ZipExtract, EncryptedEntriesAndUnknownMethodsAreRefused) {
    ScratchDir dir;
    const Bytes plain = StoredZip({{"a.txt", "x"}});
    const std::size_t central = 30 + 5 + 1;
    for (std::size_t field : {central + 8, central + 10}) {
        Bytes bytes = plain;
        bytes[field] = field == central + 8 ? 1 : 99;
        test::WriteFileBytes(dir / "odd.zip", bytes);
        EXPECT_EQ(OpenAndExtractAll(dir / "odd.zip", dir / "out"), Kind::Unsupported) << field;
    }
    EXPECT_FALSE(fs::exists(dir / "out/a.txt"));
}

TEST(ZipExtract, UnwritableDestinationsThrowIoAndLeaveNoTemporaryFile) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "one.zip", StoredZip({{"a.txt", "data"}}));
    WriteFileText(dir / "file", "a file where the folder should be");
    fs::create_directories(dir / "out/a.txt"); // a folder where the file should go
    ZipArchiveFile zip;
    zip.Open(dir / "one.zip", ZipArchiveFile::Mode::ReadOnly);
    for (const char* folder : {"file", "file/below", "out"}) {
        std::optional<ZipError> e = Thrown([&] { zip.Extract(0, dir / folder); });
        ASSERT_TRUE(e) << folder;
        EXPECT_EQ(e->kind, Kind::Io) << folder;
        EXPECT_NE(e->systemError, 0u) << folder;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
    std::optional<ZipError> missing =
        Thrown([&] { ZipArchiveFile().Open(dir / "missing.zip", ZipArchiveFile::Mode::ReadOnly); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->kind, Kind::Io);
    EXPECT_EQ(missing->systemError, ERROR_FILE_NOT_FOUND);
}

TEST(ZipDamage, NotAnArchiveOrTruncatedIsFormat) {
    ScratchDir dir;
    Sample sample;
    sample.Write(ZipArchiveFile::kBufferSize);
    Bytes good = ReadFileBytes(sample.Archive());
    WriteFileText(dir / "empty.zip", "");
    WriteFileText(dir / "text.zip", std::string(70000, 'P'));
    test::WriteFileBytes(dir / "cut.zip", Bytes(good.begin(), good.end() - 30));
    for (const char* name : {"empty.zip", "text.zip", "cut.zip", "missing-end.zip"}) {
        if (std::string(name) == "missing-end.zip")
            test::WriteFileBytes(dir / name, Bytes(good.begin(), good.end() - 22));
        EXPECT_EQ(OpenAndExtractAll(dir / name, dir / "out"), Kind::Format) << name;
    }
    Bytes wrongDisk = good;
    wrongDisk[wrongDisk.size() - 22 + 4] = 1;
    test::WriteFileBytes(dir / "disk.zip", wrongDisk);
    EXPECT_EQ(OpenAndExtractAll(dir / "disk.zip", dir / "out"), Kind::Format);
}

TEST(ZipDamage, CorruptDataThrowsAndKeepsTheOldFile) {
    ScratchDir dir;
    test::WriteFileBytes(dir / "stored.zip", StoredZip({{"a.txt", "original data"}}));
    Bytes bytes = ReadFileBytes(dir / "stored.zip");
    bytes[30 + 5] ^= 0x20; // a byte of the data
    test::WriteFileBytes(dir / "stored.zip", bytes);
    WriteFileText(dir / "a.txt", "kept");
    EXPECT_EQ(OpenAndExtractAll(dir / "stored.zip", dir.Path()), Kind::Data);
    EXPECT_EQ(ReadFileText(dir / "a.txt"), "kept");

    // Deflate data whose first block has the reserved type 3: zlib cannot inflate it.
    {
        ZipArchiveFile zip;
        zip.Open(dir / "deflated.zip", ZipArchiveFile::Mode::Create);
        zip.AddFile(dir / "a.txt");
        zip.Close();
    }
    bytes = ReadFileBytes(dir / "deflated.zip");
    bytes[30 + 5] = 0x07;
    test::WriteFileBytes(dir / "deflated.zip", bytes);
    fs::create_directory(dir / "out");
    WriteFileText(dir / "out/a.txt", "kept");
    std::optional<ZipError> e = Thrown([&] {
        ZipArchiveFile zip;
        zip.Open(dir / "deflated.zip", ZipArchiveFile::Mode::ReadOnly);
        zip.Extract(0, dir / "out");
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind, Kind::Zlib);
    EXPECT_EQ(e->zlibCode, Z_DATA_ERROR);
    EXPECT_EQ(ReadFileText(dir / "out/a.txt"), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 4)
        << "no temporary file left behind";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
}

// Every truncation and every single-byte change of a real archive either works or throws for
// damage or for an entry it refuses: nothing crashes and nothing lands outside the folder.
TEST(ZipDamage, EveryTruncationAndByteFlipIsHandled) {
    ScratchDir dir;
    WriteFileText(dir / "a.txt", std::string(300, 'a') + "tail");
    {
        ZipArchiveFile zip;
        zip.Open(dir / "good.zip", ZipArchiveFile::Mode::Create);
        zip.AddFile(dir / "a.txt");
        zip.Close();
    }
    Bytes good = ReadFileBytes(dir / "good.zip");
    auto check = [&](const Bytes& bytes, std::size_t at) {
        test::WriteFileBytes(dir / "bad.zip", bytes);
        std::optional<Kind> kind = OpenAndExtractAll(dir / "bad.zip", dir / "out");
        EXPECT_TRUE(!kind || (*kind != Kind::Io && *kind != Kind::Full && *kind != Kind::Usage))
            << "at " << at << " " << ::testing::PrintToString(kind);
    };
    for (std::size_t size = 0; size < good.size(); ++size)
        check(Bytes(good.begin(), good.begin() + std::ptrdiff_t(size)), size);
    for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes bytes = good;
        bytes[at] ^= 0xA5;
        check(bytes, at);
    }
    for (const auto& item : fs::directory_iterator(dir.Path()))
        EXPECT_TRUE(item.path().filename() == "out" || item.path().extension() == ".zip" ||
                    item.path().filename() == "a.txt")
            << item.path();
}

} // namespace
} // namespace vellum
