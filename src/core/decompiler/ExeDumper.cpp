// Turning a PE image into a project folder: the header and section files here, and the walk of
// the resource directory that writes the manifest's Directory and Entry lines and hands each
// resource to the ResourceFileWriter.
#include "decompiler/ExeDumper.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "decompiler/HeaderTables.h"
#include "decompiler/ResourceFileWriter.h"
#include "decompiler/TextDumps.h"
#include "formats/ManifestText.h"
#include "formats/ResourceDirectory.h"

#include <algorithm>
#include <set>
#include <vector>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kExeDumper;
constexpr int kLanguageLevel = 3;

// Where the walk stands at an entry of the resource directory. A directory hands a copy of its
// own to its entries, which run through it in order: what an entry names stays in force for the
// entries after it until one of them names anew. So a named language entry names the languages
// after it too, a named string-table block takes the IDs of the block before it, and a named type
// follows the naming rules of the type before it; manifests have always been written so. Nothing
// an entry's subdirectory decides comes back up.
struct EntryContext {
    int level = 0; // of the entry: 1 type, 2 name or ID, 3 language; 0 at the root
    // The type's ID. A named type keeps its name field, high bit and all, so that it matches no
    // type number.
    std::uint32_t type = 0;
    std::string typeName;   // the type's name as the manifest writes it, or its ID in decimal
    std::string outputName; // the name the resource's file is written under
    bool stripExt = false;
    unsigned firstStringId = 0; // of a string-table block
};

std::string Indent(int level) {
    return std::string(std::size_t(level) * 5, ' ');
}

// The walk of the resource directory, depth- and loop-limited: no subdirectory below the
// language level, no directory reached twice.
//
// Directory lines end in LF alone, Entry and File lines in CR LF. Manifests have always been
// written so; XML readers take both, but tools that compare or patch manifests by their bytes
// (and the golden tests) rely on exactly these endings.
class ResourceTreeDump {
public:
    ResourceTreeDump(ByteView file, ByteView section, std::int64_t rvaToFile,
                     ResourceFileWriter& writer)
        : file_(file), tree_(section), rvaToFile_(rvaToFile), writer_(writer) {}

    HRESULT Run() { return DumpDirectory(0, EntryContext(), 0); }

private:
    HRESULT DumpDirectory(std::uint32_t offset, EntryContext context, std::uint32_t nameField);
    std::string DirectoryLine(const ResourceDirectoryTable& table, EntryContext& context,
                              std::uint32_t nameField) const;
    HRESULT DumpEntry(ResourceDirectoryEntry entry, EntryContext& context);
    void NameById(std::uint32_t id, EntryContext& context) const;
    HRESULT DumpLeaf(std::uint32_t dataEntry, const EntryContext& context, unsigned language);
    std::string ReadName(std::uint32_t offset) const;
    void NoteFailure(std::uint32_t type, const std::string& name);

    ByteView file_;
    ResourceDirectory tree_;
    std::int64_t rvaToFile_ = 0; // file offset = RVA + rvaToFile_
    ResourceFileWriter& writer_;
    std::set<std::uint32_t> visited_;
    // The resource whose dump failed first; every level's error record names it.
    bool failed_ = false;
    std::uint32_t failedType_ = 0;
    std::string failedName_;
};

} // namespace

ExeDumper::ExeDumper(Prompter& prompter) : prompter_(prompter) {}
ExeDumper::~ExeDumper() = default;

HRESULT ExeDumper::DumpExe(ByteView image, const std::string& folder,
                           const std::string& manifestName) {
    file_ = image;
    folder_ = WithTrailingSeparator(folder);
    writer_ = std::make_unique<ResourceFileWriter>(folder_, manifestName, options, prompter_,
                                                   diagnostics_);
    for (const char* reserved : {"DOSHEADER.BIN", "NTHEADER.BIN", "DOSHEADER.HDR", "NTHEADER.HDR",
                                 "STRINGS.XML", "OVERLAY.BIN", "VELLUM.MODIFIED"})
        writer_->Reserve(reserved);

    HRESULT hr = WriteHeaderFiles();
    if (FAILED(hr))
        return hr;
    hr = DumpResourceSection();
    HRESULT converted = writer_->FinishPngConversions();
    if (FAILED(hr))
        return hr;
    if (FAILED(converted))
        return converted;
    hr = writer_->SaveStrings();
    if (FAILED(hr))
        return hr;
    bool text = textOut_ && !IsNullDevice(textOut_);
    if (text && options.dumpSymbols && image_.NumberOfSymbols() && image_.PointerToSymbolTable())
        DumpSymbolTable(image_, textOut_);
    if (text && options.dumpSections)
        DumpSectionHex(image_, textOut_);
    return writer_->FlushManifest();
}

