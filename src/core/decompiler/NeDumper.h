// Reads and writes 16-bit icon libraries (NE executables that carry only resources): dumps their
// resources with a manifest, extracts one resource or a whole type as files, and rebuilds a
// library from a manifest.
#pragma once

#include "common/ByteView.h"
#include "common/MappedFile.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "common/XmlDocument.h"
#include "formats/IconDirectory.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

class NeDumper {
public:
    explicit NeDumper(Prompter& prompter);

    // Maps the file and reads its resource table. A Win32-derived code when the file cannot be
    // mapped, E_FAIL when it holds no readable NE resource table.
    HRESULT Open(const std::string& sourcePath);

    // Writes every resource beside the manifest (groups raw) and the manifest itself, with its
    // type entries sorted by ID. Resources that lie outside the file are left out.
    HRESULT Dump(const std::string& manifestPath);

    // Writes the resource of that type and ID to `outputPath`: icons and cursors as single-image
    // files, groups raw or (raw false) as complete .ico/.cur files, anything else as found.
    // E_FAIL when there is no such resource.
    HRESULT ExtractOne(unsigned type, unsigned id, const std::string& outputPath, bool raw);

    // The IDs of the resources of a type, in the order of the resource table.
    std::vector<unsigned> ResourceIds(unsigned type) const;
    // The bytes ExtractOne would write for the resource of that type and ID.
    HRESULT ResourceBytes(unsigned type, unsigned id, bool raw, std::vector<std::uint8_t>& out);

    // Extracts every resource of the type to the pattern's drive, folder and base name followed
    // by the ID in five hexadecimal digits and the pattern's extension ("a.ico" -> "a0000a.ico").
    // S_FALSE when the library holds no resource of that type; otherwise the first failure, if
    // any, after trying them all.
    HRESULT ExtractType(unsigned type, const std::string& destinationPattern);

private:
    struct NeResource {
        std::uint16_t type = 0;  // low 15 bits of the type ID
        std::uint16_t id = 0;    // low 15 bits of the resource ID
        std::uint64_t start = 0; // file offset of the data
        std::uint64_t end = 0;   // where the data ends (MeasureResources); may lie past the file
        std::uint64_t tableLength = 0; // rnLength in bytes: whole units, 0 when not given
    };
    struct NeType {
        std::uint16_t type = 0;
        std::size_t first = 0; // index of its first resource
        std::size_t count = 0;
    };

    HRESULT RequireOpen() const;
    HRESULT ReadResourceTable(std::uint64_t tableOffset);
    void MeasureResources();
    const NeResource* Find(unsigned type, unsigned id) const;
    bool IsInside(const NeResource& resource) const;
    bool CheckInside(const NeResource& resource) const;
    ByteView BytesOf(const NeResource& resource) const;

    HRESULT BuildResourceFile(const NeResource& resource, bool raw, std::vector<std::uint8_t>& out);
    IconResource ImageOf(const NeResource& resource, bool cursor);
    std::vector<std::uint8_t> BuildImageFile(const NeResource& resource, bool cursor);
    bool BuildGroupMember(const GroupEntry& groupEntry, const NeResource& group, bool cursor,
                          IconDirImage& member);
    HRESULT BuildGroupFile(const NeResource& group, bool cursor, std::vector<std::uint8_t>& out);
    HRESULT WriteResource(const NeResource& resource, const std::string& path, bool raw);

    HRESULT DumpResources(const std::string& folder, std::string& text);
    HRESULT SaveSortedManifest(const std::string& text, const std::string& manifestPath);

    Prompter& prompter_;
    std::string sourcePath_;
    MappedFile mapping_;
    ByteView file_;
    std::vector<NeResource> resources_; // in table order
    std::vector<NeType> types_;         // in table order
};

} // namespace vellum
