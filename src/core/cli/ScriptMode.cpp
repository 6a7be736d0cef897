#include "cli/ScriptMode.h"

#include "cli/BatchDriver.h"
#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "formats/PeImage.h"
#include "formats/PeResources.h"
#include "formats/ResourceDirectory.h"
#include "operations/ProjectFile.h"
#include "operations/ProjectScript.h"
#include "project/Project.h"
#include "script/ResourceScript.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

namespace vellum {

namespace {

const std::vector<std::uint16_t> kScriptTypes = {rt::kMenu, rt::kDialog, rt::kStringTable,
                                                 rt::kAccelerators, rt::kVersion};

// Every language of every resource of the script types that the manifest lists, with the bytes
// of its file; false when the manifest cannot be loaded.
bool ReadProjectResources(const std::string& manifest, Prompter& prompter,
                          std::vector<PeResource>& out) {
    Project project(prompter);
    if (FAILED(project.Load(manifest)))
        return false;
    for (std::uint16_t type : kScriptTypes) {
        for (XmlNode* resource : project.ResourcesOf(project.FindType(type))) {
            std::string label = Project::Text(resource, "Name");
            NameOrOrdinal name =
                label.empty() ? NameOrOrdinal::Ordinal(std::uint16_t(Project::Int(resource, "ID")))
                              : NameOrOrdinal::Name(Utf8ToUtf16(label));
            for (XmlNode* language : Project::ChildrenOf(resource->firstChild)) {
                std::string path = project.DataFilePath(Project::FileOfLanguage(language));
                std::vector<std::uint8_t> bytes;
                if (!path.empty() && SUCCEEDED(ReadWholeFile(path, bytes)))
                    out.push_back({type, name, std::uint16_t(Project::Int(language, "ID")),
                                   std::move(bytes)});
            }
        }
    }
    std::vector<PeResource> strings = ProjectStringBlocks(project.Folder(), prompter);
    out.insert(out.end(), std::make_move_iterator(strings.begin()),
               std::make_move_iterator(strings.end()));
    return true;
}

// The resources of FILE: a project by its folder, manifest or project file, else an executable.
bool ReadScriptResources(const std::string& file, Prompter& prompter,
                         std::vector<PeResource>& out) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return ReadProjectResources(JoinPath(file, "pe.xml"), prompter, out);
    if (HasExtension(file, ".xml"))
        return ReadProjectResources(file, prompter, out);
    if (HasExtension(file, ".vellum")) {
        ProjectFile project;
        if (FAILED(project.Load(file)))
            return false;
        PathParts parts = SplitPath(file);
        return ReadProjectResources(JoinPath(parts.drive + parts.dir, project.manifest), prompter,
                                    out);
    }
    std::vector<std::uint8_t> bytes;
    PeImage pe;
    if (FAILED(ReadWholeFile(file, bytes)) ||
        FAILED(pe.Parse(ByteView(bytes.data(), bytes.size()))))
        return false;
    out = ReadPeResources(ByteView(bytes.data(), bytes.size()), kScriptTypes);
    return true;
}

const char* KindOf(std::uint16_t type) {
    switch (type) {
    case rt::kMenu:
        return "Menu";
    case rt::kDialog:
        return "Dialog";
    case rt::kStringTable:
        return "StringTable";
    case rt::kAccelerators:
        return "Accelerators";
    default:
        return "Version";
    }
}

std::string NameText(const NameOrOrdinal& name) {
    return name.ordinal ? std::to_string(*name.ordinal) : Utf16ToUtf8(name.name);
}

// The scripts being made: one per resource, and one per language for the string blocks, which
// the user knows as one string table. File names stay unique without regard to case.
class ScriptFiles {
public:
    // The script a resource goes into.
    ResourceScript& For(const PeResource& r) {
        std::string base = r.type == rt::kStringTable
                               ? Format("StringTable_%u", unsigned(r.language))
                               : Format("%s_%s_%u", KindOf(r.type), NameText(r.name).c_str(),
                                        unsigned(r.language));
        if (r.type == rt::kStringTable) {
            auto table = stringTables_.find(r.language);
            if (table != stringTables_.end())
                return scripts_[table->second].second;
        }
        std::string name = UniqueName(MakeSafeFileName(base));
        if (r.type == rt::kStringTable)
            stringTables_[r.language] = scripts_.size();
        return scripts_.emplace_back(name, ResourceScript()).second;
    }

    // Writes every script and resources.rc; the count written, or -1 after a failure.
    int Write(const std::string& folder) const {
        std::string all = ResourceScript().Text();
        for (const auto& [name, script] : scripts_) {
            if (!WriteOne(JoinPath(folder, name), script.Text()))
                return -1;
            all += "#include \"" + name + "\"\n";
        }
        return WriteOne(JoinPath(folder, "resources.rc"), all) ? int(scripts_.size()) : -1;
    }

private:
    std::string UniqueName(const std::string& base) {
        std::string name = base + ".rc";
        // The kind in front keeps every name apart from resources.rc.
        for (int n = 2; !used_.insert(ToUpperAscii(name)).second; ++n)
            name = base + "_" + std::to_string(n) + ".rc";
        return name;
    }

    static bool WriteOne(const std::string& path, const std::string& text) {
        HRESULT hr = ReplaceFileContents(path, text.data(), text.size());
        if (FAILED(hr))
            ReportError(trail::kVellum, __LINE__, hr, "Failed to write %s", path.c_str());
        return SUCCEEDED(hr);
    }

    std::vector<std::pair<std::string, ResourceScript>> scripts_;
    std::map<std::uint16_t, std::size_t> stringTables_;
    std::set<std::string> used_;
};

} // namespace

int RunScript(const CommandLine& info, Prompter& prompter, const std::string& dataFolder) {
    if (info.fileName.empty())
        return UsageError("Script needs the executable or project to read.");
    if (info.outputPath.empty())
        return UsageError("Script needs the folder for the scripts: -Output:FOLDER.");
    const std::string& folder = info.outputPath;
    std::error_code ec;
    if (std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec)) {
        std::fprintf(stderr, "vellum: %s is a file, not a folder; nothing was written.\n",
                     folder.c_str());
        return kExitFailure;
    }
    std::vector<PeResource> resources;
    if (!ReadScriptResources(info.fileName, prompter, resources)) {
        std::fprintf(stderr, "vellum: %s could not be read.\n", info.fileName.c_str());
        PrintErrorTrail(dataFolder, "Script " + info.fileName);
        return kExitFailure;
    }
    ScriptFiles files;
    int refused = 0;
    for (const PeResource& r : resources) {
        ResourceScript scratch;
        // Parsed once into a scratch script, so a refused resource leaves no empty file behind.
        if (!scratch.AddResource(r.type, r.name, r.language,
                                 ByteView(r.bytes.data(), r.bytes.size()))) {
            std::fprintf(stderr, "vellum: %s %s (language %u) cannot be written as script.\n",
                         KindOf(r.type), NameText(r.name).c_str(), unsigned(r.language));
            ++refused;
            continue;
        }
        files.For(r).AddResource(r.type, r.name, r.language,
                                 ByteView(r.bytes.data(), r.bytes.size()));
    }
    int written = -1;
    if (FAILED(CreateFolders(folder)) || (written = files.Write(folder)) < 0) {
        PrintErrorTrail(dataFolder, "Script " + info.fileName);
        return kExitFailure;
    }
    std::printf("Wrote %d script(s) and resources.rc to %s.\n", written, folder.c_str());
    return refused ? kExitFailure : kExitSuccess;
}

} // namespace vellum
