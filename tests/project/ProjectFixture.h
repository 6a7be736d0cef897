// Small projects and icon files built in memory for the project-model tests.
#pragma once

#include "common/Prompter.h"
#include "common/TestSupport.h"
#include "project/GroupEditor.h"
#include "project/Project.h"
#include "project/ResourceTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum::test {

// The manifest line group of one ID resource with one language leaf.
std::string IdResourceXml(int id, const std::string& file);
// A type entry holding the given XML entries.
std::string TypeXml(const std::string& key, const std::string& value, int named, int ids,
                    const std::string& entries);
// A whole manifest: the root Directory (with the two header entries) around `types`.
std::string ManifestXml(int namedTypes, int idTypes, const std::string& types);
// Icon type 3 and icon-group type 14 entries for the given IDs (group files not written).
std::string IconTypesXml(const std::vector<int>& icons, const std::vector<int>& groups);

// A minimal DIB image: a 40-byte info header for a size x size 4-bit icon and `extra` bytes.
std::vector<std::uint8_t> DibImage(int size, std::size_t extra);
// A PNG signature and IHDR for width x height, then a few bytes.
std::vector<std::uint8_t> PngImage(std::uint32_t width, std::uint32_t height);
// An .ico (or .cur) file of the images; each directory entry claims `claimed` as its size.
std::vector<std::uint8_t> IconFileOf(const std::vector<std::vector<std::uint8_t>>& images,
                                     bool cursor = false, int claimed = 16);

// A project loaded from a manifest text in a scratch folder, with a recording tree, a scripted
// prompter and a group editor on the project.
struct ProjectFixture {
    explicit ProjectFixture(const std::string& manifestText);
    std::string Path(const std::string& name) const { return dir / name; }
    std::string ManifestNow();
    std::vector<std::string> FilesInFolder() const;

    ScratchDir dir;
    ScriptedPrompter prompter;
    RecordingTreeSink tree;
    Project project{prompter, &tree};
    GroupEditor groups{project};
};

} // namespace vellum::test
