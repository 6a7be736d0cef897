#include "compiler/Compiler.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "decompiler/ExeDumper.h"
#include "formats/ManifestText.h"
#include "formats/PeImage.h"
#include "operations/Operations.h"
#include "support/PeBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kOptional = 0x40 + 24;

// .text, a one-resource .rsrc and a .reloc whose base-relocation directory points into it.
Bytes ImageWithRelocations() {
    Bytes rsrc = BuildResourceSection({{10, 1, 1033, Bytes(16, 'r')}}, 0x2000);
    Bytes image =
        BuildPe({{".text", Bytes(0x10, 0xC3)}, {".rsrc", rsrc}, {".reloc", Bytes(8, 'R')}});
    Put32(image, kOptional + 96 + 5 * 8, 0x3000);
    Put32(image, kOptional + 96 + 5 * 8 + 4, 8);
    return image;
}

struct Project {
    ScratchDir dir;
    ScriptedPrompter prompter;

    explicit Project(const Bytes& image) {
        ExeDumper dumper(prompter);
        dumper.SetTextOutput(nullptr);
        EXPECT_EQ(dumper.DumpExe(ByteView(image.data(), image.size()), dir.Path(), "pe.xml"), S_OK);
    }
    HRESULT Compile(std::string* trace = nullptr) {
        HRESULT hr = E_FAIL;
        std::string text = CaptureOutput([&](std::FILE* out) {
            Compiler compiler(prompter, out);
            compiler.SetPaths("out.dll", dir.Path());
            hr = compiler.Compile(dir / "pe.xml");
        });
        if (trace)
            *trace = text;
        return hr;
    }
};

} // namespace

TEST(Compiler, SectionsBehindTheResourceSectionMove) {
    Bytes original = ImageWithRelocations();
    Project project(original);
    WriteFileText(project.dir / "1000001", std::string(0x1500, 'x')); // the resource grows
    std::string trace;
    ASSERT_EQ(project.Compile(&trace), S_OK) << PeekErrorTrail().value_or("");
    Bytes out = ReadFileBytes(project.dir / "out.dll");
    ByteView b(out.data(), out.size());
    PeImage pe;
    ASSERT_EQ(pe.Parse(b), S_OK);
    // The new section: 3 directories of 24 bytes, a 16-byte data entry and the data.
    std::uint32_t size = 3 * 24 + 16 + 0x1500;
    const SectionHeader& rsrc = pe.Sections()[1];
    EXPECT_EQ(rsrc.virtualSize, size);
    EXPECT_EQ(rsrc.pointerToRawData, 0x400u);
    EXPECT_EQ(rsrc.sizeOfRawData, 0x1600u);
    EXPECT_EQ(b.U32(kOptional + 96 + 2 * 8 + 4), size);
    // Raw shift 0x1600 - 0x200; virtual shift one section alignment unit.
    const SectionHeader& reloc = pe.Sections()[2];
    EXPECT_EQ(reloc.virtualAddress, 0x4000u);
    EXPECT_EQ(reloc.pointerToRawData, 0x600u + 0x1400u);
    EXPECT_EQ(b.U32(kOptional + 96 + 5 * 8), 0x4000u) << "the relocations follow .reloc";
    EXPECT_EQ(b.U32(kOptional + 56), 0x4000u + 0x1000u) << "SizeOfImage";
    EXPECT_EQ(b.U32(kOptional + 8), 0x1000u) << "SizeOfInitializedData";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Data()) + 0x1A00, 8), "RRRRRRRR");
    EXPECT_EQ(pe.Sections()[0].virtualAddress, 0x1000u) << "sections before .rsrc stay";
    EXPECT_EQ(out.size(), 0x1C00u);
    EXPECT_NE(trace.find("Min Address is      200\nMust pad        0\nSECTION: .text\n"
                         "SECTION: .rsrc\nRESOURCE section\n"),
              std::string::npos)
        << trace;
}

TEST(Compiler, AnUnchangedProjectRebuildsTheSameResourceBytes) {
    Bytes original = ImageWithRelocations();
    Project project(original);
    ASSERT_EQ(project.Compile(), S_OK);
    Bytes out = ReadFileBytes(project.dir / "out.dll");
    EXPECT_EQ(out, original) << "the test image's section has the builder's own layout";
}

