// Builds the bytes of a .rsrc section from the manifest pe.xml and the resource files.
//
// The layout is depth-first and interleaved: each directory is followed by its entries, its name
// strings and then its children's complete subtrees in order; each data entry is followed by its
// data. Nothing is sorted or aligned.
//
//   IMAGE_RESOURCE_DIRECTORY        16 bytes: 0, 0, 0, 0, u16 named count, u16 ID count
//   IMAGE_RESOURCE_DIRECTORY_ENTRY   8 bytes: name (0x80000000 | string offset, or the ID),
//                                    offset (0x80000000 | subdirectory offset, or data entry)
//   name string                      u16 length, UTF-16 characters, no terminator
//   IMAGE_RESOURCE_DATA_ENTRY       16 bytes: RVA of the data, size, code page 0, 0
#pragma once

#include "common/ByteView.h"
#include "common/Prompter.h"
#include "common/Result.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vellum {

class XmlDocument;
struct XmlNode;

class ResourceSectionBuilder {
public:
    // `trace` receives the builder's trace line (null for none).
    ResourceSectionBuilder(std::string projectFolder, Prompter& prompter, std::FILE* trace);
    ~ResourceSectionBuilder();

    // The complete section for the manifest's root "/Directory", placed at `sectionRva`. Every
    // file is read once; a file that cannot be opened is reported and its entry gets no data.
    std::vector<std::uint8_t> Build(const XmlDocument& manifest, std::uint32_t sectionRva);
    // The same, appended to `out`.
    void BuildInto(const XmlDocument& manifest, std::uint32_t sectionRva,
                   std::vector<std::uint8_t>& out);

    // True when the manifest's root lists a resource type that goes into the section (the
    // header entries marked Ignore do not).
    static bool HasResourceTypes(const XmlDocument& manifest);

    // True when a data file could not be opened.
    bool MissingFiles() const { return missingFiles_; }

    struct Node;

private:
    Node ReadRoot(const XmlNode* root);
    Node ReadEntry(const XmlNode* entry, std::uint32_t type);
    void ReadDirectory(const XmlNode* owner, std::uint32_t type, Node& node);
    void ReadData(const XmlNode* entry, std::uint32_t type, Node& node);
    ByteView LoadFile(const std::string& name);
    ByteView LoadPngAsBitmap(const std::string& pngName);
    void ReportMissing(const std::string& path);

    std::uint32_t Layout(Node& node, std::uint32_t offset);
    void Emit(const Node& node, std::vector<std::uint8_t>& out) const;

    std::string folder_;
    Prompter& prompter_;
    std::FILE* trace_;
    std::uint32_t sectionRva_ = 0;
    bool missingFiles_ = false;
    std::size_t base_ = 0;                         // where the section starts in the output buffer
    std::vector<std::vector<std::uint8_t>> files_; // the resource files' bytes
};

} // namespace vellum