// ---- header and section files ------------------------------------------------------------

HRESULT ExeDumper::WriteProjectFile(const std::string& name, const void* data, std::size_t size) {
    HRESULT hr = WriteWholeFile(folder_ + name, data, size);
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed writing to file %s\n", (folder_ + name).c_str());
    return hr;
}

HRESULT ExeDumper::WriteHeaderFiles() {
    std::string dosTable = ToCrLf(DosHeaderTable(file_));
    HRESULT hr = WriteProjectFile("DosHeader.hdr", dosTable.data(), dosTable.size());
    if (FAILED(hr))
        return hr;
    if (options.writeDosHeader) {
        ByteView stub =
            file_.Sub(0, std::min<std::uint64_t>(file_.U32(dos::kNewHeader), file_.Size()));
        hr = WriteProjectFile("DOSHEADER.BIN", stub.Data(), stub.Size());
        if (FAILED(hr))
            return hr;
    }
    if (FAILED(image_.Parse(file_))) {
        std::uint32_t nt = file_.U32(dos::kNewHeader);
        bool ne = file_.U8(nt) == 'N' && file_.U8(nt + 1) == 'E' && file_.Has(nt, 2);
        ReportError(kModule, __LINE__, E_FAIL, "%s",
                    ne ? "File is 16 bit OS2 NE Format.  This format is not currently handled.\n"
                       : "Unhandled Win32 Portable EXE type, or invalid .EXE\n");
        return E_FAIL;
    }
    std::string ntTable = ToCrLf(NtHeaderTable(image_));
    hr = WriteProjectFile("NTHeader.hdr", ntTable.data(), ntTable.size());
    if (SUCCEEDED(hr) && options.writeNtHeader)
        hr = WriteNtFiles();
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed while dumping NT Header\n");
        return hr;
    }
    return WriteOverlay();
}

HRESULT ExeDumper::WriteNtFiles() {
    // The headers run to SizeOfHeaders; a file that claims less still keeps its section table.
    std::uint64_t tableEnd =
        image_.SectionTableOffset() + std::uint64_t(image_.Sections().size()) * kSectionHeaderSize;
    std::uint64_t end = std::min<std::uint64_t>(
        std::max<std::uint64_t>(image_.SizeOfHeaders(), tableEnd), file_.Size());
    ByteView headers = file_.Sub(image_.NtOffset(), end - image_.NtOffset());
    HRESULT hr = WriteProjectFile("NTHEADER.BIN", headers.Data(), headers.Size());
    const std::vector<SectionHeader>& sections = image_.Sections();
    std::vector<std::string> names = SectionFileNames(sections);
    for (std::size_t i = 0; i < sections.size() && SUCCEEDED(hr); ++i) {
        const SectionHeader& section = sections[i];
        if (section.NameIs(".rsrc"))
            continue;
        const std::string& name = names[i];
        writer_->Reserve(name);
        ByteView raw = file_.From(section.pointerToRawData);
        raw = raw.Sub(0, std::min<std::uint64_t>(section.sizeOfRawData, raw.Size()));
        hr = WriteProjectFile(name, raw.Data(), raw.Size());
    }
    return hr;
}

// Bytes behind the last section (a symbol table, an installer's payload) are kept so that the
// compiler can append them again. A certificate table is left out: any change to the image
// invalidates the signature it holds.
HRESULT ExeDumper::WriteOverlay() {
    std::uint64_t start = image_.EndOfSectionData();
    if (start >= file_.Size())
        return S_OK;
    std::vector<std::uint8_t> overlay(file_.Data() + start, file_.Data() + file_.Size());
    if (auto cert = image_.DataDirectory(kSecurityDirectory); cert && cert->second) {
        std::uint64_t certStart = std::max<std::uint64_t>(cert->first, start);
        std::uint64_t certEnd =
            std::min<std::uint64_t>(std::uint64_t(cert->first) + cert->second, file_.Size());
        if (certStart < certEnd)
            overlay.erase(overlay.begin() + std::ptrdiff_t(certStart - start),
                          overlay.begin() + std::ptrdiff_t(certEnd - start));
    }
    if (overlay.empty())
        return S_OK;
    return WriteProjectFile("OVERLAY.BIN", overlay.data(), overlay.size());
}

