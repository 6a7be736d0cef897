// Writing resource scripts from parsed resources.
#include "script/ResourceScript.h"

#include "common/Strings.h"
#include "formats/ResourceDirectory.h"
#include "formats/VersionNames.h"
#include "script/ScriptStyles.h"
#include "script/ScriptText.h"

namespace vellum {

namespace {

// What resource compilers add on their own: every CONTROL is a visible child, and a dialog with
// a caption gets WS_CAPTION.
constexpr std::uint32_t kControlAdded = 0x50000000; // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kCaptionAdded = 0x00C00000; // WS_CAPTION

struct Keyword {
    const char* word;
    std::uint32_t bit;
};

// The option bits of a plain menu item that have keywords.
constexpr Keyword kMenuOptions[] = {{"GRAYED", 0x1},        {"INACTIVE", 0x2},   {"CHECKED", 0x8},
                                    {"MENUBARBREAK", 0x20}, {"MENUBREAK", 0x40}, {"HELP", 0x4000}};

// An accelerator's flags; the first is replaced by ASCII when it is clear.
constexpr Keyword kAccelFlags[] = {{"VIRTKEY", kAccelVirtKey},
                                   {"NOINVERT", kAccelNoInvert},
                                   {"SHIFT", kAccelShift},
                                   {"CONTROL", kAccelControl},
                                   {"ALT", kAccelAlt}};

std::string Keywords(std::uint32_t bits, std::span<const Keyword> keywords) {
    std::string text;
    for (const Keyword& k : keywords)
        if (bits & k.bit)
            text += std::string(", ") + k.word;
    return text;
}

std::string Rect(const DialogFrame& f) {
    return ScriptNumber(f.x) + ", " + ScriptNumber(f.y) + ", " + ScriptNumber(f.cx) + ", " +
           ScriptNumber(f.cy);
}

std::string VersionParts(std::uint32_t ms, std::uint32_t ls) {
    auto p = FixedFileInfo::Parts(ms, ls);
    return Format("%u, %u, %u, %u", p[0], p[1], p[2], p[3]);
}

std::string NameOr(std::span<const VersionName> table, std::uint32_t value) {
    std::optional<std::string_view> name = NameOfValue(table, value);
    return name ? std::string(*name) : ScriptHex(value);
}

std::string FlagNames(std::uint32_t flags) {
    std::string text;
    std::uint32_t rest = flags;
    for (const VersionName& flag : FileFlagNames())
        if (flags & flag.value) {
            text += (text.empty() ? "" : " | ") + std::string(flag.name);
            rest &= ~flag.value;
        }
    if (rest || text.empty())
        text += (text.empty() ? "" : " | ") + ScriptHex(rest);
    return text;
}

// A binary value as the 16-bit words a VALUE statement lists.
std::string Words(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        unsigned word = bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
        text += (text.empty() ? "" : ", ") + ScriptHex(word);
    }
    return text;
}

} // namespace

ResourceScript::ResourceScript() {
    text_ = "#pragma code_page(65001)\n#include <windows.h>\n";
}

void ResourceScript::Line(int depth, const std::string& text) {
    text_.append(std::size_t(depth) * 4, ' ');
    text_ += text;
    text_ += '\n';
}

void ResourceScript::Header(const NameOrOrdinal& name, std::uint16_t language,
                            const std::string& what) {
    text_ += '\n';
    Line(0, ScriptLanguage(language));
    Line(0, ScriptName(name) + " " + what);
}

void ResourceScript::AddDialog(const NameOrOrdinal& name, std::uint16_t language,
                               const DialogTemplate& d) {
    std::string head = d.extended ? "DIALOGEX " : "DIALOG ";
    head += Rect(d);
    if (d.extended && d.helpId)
        head += Format(", %u", unsigned(d.helpId));
    Header(name, language, head);
    if (!d.title.empty())
        Line(0, "CAPTION " + ScriptQuote(d.title));
    Line(0, "STYLE " +
                StyleExpression(d.style, DialogStyleNames(), d.title.empty() ? 0 : kCaptionAdded));
    if (d.exStyle)
        Line(0, "EXSTYLE " + StyleExpression(d.exStyle, ExStyleNames()));
    if (!d.menu.Empty())
        Line(0, "MENU " + ScriptName(d.menu));
    if (!d.windowClass.Empty())
        Line(0, "CLASS " + ScriptName(d.windowClass));
    if (d.HasFont()) {
        std::string font =
            Format("FONT %u, ", unsigned(d.font.pointSize)) + ScriptQuote(d.font.typeface);
        if (d.extended)
            font += Format(", %u, %u, %u", unsigned(d.font.weight), unsigned(d.font.italic),
                           unsigned(d.font.charset));
        Line(0, font);
    }
    DialogItems(d);
}