// Sections of one name (as packers and old linkers write them) each keep their own bytes.
TEST(Compiler, SectionsOfOneNameKeepTheirOwnBytes) {
    Bytes original = BuildPe({{".text", Bytes(0x10, 'a')},
                              {".text", Bytes(0x20, 'b')},
                              {".TEXT", Bytes(0x30, 'c')},
                              {"NTHEADER", Bytes(0x40, 'd')}});
    Project project(original);
    ASSERT_EQ(project.Compile(), S_OK);
    EXPECT_EQ(ReadFileBytes(project.dir / "out.dll"), original);
}

TEST(Compiler, MissingSectionFileStopsAndKeepsTheOldOutput) {
    Project project(ImageWithRelocations());
    WriteFileText(project.dir / "out.dll", "previous build");
    fs::remove(project.dir / "reloc.BIN");
    ClearErrorTrail();
    EXPECT_EQ(project.Compile(), HRESULT_FROM_WIN32(2));
    ASSERT_GE(project.prompter.Shown().size(), 2u);
    EXPECT_EQ(project.prompter.Shown()[0].message, "Couldn't open: " + project.dir / "reloc.BIN");
    EXPECT_EQ(project.prompter.Shown()[0].title, "Error");
    EXPECT_EQ(project.prompter.Shown().back().message, "Compilation failed");
    std::string trail = *TakeErrorTrail();
    EXPECT_NE(trail.find("Failed to transfer file " + project.dir / "reloc.BIN" +
                         " to compilation directory.\n"),
              std::string::npos);
    EXPECT_EQ(ReadFileText(project.dir / "out.dll"), "previous build");
}

// A damaged NTHEADER.BIN may ask for gigabytes of padding; the compiler refuses instead of
// writing them, says why, and keeps the previous output.
TEST(Compiler, HeadersAskingForMoreThanAnExecutableHoldsAreRefused) {
    constexpr std::size_t kFileAlignment = 24 + 36;         // in NTHEADER.BIN
    constexpr std::size_t kFirstRawPointer = 24 + 224 + 20; // the first section's
    const std::pair<std::size_t, std::uint32_t> damages[] = {{kFileAlignment, 0x7F000200},
                                                             {kFirstRawPointer, 0xFFFFFF00}};
    for (auto [offset, value] : damages) {
        Project project(BuildPe({{".text", Bytes(0x10, 0xC3)}, {".data", Bytes(0x20, 'd')}}));
        WriteFileText(project.dir / "out.dll", "previous build");
        Bytes nt = ReadFileBytes(project.dir / "NTHEADER.BIN");
        Put32(nt, offset, value);
        WriteFileBytes(project.dir / "NTHEADER.BIN", nt);
        ClearErrorTrail();
        EXPECT_EQ(project.Compile(), E_FAIL) << offset;
        std::string trail = TakeErrorTrail().value_or("");
        EXPECT_TRUE(trail.find("the largest an executable can have is 0x10000") !=
                        std::string::npos ||
                    trail.find("places data beyond 4 GB") != std::string::npos)
            << trail;
        EXPECT_EQ(ReadFileText(project.dir / "out.dll"), "previous build");
    }
}

TEST(Compiler, OverlayComesBackAndCertificatesAreDropped) {
    Bytes image = ImageWithRelocations();
    std::size_t end = image.size();
    image.insert(image.end(), {'S', 'Y', 'M', 'S'});
    Bytes certificate(16, 'C');
    image.insert(image.end(), certificate.begin(), certificate.end());
    Put32(image, 0x40 + 4 + 8, std::uint32_t(end)); // PointerToSymbolTable into the overlay
    Put32(image, kOptional + 96 + 4 * 8, std::uint32_t(end + 4));
    Put32(image, kOptional + 96 + 4 * 8 + 4, 16);
    Project project(image);
    EXPECT_EQ(ReadFileText(project.dir / "OVERLAY.BIN"), "SYMS");
    WriteFileText(project.dir / "1000001", std::string(0x300, 'x'));
    ASSERT_EQ(project.Compile(), S_OK);
    Bytes out = ReadFileBytes(project.dir / "out.dll");
    ByteView b(out.data(), out.size());
    EXPECT_EQ(std::string(out.end() - 4, out.end()), "SYMS");
    EXPECT_EQ(b.U32(0x40 + 4 + 8), out.size() - 4) << "the symbol table moved with the overlay";
    EXPECT_EQ(b.U32(kOptional + 96 + 4 * 8), 0u);
    EXPECT_EQ(b.U32(kOptional + 96 + 4 * 8 + 4), 0u);
}

