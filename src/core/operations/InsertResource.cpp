// The Insert New Resource checks, the bitmap-to-icon conversion and the add.
#include "operations/InsertResource.h"

#include "common/ErrorBox.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "imaging/ImageCodecs.h"
#include "project/AddResource.h"
#include "project/GroupEditor.h"

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vellum {

namespace {

namespace fs = std::filesystem;

struct FittingEndings {
    std::string_view label;
    std::array<std::string_view, 2> endings;
};

// The endings (last three characters of the file name) each type label expects.
constexpr std::array<FittingEndings, 9> kFittingEndings{{
    {"Cursor", {"CUR", ""}},
    {"Bitmap", {"BMP", "PNG"}},
    {"Menu", {".RC", ""}},
    {"String", {".RC", ""}},
    {"Accelerator", {".RC", ""}},
    {"Dialog", {"DLG", ".RC"}},
    {"Font", {"FNT", ""}},
    {"Font Directory", {"FNT", ""}},
    {"Message Table", {".MC", ""}},
}};

bool IsIconLabel(std::string_view label) {
    return EqualsNoCase(label, "Icon") || EqualsNoCase(label, "Icon Group");
}

void Refuse(Prompter& prompter, const std::string& text, const char* caption) {
    prompter.Ask(text, caption, MB_OK | MB_ICONERROR);
}

// Counts the dialogs a call shows, so that a failure already explained is not explained twice.
class CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& inner) : inner_(inner) {}
    int Show(const MessageDialog& dialog) override {
        ++shown_;
        return inner_.Show(dialog);
    }
    int Shown() const { return shown_; }

private:
    Prompter& inner_;
    int shown_ = 0;
};

// A path in `folder` for stem + ext that no file uses yet.
std::string FreePath(const std::string& folder, const std::string& stem, const char* ext) {
    std::error_code ec;
    std::string path = JoinPath(folder, MakeSafeFileName(stem + ext));
    for (int n = 2; fs::exists(path, ec); ++n)
        path = JoinPath(folder, MakeSafeFileName(Format("%s (%d)%s", stem.c_str(), n, ext)));
    return path;
}

// The working files of one insert, removed when it is over, and a visual-style folder made for
// it, removed again (when still empty) unless the resource was added.
class InsertScratch {
public:
    InsertScratch() = default;
    InsertScratch(const InsertScratch&) = delete;
    InsertScratch& operator=(const InsertScratch&) = delete;
    ~InsertScratch() {
        std::error_code ignored;
        for (const std::string& file : files_)
            fs::remove(file, ignored);
        if (!kept_ && !createdFolder_.empty())
            fs::remove(createdFolder_, ignored);
    }
    void AddFile(const std::string& path) { files_.push_back(path); }
    void SetCreatedFolder(const std::string& folder) { createdFolder_ = folder; }
    void Keep() { kept_ = true; }

private:
    std::vector<std::string> files_;
    std::string createdFolder_;
    bool kept_ = false;
};

class InsertFlow {
public:
    InsertFlow(Project& project, const InsertContext& context, Prompter& prompter)
        : project_(project), context_(context), prompter_(prompter) {}

    bool Run(const InsertFields& fields);

private:
    bool CheckFileAndType(const InsertFields& fields);
    bool PrepareStyleFolder(const ResourceToAdd& request);
    bool CheckExisting(ResourceToAdd& request);
    bool CheckExtension(ResourceToAdd& request);
    bool ConvertToIcon(ResourceToAdd& request);
    bool CheckName(const ResourceToAdd& request);
    bool Add(ResourceToAdd request, const InsertFields& fields);

    Project& project_;
    const InsertContext& context_;
    Prompter& prompter_;
    InsertScratch scratch_;
    bool addToExisting_ = false;
};

bool InsertFlow::Run(const InsertFields& fields) {
    if (!CheckFileAndType(fields))
        return false;
    ResourceToAdd request = ClassifyResource(fields.file, fields.name, fields.typeLabel,
                                             fields.languageText, {}, context_.visualStyle);
    return PrepareStyleFolder(request) && CheckExisting(request) && CheckExtension(request) &&
           CheckName(request) && Add(request, fields);
}

bool InsertFlow::CheckFileAndType(const InsertFields& fields) {
    std::error_code ec;
    if (!fs::is_regular_file(fields.file, ec)) {
        Refuse(prompter_, Format("The file \"%s\" does not exist.\n", fields.file.c_str()),
               "File Not Found");
        return false;
    }
    if (fields.typeLabel.empty()) {
        Refuse(prompter_, "You must either choose or specify a resource type.",
               "Please Specify Resource Type");
        return false;
    }
    return true;
}

// A visual style keeps NAME_REST in the folder NAME; the folder is made now, as the add's first
// change, and goes again when the add does not happen.
bool InsertFlow::PrepareStyleFolder(const ResourceToAdd& request) {
    std::size_t cut = request.name.rfind('_');
    if (!context_.visualStyle || request.groupLogic || cut == std::string::npos || cut == 0)
        return true;
    std::optional<std::string> folder =
        ResolveInFolder(project_.Folder(), MakeSafeFileName(request.name.substr(0, cut)));
    std::error_code ec;
    if (folder && fs::is_directory(*folder, ec))
        return true;
    if (!folder || fs::exists(*folder, ec) || FAILED(CreateFolders(*folder))) {
        Refuse(prompter_, "Failed to create sub directory.", "Directory Create Fail");
        return false;
    }
    scratch_.SetCreatedFolder(*folder);
    return true;
}