void ResourceScript::DialogItems(const DialogTemplate& d) {
    Begin(0);
    for (const DialogItem& item : d.items) {
        std::uint16_t atom = item.windowClass.ordinal.value_or(0);
        std::string control =
            "CONTROL " +
            (item.title.ordinal ? ScriptName(item.title) : ScriptQuote(item.title.name)) +
            Format(", %u, ", unsigned(d.extended ? item.id : item.id & 0xFFFF));
        control += item.windowClass.ordinal ? ScriptHex(atom) : ScriptQuote(item.windowClass.name);
        control += ", " + StyleExpression(item.style, ControlStyleNames(atom), kControlAdded);
        control += ", " + Rect(item);
        if (item.exStyle || (d.extended && item.helpId))
            control += ", " + StyleExpression(item.exStyle, ExStyleNames());
        if (d.extended && item.helpId)
            control += Format(", %u", unsigned(item.helpId));
        Line(1, control);
        if (!item.creationData.empty()) {
            Begin(1);
            Line(2, Words(item.creationData));
            End(1);
        }
    }
    End(0);
}

void ResourceScript::AddMenu(const NameOrOrdinal& name, std::uint16_t language,
                             const MenuTemplate& menu) {
    Header(name, language, menu.extended ? "MENUEX" : "MENU");
    Begin(0);
    MenuItems(menu.items, menu.extended, 1);
    End(0);
}

void ResourceScript::MenuItems(const std::vector<MenuItem>& items, bool extended, int depth) {
    for (const MenuItem& item : items) {
        bool popup = item.flags & (extended ? kMenuExPopup : kMfPopup);
        std::string line = std::string(popup ? "POPUP " : "MENUITEM ") + ScriptQuote(item.text);
        if (extended) {
            line += Format(", %u, ", unsigned(item.id));
            line += item.type ? StyleExpression(item.type, MenuTypeNames()) : "MFT_STRING";
            line += ", ";
            line += item.state ? StyleExpression(item.state, MenuStateNames()) : "MFS_ENABLED";
            if (popup)
                line += Format(", %u", unsigned(item.helpId));
        } else if (!popup && item.flags == 0 && item.id == 0 && item.text.empty()) {
            line = "MENUITEM SEPARATOR";
        } else {
            if (!popup)
                line += Format(", %u", unsigned(item.id & 0xFFFF));
            line += Keywords(item.flags, kMenuOptions);
        }
        Line(depth, line);
        if (popup) {
            Begin(depth);
            MenuItems(item.children, extended, depth + 1);
            End(depth);
        }
    }
}

void ResourceScript::AddAccelerators(const NameOrOrdinal& name, std::uint16_t language,
                                     const AcceleratorTable& table) {
    Header(name, language, "ACCELERATORS");
    Begin(0);
    for (const Accelerator& a : table.entries) {
        bool virtKey = a.flags & kAccelVirtKey;
        // Letters and digits read best quoted; a quoted key of a virtual-key entry must be one.
        bool quoted =
            virtKey ? (a.key >= 'A' && a.key <= 'Z') || (a.key >= '0' && a.key <= '9')
                    : a.key > 0x20 && a.key < 0x7F && a.key != '"' && a.key != '^' && a.key != '\\';
        std::string key = quoted ? Format("\"%c\"", char(a.key)) : Format("%u", unsigned(a.key));
        std::string flags = Keywords(a.flags, kAccelFlags);
        if (!virtKey)
            flags = ", ASCII" + flags;
        Line(1, key + Format(", %u", unsigned(a.command)) + flags);
    }
    End(0);
}