// The manifest of a project whose only resource is RCDATA 1 (language 1033) in the file 1000001.
std::string OneResourceManifest() {
    return std::string("<Directory Type='0' Named_Entries='2' ID_Entries='1'>\n") + kHeaderEntries +
           "<Entry ID='10' Directory='1'>\r\n"
           "<Directory Type='10' Named_Entries='0' ID_Entries='1'>\n"
           "<Entry ID='1' Directory='1'>\r\n"
           "<Directory Type='1' Named_Entries='0' ID_Entries='1'>\n"
           "<Entry ID='1033' Directory='0'>\r\n"
           "<File Name='1000001' Size='16' Start='00000000' End='00000010' />\r\n"
           "</Entry>\r\n</Directory>\n</Entry>\r\n</Directory>\n</Entry>\r\n</Directory>\n";
}

// A program without resources compiles back to itself; once it has one, it gets a resource
// section behind its last section, in the file and in memory, with its own section header.
TEST(Compiler, AProgramWithoutResourcesGetsANewResourceSection) {
    Bytes original = BuildPe({{".text", Bytes(0x10, 0xC3)}, {".data", Bytes(0x300, 'd')}});
    original.insert(original.end(), {'T', 'A', 'I', 'L'});
    Project project(original);
    ASSERT_EQ(project.Compile(), S_OK) << PeekErrorTrail().value_or("");
    EXPECT_EQ(ReadFileBytes(project.dir / "out.dll"), original) << "no resources, no new section";

    WriteFileText(project.dir / "pe.xml", OneResourceManifest());
    WriteFileText(project.dir / "1000001", std::string(16, 'r'));
    ASSERT_EQ(project.Compile(), S_OK) << PeekErrorTrail().value_or("");
    Bytes out = ReadFileBytes(project.dir / "out.dll");
    ByteView b(out.data(), out.size());
    PeImage pe;
    ASSERT_EQ(pe.Parse(b), S_OK);
    ASSERT_EQ(pe.Sections().size(), 3u);
    const SectionHeader& rsrc = pe.Sections()[2];
    std::uint32_t size = 3 * 24 + 16 + 16;
    EXPECT_TRUE(rsrc.NameIs(".rsrc"));
    EXPECT_EQ(rsrc.virtualAddress, 0x3000u);
    EXPECT_EQ(rsrc.virtualSize, size);
    EXPECT_EQ(rsrc.pointerToRawData, 0x800u);
    EXPECT_EQ(rsrc.sizeOfRawData, 0x200u);
    EXPECT_EQ(rsrc.characteristics, 0x40000040u);
    EXPECT_EQ(b.U32(kOptional + 96 + 2 * 8), 0x3000u);
    EXPECT_EQ(b.U32(kOptional + 96 + 2 * 8 + 4), size);
    EXPECT_EQ(b.U32(kOptional + 56), 0x4000u) << "SizeOfImage";
    EXPECT_EQ(b.U32(kOptional + 8), 0x1000u) << "SizeOfInitializedData";
    EXPECT_EQ(b.U32(kOptional + 60), 0x200u) << "SizeOfHeaders already held the new header";
    // Everything but the patched header fields stays: sections and overlay byte for byte.
    EXPECT_TRUE(std::equal(original.begin() + 0x200, original.end() - 4, out.begin() + 0x200));
    EXPECT_EQ(std::string(out.end() - 4, out.end()), "TAIL");
    EXPECT_EQ(out.size(), 0xA00u + 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Data()) + 0x800 + size - 16, 16),
              std::string(16, 'r'));
}