bool InsertFlow::CheckExisting(ResourceToAdd& request) {
    const std::string& file = request.sourcePath;
    bool iconFile =
        HasExtension(file, ".ico") || HasExtension(file, ".bmp") || HasExtension(file, ".png");
    if (IsIconLabel(request.typeLabel) && iconFile) {
        std::string groupFile = MakeSafeFileName(request.name + "_ICO");
        if (GroupEditor(project_).HasGroupFile(kResourceIconGroup, groupFile))
            addToExisting_ = prompter_.Ask(Format("An icon already exists with the name\n\n%s\n\n"
                                                  "Would you like to add this icon to that icon?",
                                                  request.name.c_str()),
                                           "Overwrite File?", MB_YESNO | MB_ICONERROR) == IDYES;
        return true;
    }
    if (request.groupLogic)
        return true;
    std::string target = CopyTargetOf(project_, request);
    std::error_code ec;
    if (target.empty() || !fs::exists(target, ec))
        return true;
    request.overwrite =
        prompter_.Ask(Format("The file \n\n%s\n\nalready exists.\n\nOverWrite?", target.c_str()),
                      "Overwrite File?", MB_YESNO | MB_ICONERROR) == IDYES;
    return request.overwrite;
}

bool InsertFlow::CheckExtension(ResourceToAdd& request) {
    switch (FitOfExtension(request.typeLabel, request.sourcePath)) {
    case ExtensionFit::Fits:
        return true;
    case ExtensionFit::Mismatch:
        return prompter_.Ask("The file extension does not match the category you have choosen. "
                             "Continue?\n",
                             "Continue?", MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDYES;
    case ExtensionFit::ConvertToIcon:
        break;
    }
    std::string question = Format("Would you like to convert the bitmap\n\n%s\n\n to an icon?\n\n",
                                  request.sourcePath.c_str());
    return prompter_.Ask(question, "Convert Bitmap", MB_YESNO | MB_ICONERROR) == IDYES &&
           ConvertToIcon(request);
}

// The bitmap (a PNG decoded first) gets a working copy in the scratch folder, which is turned
// into a one-image icon file there; the add goes on with that icon.
bool InsertFlow::ConvertToIcon(ResourceToAdd& request) {
    std::vector<std::uint8_t> bytes;
    bool read = SUCCEEDED(ReadWholeFile(request.sourcePath, bytes));
    if (read && request.png) {
        std::optional<std::vector<std::uint8_t>> bmp = PngToBmpBytes(ByteView(bytes));
        read = bmp.has_value();
        bytes = bmp.value_or(std::vector<std::uint8_t>());
    }
    std::string title = SplitPath(request.sourcePath).fname;
    std::string copy = FreePath(context_.scratchFolder, "CONVERT-" + title, ".bmp");
    std::string icon = FreePath(context_.scratchFolder, "CONVERT-" + title, ".ico");
    CountingPrompter counting(prompter_);
    bool converted = read && SUCCEEDED(CreateFolders(context_.scratchFolder)) &&
                     SUCCEEDED(ReplaceFileContents(copy, bytes.data(), bytes.size()));
    if (converted)
        scratch_.AddFile(copy);
    converted = converted && BitmapToIcon(ByteView(bytes), icon, counting);
    if (converted) {
        scratch_.AddFile(icon);
        request.sourcePath = icon;
        request.png = false;
    } else if (counting.Shown() == 0) {
        Refuse(prompter_,
               Format("The bitmap\n\n%s\n\ncould not be converted to an icon. Icons are made from "
                      "uncompressed bitmaps and PNG images of at most 256 by 256 pixels.",
                      request.sourcePath.c_str()),
               "Convert Bitmap");
    }
    return converted;
}

bool InsertFlow::CheckName(const ResourceToAdd& request) {
    if (request.name.empty()) {
        Refuse(prompter_, "A resource name must be entered before continuing.\n",
               "No Resource name specified");
        return false;
    }
    if (!addToExisting_ && IsNameTaken(project_, request)) {
        Refuse(prompter_, "A resource with that name already exists in that category.\n",
               "Duplicate Resource Name");
        return false;
    }
    return true;
}

bool InsertFlow::Add(ResourceToAdd request, const InsertFields& fields) {
    if (EqualsNoCase(request.typeLabel, "Icon"))
        request.typeLabel = "Icon Group";
    else if (EqualsNoCase(request.typeLabel, "Cursor"))
        request.typeLabel = "Cursor Group";
    request.type = TypeOfAddLabel(request.typeLabel);
    ClearErrorTrail();
    HRESULT hr = addToExisting_
                     ? GroupEditor(project_).AddImageToGroup(fields.name, request.sourcePath, false)
                     : AddResource(project_, request);
    if (FAILED(hr)) {
        ErrorBox().Show(prompter_, MB_OK | MB_ICONHAND);
        return false;
    }
    scratch_.Keep();
    return true;
}

} // namespace

ExtensionFit FitOfExtension(std::string_view typeLabel, std::string_view fileName) {
    std::string ending =
        ToUpperAscii(fileName.substr(fileName.size() - std::min<std::size_t>(3, fileName.size())));
    if (IsIconLabel(typeLabel)) {
        if (ending == "ICO")
            return ExtensionFit::Fits;
        return ending == "BMP" || ending == "PNG" ? ExtensionFit::ConvertToIcon
                                                  : ExtensionFit::Mismatch;
    }
    for (const FittingEndings& known : kFittingEndings)
        if (EqualsNoCase(typeLabel, known.label))
            return ending == known.endings[0] || ending == known.endings[1]
                       ? ExtensionFit::Fits
                       : ExtensionFit::Mismatch;
    return ExtensionFit::Fits;
}

bool InsertNewResource(Project& project, const InsertFields& fields, const InsertContext& context,
                       Prompter& prompter) {
    return InsertFlow(project, context, prompter).Run(fields);
}

} // namespace vellum