void ResourceScript::AddStringBlock(std::uint16_t block, std::uint16_t language,
                                    const std::vector<std::u16string>& strings) {
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < strings.size() && n < 16; ++n)
        if (!strings[n].empty())
            lines.push_back(Format("%u, ", unsigned((block - 1) * 16 + n)) +
                            ScriptQuote(strings[n]));
    if (lines.empty())
        return;
    text_ += '\n';
    Line(0, ScriptLanguage(language));
    Line(0, "STRINGTABLE");
    Begin(0);
    for (const std::string& line : lines)
        Line(1, line);
    End(0);
}

void ResourceScript::AddVersionInfo(const NameOrOrdinal& name, std::uint16_t language,
                                    const VersionInfo& info) {
    Header(name, language, "VERSIONINFO");
    FixedFileInfo f = info.Fixed().value_or(FixedFileInfo{});
    Line(0, "FILEVERSION " + VersionParts(f.fileVersionMs, f.fileVersionLs));
    Line(0, "PRODUCTVERSION " + VersionParts(f.productVersionMs, f.productVersionLs));
    Line(0, "FILEFLAGSMASK " + ScriptHex(f.flagsMask));
    Line(0, "FILEFLAGS " + FlagNames(f.flags));
    Line(0, "FILEOS " + NameOr(FileOsNames(), f.os));
    Line(0, "FILETYPE " + NameOr(FileTypeNames(), f.type));
    Line(0, "FILESUBTYPE " + NameOr(FileSubtypeNames(f.type), f.subtype));
    Begin(0);
    VersionNodes(info.root.children, 1);
    End(0);
}

void ResourceScript::VersionNodes(const std::vector<VersionNode>& nodes, int depth) {
    for (const VersionNode& node : nodes) {
        if (!node.children.empty() || node.key == u"StringFileInfo" || node.key == u"VarFileInfo") {
            Line(depth, "BLOCK " + ScriptQuote(node.key));
            Begin(depth);
            VersionNodes(node.children, depth + 1);
            End(depth);
        } else if (node.type == kVersionValueText) {
            Line(depth, "VALUE " + ScriptQuote(node.key) + ", " + ScriptQuote(node.Text()));
        } else {
            std::string words = Words(node.value);
            Line(depth, "VALUE " + ScriptQuote(node.key) + (words.empty() ? "" : ", " + words));
        }
    }
}

std::vector<std::u16string> StringsOfBlock(ByteView block) {
    std::vector<std::u16string> strings;
    for (std::uint64_t at = 0; strings.size() < 16 && block.Has(at, 2);) {
        std::uint16_t units = block.U16(at);
        if (!block.Has(at + 2, 2 * std::uint64_t(units)))
            break;
        std::u16string text;
        for (std::uint16_t i = 0; i < units; ++i)
            text.push_back(char16_t(block.U16(at + 2 + 2 * std::uint64_t(i))));
        strings.push_back(std::move(text));
        at += 2 + 2 * std::uint64_t(units);
    }
    return strings;
}

bool ResourceScript::AddResource(std::uint16_t type, const NameOrOrdinal& name,
                                 std::uint16_t language, ByteView bytes) {
    switch (type) {
    case rt::kDialog:
        if (std::optional<DialogTemplate> dialog = DialogTemplate::Parse(bytes))
            return AddDialog(name, language, *dialog), true;
        return false;
    case rt::kMenu:
        if (std::optional<MenuTemplate> menu = MenuTemplate::Parse(bytes))
            return AddMenu(name, language, *menu), true;
        return false;
    case rt::kAccelerators:
        if (std::optional<AcceleratorTable> table = AcceleratorTable::Parse(bytes))
            return AddAccelerators(name, language, *table), true;
        return false;
    case rt::kStringTable:
        // Blocks are numbered from 1; a named one cannot be written as a STRINGTABLE.
        if (!name.ordinal || *name.ordinal == 0)
            return false;
        AddStringBlock(*name.ordinal, language, StringsOfBlock(bytes));
        return true;
    case rt::kVersion:
        if (std::optional<VersionInfo> info = VersionInfo::Parse(bytes))
            return AddVersionInfo(name, language, *info), true;
        return false;
    default:
        return false;
    }
}

} // namespace vellum
