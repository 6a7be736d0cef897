// Finding what a dialog names among the project's resources.
#include "views/DialogResources.h"

#include "common/CodePage.h"
#include "common/FileIo.h"
#include "common/Strings.h"
#include "formats/IconDirectory.h"
#include "views/TemplatePane.h"

#include <QImage>
#include <cstdlib>

namespace vellum::gui {

namespace {

XmlNode* FindResource(Project& project, int type, const NameOrOrdinal& name) {
    for (XmlNode* entry : project.ResourcesOf(project.FindType(type))) {
        std::u16string own = EntryResourceName(entry);
        bool match = name.IsOrdinal()
                         ? own.empty() && Project::Int(entry, "ID", -1) == int(*name.ordinal)
                         : EqualsNoCase(Utf16ToUtf8(own), Utf16ToUtf8(name.name));
        if (match)
            return entry;
    }
    return nullptr;
}

std::string FileOfResource(Project& project, int type, const NameOrOrdinal& name) {
    XmlNode* entry = FindResource(project, type, name);
    return entry ? project.DataFilePath(Project::FileOf(entry)) : std::string();
}

QPixmap Decode(const std::string& path) {
    QImage image;
    if (path.empty() || !image.load(QString::fromStdString(path)))
        return {};
    return QPixmap::fromImage(image);
}

// The group member whose width is closest to `size`, the deeper colour on a tie.
std::uint16_t ClosestMember(const GroupDirectory& group, int size) {
    const GroupEntry* best = nullptr;
    auto width = [](const GroupEntry& e) { return e.width == 0 ? 256 : int(e.width); };
    for (const GroupEntry& e : group.entries) {
        int distance = std::abs(width(e) - size);
        int bestDistance = best ? std::abs(width(*best) - size) : 0;
        if (!best || distance < bestDistance ||
            (distance == bestDistance && e.bitCount > best->bitCount))
            best = &e;
    }
    return best ? best->id : 0;
}

constexpr int kResourceMenu = 4; // RT_MENU

// The size Windows loads an icon at for an SS_ICON static (SM_CXICON).
constexpr int kIconSize = 32;

} // namespace

DialogResources ProjectDialogResources(Project* project) {
    if (!project)
        return {};
    return {[project](const NameOrOrdinal& name, bool icon) {
                return icon ? ProjectIcon(*project, name, kIconSize)
                            : ProjectBitmap(*project, name);
            },
            [project](const NameOrOrdinal& name) { return ProjectMenu(*project, name); }};
}

QPixmap ProjectIcon(Project& project, const NameOrOrdinal& name, int size) {
    std::string groupPath = FileOfResource(project, kResourceIconGroup, name);
    std::vector<std::uint8_t> bytes;
    if (groupPath.empty() || FAILED(ReadWholeFile(groupPath, bytes)))
        return Decode(FileOfResource(project, kResourceIcon, name));
    GroupDirectory group = GroupDirectory::Read(ByteView(bytes.data(), bytes.size()), false);
    if (group.entries.empty())
        return {};
    NameOrOrdinal member = NameOrOrdinal::Ordinal(ClosestMember(group, size));
    QPixmap icon = Decode(FileOfResource(project, kResourceIcon, member));
    if (!icon.isNull() && icon.width() != size)
        icon = icon.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return icon;
}

QPixmap ProjectBitmap(Project& project, const NameOrOrdinal& name) {
    return Decode(FileOfResource(project, kResourceBitmap, name));
}

std::optional<MenuTemplate> ProjectMenu(Project& project, const NameOrOrdinal& name) {
    std::string path = FileOfResource(project, kResourceMenu, name);
    std::vector<std::uint8_t> bytes;
    if (path.empty() || FAILED(ReadWholeFile(path, bytes)))
        return std::nullopt;
    return MenuTemplate::Parse(ByteView(bytes.data(), bytes.size()));
}

} // namespace vellum::gui