// Headers that claim less than the section table: NTHEADER.BIN ends with the table, the new
// header lands in the padding behind it, and SizeOfHeaders grows to cover it.
TEST(Compiler, ANewSectionHeaderBeyondSizeOfHeaders) {
    Bytes original = BuildPe({{".text", Bytes(0x10, 0xC3)}});
    Put32(original, kOptional + 60, 0x100);
    Project project(original);
    WriteFileText(project.dir / "pe.xml", OneResourceManifest());
    WriteFileText(project.dir / "1000001", std::string(16, 'r'));
    ASSERT_EQ(project.Compile(), S_OK) << PeekErrorTrail().value_or("");
    Bytes out = ReadFileBytes(project.dir / "out.dll");
    ByteView b(out.data(), out.size());
    EXPECT_EQ(b.U32(kOptional + 60), 0x200u);
    PeImage pe;
    ASSERT_EQ(pe.Parse(b), S_OK);
    ASSERT_EQ(pe.Sections().size(), 2u);
    EXPECT_TRUE(pe.Sections()[1].NameIs(".rsrc"));
    EXPECT_EQ(pe.Sections()[1].pointerToRawData, 0x400u);
    EXPECT_EQ(b.U32(0x40 + 248 + 40 + 12), 0x2000u) << "its RVA, in the header behind the table";
}

TEST(Compiler, ANewResourceSectionNeedsRoomInTheHeaders) {
    // Five section headers fill the table up to the first section's data at 0x200.
    std::vector<TestSection> five;
    for (const char* name : {".a", ".b", ".c", ".d", ".e"})
        five.push_back({name, Bytes(4, 'x')});
    Project full(BuildPe(five));
    WriteFileText(full.dir / "pe.xml", OneResourceManifest());
    WriteFileText(full.dir / "1000001", std::string(16, 'r'));
    WriteFileText(full.dir / "out.dll", "previous build");
    ClearErrorTrail();
    EXPECT_EQ(full.Compile(), E_FAIL);
    EXPECT_NE(TakeErrorTrail().value_or("").find("no room for one more section header"),
              std::string::npos);
    EXPECT_EQ(ReadFileText(full.dir / "out.dll"), "previous build");

    // Bytes behind the section table (bound imports, say) are not overwritten.
    Bytes used = BuildPe({{".text", Bytes(4, 'x')}});
    used[0x40 + 248 + 40 + 4] = 1;
    Project busy(used);
    WriteFileText(busy.dir / "pe.xml", OneResourceManifest());
    WriteFileText(busy.dir / "1000001", std::string(16, 'r'));
    ClearErrorTrail();
    EXPECT_EQ(busy.Compile(), E_FAIL);
    EXPECT_NE(TakeErrorTrail().value_or("").find("the space after the section table is in use"),
              std::string::npos);
}

TEST(CompileProject, CopiesOverTheOriginalOnlyWhenAllowed) {
    Project project(ImageWithRelocations());
    std::string original = project.dir / "elsewhere.dll";
    WriteFileText(original, "the user's file");
    CompileRequest request;
    request.original = original;
    request.executable = project.dir / "out.dll";
    request.manifest = project.dir / "pe.xml";
    request.interactive = true;
    request.trace = nullptr;

    project.prompter.Answer(IDNO);
    CompileOutcome outcome;
    ASSERT_EQ(CompileProject(request, project.prompter, &outcome), S_OK);
    EXPECT_FALSE(outcome.copied);
    EXPECT_EQ(ReadFileText(original), "the user's file");
    const MessageDialog& question = project.prompter.Shown().back();
    EXPECT_EQ(question.buttons[question.defaultButton].result, IDNO);
    EXPECT_NE(question.message.find("Would you like to copy the compiled file:\r\n\r\n--> '" +
                                    outcome.compiledPath + "'"),
              std::string::npos);

    request.interactive = false;
    ASSERT_EQ(CompileProject(request, project.prompter, &outcome), S_OK);
    EXPECT_TRUE(outcome.copied);
    EXPECT_EQ(ReadFileBytes(original), ReadFileBytes(outcome.compiledPath));

    request.original.clear();
    request.interactive = true;
    ASSERT_EQ(CompileProject(request, project.prompter, &outcome), S_OK);
    EXPECT_FALSE(outcome.copied);
    EXPECT_EQ(project.prompter.Shown().back().message,
              "Compilation was successful to:\r\n\r\n'" + outcome.compiledPath + "'");
}
