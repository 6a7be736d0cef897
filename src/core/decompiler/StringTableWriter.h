// Writes string-table resources into STRINGS.XML, one TABLE per language and one E element per
// string, each string in its language's ANSI code page.
//
// A string-table resource (a "block") holds 16 strings, each a u16 length and that many UTF-16
// code units; string n of block b has the ID (b - 1) * 16 + n.
#pragma once

#include "common/ByteView.h"
#include "common/Result.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace vellum {

class XmlDocument;
struct XmlNode;

class StringTableWriter {
public:
    explicit StringTableWriter(std::string projectFolder);
    ~StringTableWriter();

    // Adds the non-empty strings of one block. The file is created on the first call.
    HRESULT WriteBlock(ByteView block, unsigned language, unsigned firstStringId);
    // Saves the document when any block was written.
    HRESULT Save();
    bool Opened() const { return document_ != nullptr; }
    std::string Path() const;

private:
    struct Table {
        XmlNode* node;
        XmlNode* last; // its last E element
    };

    HRESULT Open();
    Table& TableFor(unsigned language);
    void InsertEntry(Table& table, std::int32_t id);

    std::string folder_;
    std::unique_ptr<XmlDocument> document_;
    std::map<unsigned, Table> tables_;
};

} // namespace vellum