// ---- the resource directory tree ---------------------------------------------------------

HRESULT ExeDumper::DumpResourceSection() {
    const SectionHeader* section = image_.FindSection(".rsrc");
    if (!section && !HasResourceDirectory())
        return DumpEmptyTree();
    if (!section) {
        ReportError(kModule, __LINE__, E_FAIL, "There is no resource section in the file.");
        return E_FAIL;
    }
    ByteView raw = file_.From(section->pointerToRawData);
    ByteView rsrc = raw.Sub(0, std::min<std::uint64_t>(section->sizeOfRawData, raw.Size()));
    std::int64_t rvaToFile =
        std::int64_t(section->pointerToRawData) - std::int64_t(section->virtualAddress);
    HRESULT hr = ResourceTreeDump(file_, rsrc, rvaToFile, *writer_).Run();
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed while dumping resource (.rsrc) section\n");
    return hr;
}

bool ExeDumper::HasResourceDirectory() const {
    auto directory = image_.DataDirectory(kResourceDirectory);
    return directory && (directory->first || directory->second);
}

// Many programs are linked without resources. Their project gets a resource tree with only the
// two header entries, so that resources can be added; the compiler then gives the program a
// resource section. Resources that live in a section of another name are not taken apart
// (that file still fails above), since an empty tree would drop them.
HRESULT ExeDumper::DumpEmptyTree() {
    writer_->Manifest("<Directory Type='0' Named_Entries='2' ID_Entries='0'>\n");
    writer_->Manifest(kHeaderEntries);
    writer_->Manifest("</Directory>\n");
    return S_OK;
}

namespace {

// A name string that runs past the end of the section reads as empty.
std::string ResourceTreeDump::ReadName(std::uint32_t offset) const {
    return Utf16ToUtf8(tree_.Name(offset).value_or(std::u16string()));
}

void ResourceTreeDump::NoteFailure(std::uint32_t type, const std::string& name) {
    if (failed_)
        return;
    failed_ = true;
    failedType_ = type;
    failedName_ = name;
}

// `context` is that of the directory's entry; `nameField` that entry's name field (0 for the
// root).
HRESULT ResourceTreeDump::DumpDirectory(std::uint32_t offset, EntryContext context,
                                        std::uint32_t nameField) {
    if (!tree_.HasDirectory(offset)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource directory at offset 0x%x lies outside the resource section\n",
                    offset);
        return E_FAIL;
    }
    if (!visited_.insert(offset).second) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource directory at offset 0x%x is reached a second time\n", offset);
        return E_FAIL;
    }
    std::optional<ResourceDirectoryTable> table = tree_.Directory(offset);
    if (!table) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The entries of the resource directory at offset 0x%x run past the end of the "
                    "section\n",
                    offset);
        return E_FAIL;
    }
    writer_.Manifest(DirectoryLine(*table, context, nameField));
    HRESULT hr = S_OK;
    EntryContext entries = context;
    ++entries.level;
    for (unsigned i = 0; i < table->Count() && SUCCEEDED(hr); ++i)
        hr = DumpEntry(table->Entry(i), entries);
    writer_.Manifest(Indent(context.level) + "</Directory>\n");
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr,
                    "Failed in DumpResourceDirectory for resource type %d with error 0x%.8x\n",
                    int(failedType_), unsigned(hr));
    return hr;
}

// The Directory line; a type directory also gives its entries the type's name. The root's line
// counts the two header entries that follow it.
std::string ResourceTreeDump::DirectoryLine(const ResourceDirectoryTable& table,
                                            EntryContext& context, std::uint32_t nameField) const {
    unsigned named = table.namedEntries, ids = table.idEntries;
    std::string indent = Indent(context.level);
    if (nameField & kResourceHighBit) {
        std::string name =
            ProcessEntryName(ReadName(nameField & kResourceOffsetMask), context.type).name;
        std::string escaped = EscapeManifestText(name);
        if (context.level == 1)
            context.typeName = escaped;
        return indent +
               Format("<Directory Type='0' Name='%s' Named_Entries='%u' ID_Entries='%u'>\n",
                      escaped.c_str(), named, ids);
    }
    if (context.level == 0)
        return Format("<Directory Type='0' Named_Entries='%u' ID_Entries='%u'>\n", named + 2, ids) +
               kHeaderEntries;
    if (context.level == 1)
        context.typeName = std::to_string(nameField);
    return indent + Format("<Directory Type='%u' Named_Entries='%u' ID_Entries='%u'>\n", nameField,
                           named, ids);
}

