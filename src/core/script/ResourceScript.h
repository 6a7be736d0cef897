// A resource script (.rc) for dialogs, menus, accelerator tables, string tables and version
// blocks, in UTF-8 as `windres -c 65001` and the Windows resource compiler read it: one
// LANGUAGE line before each resource, style bits by their windows.h names, and every value
// written so that compiling the script gives the resource's bytes again. Where the script
// language has no words for something the bytes hold (a menu's own help ID, option bits without
// a keyword, an accelerator's padding word, fixed-information dates, compiler padding), it is
// left out; creation data of an odd length gains a zero byte, as it is written in words.
// Compilers write resource and class names in capitals.
#pragma once

#include "common/ByteView.h"
#include "formats/AcceleratorTable.h"
#include "formats/DialogTemplate.h"
#include "formats/MenuTemplate.h"
#include "formats/TemplateFields.h"
#include "formats/VersionInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

// The 16 strings of a string-table block: each a u16 length and that many UTF-16 code units.
// A block cut short gives the strings it holds in full.
std::vector<std::u16string> StringsOfBlock(ByteView block);

class ResourceScript {
public:
    // Starts with the code-page pragma and the include of windows.h the style names need.
    ResourceScript();

    void AddDialog(const NameOrOrdinal& name, std::uint16_t language, const DialogTemplate& dialog);
    void AddMenu(const NameOrOrdinal& name, std::uint16_t language, const MenuTemplate& menu);
    void AddAccelerators(const NameOrOrdinal& name, std::uint16_t language,
                         const AcceleratorTable& table);
    // One block of a string table: string n of block `block` has the ID (block - 1) * 16 + n.
    // Empty strings are not written; a block without any writes nothing.
    void AddStringBlock(std::uint16_t block, std::uint16_t language,
                        const std::vector<std::u16string>& strings);
    void AddVersionInfo(const NameOrOrdinal& name, std::uint16_t language, const VersionInfo& info);
    // A resource of one of the types above (menu 4, dialog 5, string table 6, accelerators 9,
    // version 16) from its bytes; false, writing nothing, for another type or bytes its parser
    // refuses.
    bool AddResource(std::uint16_t type, const NameOrOrdinal& name, std::uint16_t language,
                     ByteView bytes);

    const std::string& Text() const { return text_; }

private:
    void Line(int depth, const std::string& text);
    void Begin(int depth) { Line(depth, "BEGIN"); }
    void End(int depth) { Line(depth, "END"); }
    void Header(const NameOrOrdinal& name, std::uint16_t language, const std::string& what);
    void DialogItems(const DialogTemplate& dialog);
    void MenuItems(const std::vector<MenuItem>& items, bool extended, int depth);
    void VersionNodes(const std::vector<VersionNode>& nodes, int depth);

    std::string text_;
};

} // namespace vellum
