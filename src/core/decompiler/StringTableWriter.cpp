#include "decompiler/StringTableWriter.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/XmlDocument.h"

namespace vellum {

namespace {

// The document a new STRINGS.XML starts from.
constexpr char kEmptyDocument[] =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n<ROOT>\r\n</ROOT>\r\n";

std::int32_t IdOf(const XmlNode* entry) {
    return xml::AttributeInt(entry, "ID").value_or(0);
}

} // namespace

StringTableWriter::StringTableWriter(std::string projectFolder)
    : folder_(WithTrailingSeparator(projectFolder)) {}

StringTableWriter::~StringTableWriter() = default;

std::string StringTableWriter::Path() const {
    return folder_ + "STRINGS.XML";
}

HRESULT StringTableWriter::Open() {
    auto document = std::make_unique<XmlDocument>();
    HRESULT hr = document->LoadBuffer(reinterpret_cast<const std::uint8_t*>(kEmptyDocument),
                                      sizeof kEmptyDocument - 1);
    if (FAILED(hr))
        return hr;
    document_ = std::move(document);
    return S_OK;
}

StringTableWriter::Table& StringTableWriter::TableFor(unsigned language) {
    auto found = tables_.find(language);
    if (found != tables_.end())
        return found->second;
    XmlNode* root = document_->Find("/ROOT");
    XmlNode* table = document_->InsertElement(root, nullptr, "TABLE");
    document_->SetAttribute("LANG", std::to_string(language));
    return tables_[language] = Table{table, nullptr};
}

// Entries stay in ascending ID order: a new one goes after the last entry whose ID is below its
// own. Blocks arrive mostly in order, so the search runs from the end.
void StringTableWriter::InsertEntry(Table& table, std::int32_t id) {
    XmlNode* after = table.last;
    while (after && IdOf(after) >= id)
        after = after->prev;
    XmlNode* entry = document_->InsertElementAfter(table.node, after, "E");
    if (after == table.last)
        table.last = entry;
}

HRESULT StringTableWriter::WriteBlock(ByteView block, unsigned language, unsigned firstStringId) {
    if (!document_) {
        HRESULT hr = Open();
        if (FAILED(hr))
            return hr;
    }
    Table& table = TableFor(language);
    unsigned codePage = CodePageOfLanguage(language);
    std::uint64_t pos = 0;
    for (unsigned n = 0; n < 16 && block.Has(pos, 2); ++n) {
        std::uint16_t units = block.U16(pos);
        ByteView chars = block.Sub(pos + 2, std::uint64_t(units) * 2);
        if (chars.Size() != std::size_t(units) * 2)
            chars = block.From(pos + 2);
        pos += 2 + std::uint64_t(units) * 2;
        if (units == 0)
            continue;
        std::int32_t id = std::int32_t(firstStringId + n);
        std::string text =
            Utf16ToCodePage(Utf16FromLittleEndian(chars.Data(), chars.Size() / 2), codePage);
        InsertEntry(table, id);
        document_->SetAttribute("ID", std::to_string(id));
        document_->SetAttribute("S", text);
    }
    return S_OK;
}

HRESULT StringTableWriter::Save() {
    if (!document_)
        return S_OK;
    return document_->Save(Path());
}

} // namespace vellum