// An ID entry names the files below it only at the name level: the string-table block's first
// string ID, or the output name made from the type and the ID.
void ResourceTreeDump::NameById(std::uint32_t id, EntryContext& context) const {
    if (context.level != 2)
        return;
    if (context.type == rt::kStringTable) {
        context.firstStringId = (id - 1) * 16;
        return;
    }
    context.outputName = OutputNameForId(context.type, context.typeName, id);
    context.stripExt = false;
}

// `context` arrives as the entries before this one left it; the entry names itself in it and
// passes a copy to its subdirectory.
HRESULT ResourceTreeDump::DumpEntry(ResourceDirectoryEntry entry, EntryContext& context) {
    std::string indent = Indent(context.level);
    bool isDirectory = entry.IsDirectory();
    if (entry.Named()) {
        if (!tree_.HasName(entry.NameOffset())) {
            ReportError(kModule, __LINE__, E_FAIL,
                        "The resource name at offset 0x%x lies outside the resource section\n",
                        entry.NameOffset());
            NoteFailure(context.type, context.outputName);
            return E_FAIL;
        }
        EntryName name = ProcessEntryName(ReadName(entry.NameOffset()), context.type);
        context.outputName = name.fileName;
        context.stripExt = name.stripExt;
        writer_.Manifest(indent + Format("<Entry Name='%s' Directory='%d' StripExt='%d' >\r\n",
                                         EscapeManifestText(name.name).c_str(), isDirectory ? 1 : 0,
                                         name.stripExt ? 1 : 0));
    } else {
        NameById(entry.Id(), context);
        writer_.Manifest(
            indent + Format("<Entry ID='%u' Directory='%d'>\r\n", entry.Id(), isDirectory ? 1 : 0));
    }
    if (context.level == 1 && isDirectory)
        context.type = entry.name;
    HRESULT hr = S_OK;
    if (isDirectory && context.level >= kLanguageLevel) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource directory nests deeper than type, name and language\n");
        hr = E_FAIL;
    } else if (isDirectory) {
        hr = DumpDirectory(entry.Target(), context, entry.name);
    } else if (context.level == kLanguageLevel) {
        hr = DumpLeaf(entry.Target(), context, entry.Named() ? 0 : entry.Id());
    }
    writer_.Manifest(indent + "</Entry>\r\n");
    if (FAILED(hr)) {
        NoteFailure(context.type, context.outputName);
        ReportError(kModule, __LINE__, hr,
                    "Failed in DumpResourceEntry for entry %s with error 0x%.8x\n",
                    failedName_.c_str(), unsigned(hr));
    }
    return hr;
}

HRESULT ResourceTreeDump::DumpLeaf(std::uint32_t dataEntry, const EntryContext& context,
                                   unsigned language) {
    std::optional<ResourceDataEntry> data = tree_.DataEntry(dataEntry);
    if (!data) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The resource data entry at offset 0x%x lies outside the resource section\n",
                    dataEntry);
        return E_FAIL;
    }
    if (data->size == 0)
        return S_OK;
    std::int64_t at = std::int64_t(data->rva) + rvaToFile_;
    if (at < 0 || !file_.Has(std::uint64_t(at), data->size)) {
        ReportError(kModule, __LINE__, E_FAIL,
                    "The data of resource %s (RVA 0x%08x, %u bytes) lies outside the file\n",
                    context.outputName.c_str(), data->rva, data->size);
        return E_FAIL;
    }
    ResourceLeaf leaf;
    leaf.type = context.type;
    // A version resource's file is VERSION, whatever its entry is called.
    leaf.outputName = context.type == rt::kVersion ? std::string_view("VERSION")
                                                   : std::string_view(context.outputName);
    leaf.stripExt = context.stripExt;
    leaf.language = language;
    leaf.firstStringId = context.firstStringId;
    leaf.rva = data->rva;
    leaf.data = file_.Sub(std::uint64_t(at), data->size);
    HRESULT hr = writer_.WriteLeaf(leaf, Indent(context.level));
    if (FAILED(hr))
        NoteFailure(context.type, std::string(leaf.outputName));
    return hr;
}

} // namespace

} // namespace vellum
