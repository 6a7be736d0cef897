// Listing the resources of PE and .res files for the oracle tests.
#include "support/ResourceLists.h"

#include "formats/DialogTemplate.h"
#include "formats/MenuTemplate.h"
#include "formats/PeResources.h"
#include "formats/ResourceDirectory.h"
#include "formats/VersionInfo.h"
#include "support/ByteBuilder.h"

#include <cstdlib>
#include <optional>

namespace vellum::test {

namespace {

// A UTF-16 string or ordinal of a .res header; moves `at` past it.
NameOrOrdinal ResName(ByteView res, std::uint64_t& at) {
    if (res.U16(at) == 0xFFFF) {
        at += 4;
        return NameOrOrdinal::Ordinal(res.U16(at - 2));
    }
    std::u16string name;
    for (; res.Has(at, 2) && res.U16(at); at += 2)
        name.push_back(char16_t(res.U16(at)));
    at += 2;
    return NameOrOrdinal::Name(name);
}

using Bytes = std::vector<std::uint8_t>;

// What windres writes for a resource: no padding behind the last item of a dialog or menu (Wine's
// compiler pads some menus to 4 bytes), and class names in capitals (Windows compares them
// without regard to case), so a dialog naming "ComboBoxEx32" comes back naming "COMBOBOXEX32".
Bytes AsWindresWritesIt(const ResourceKey& key, const Bytes& bytes) {
    if (key.type == rt::kMenu) {
        std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(bytes));
        if (!menu)
            return bytes;
        menu->trailing.clear();
        return menu->Serialize().value_or(Bytes{});
    }
    std::optional<DialogTemplate> dialog;
    if (key.type != rt::kDialog || !(dialog = DialogTemplate::Parse(View(bytes))))
        return bytes;
    auto upper = [](NameOrOrdinal& name) {
        for (char16_t& c : name.name)
            c = c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
    };
    upper(dialog->windowClass);
    for (DialogItem& item : dialog->items)
        upper(item.windowClass);
    dialog->trailing.clear();
    return dialog->Serialize().value_or(Bytes{});
}

// Resource compilers differ in what a script cannot say: whether a node's length counts the
// padding behind it, and the wType of a node that holds only children (Wine's compiler writes 0
// for StringFileInfo, windres 1). A version block is compared without them.
void ForgetHabits(VersionNode& node) {
    node.trailing.clear();
    if (!node.children.empty() && node.value.empty())
        node.type = kVersionValueText;
    for (VersionNode& child : node.children)
        ForgetHabits(child);
}

std::optional<VersionInfo> WithoutCompilerHabits(const Bytes& bytes) {
    std::optional<VersionInfo> info = VersionInfo::Parse(View(bytes));
    if (info) {
        ForgetHabits(info->root);
        info->after.clear();
    }
    return info;
}

// Where two byte strings part, for the failure message.
std::string FirstDifference(const Bytes& got, const Bytes& expected) {
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(at);
}

} // namespace

bool HaveWindres() {
    return std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") == 0;
}

std::string Describe(const ResourceKey& key) {
    return "type " + std::to_string(key.type) + " name " +
           (key.name.ordinal ? std::to_string(*key.name.ordinal) : "(string)") + " language " +
           std::to_string(key.language);
}

std::vector<std::string> CompiledDifferences(const ResourceMap& original,
                                             const ResourceMap& compiled) {
    std::vector<std::string> differences;
    for (const auto& [key, bytes] : original) {
        auto found = compiled.find(key);
        if (found == compiled.end())
            differences.push_back(Describe(key) + ": missing");
        else if (key.type == rt::kVersion
                     ? WithoutCompilerHabits(found->second) != WithoutCompilerHabits(bytes)
                     : found->second != AsWindresWritesIt(key, bytes))
            differences.push_back(Describe(key) + ": " + FirstDifference(found->second, bytes));
    }
    return differences;
}

ResourceMap PeResources(ByteView file, const std::vector<std::uint16_t>& types) {
    ResourceMap found;
    for (PeResource& r : ReadPeResources(file, types))
        found[{r.type, r.name, r.language}] = std::move(r.bytes);
    return found;
}

ResourceMap ResFileResources(ByteView res) {
    ResourceMap found;
    for (std::uint64_t at = 0; res.Has(at, 8);) {
        std::uint32_t dataSize = res.U32(at), headerSize = res.U32(at + 4);
        std::uint64_t field = at + 8;
        NameOrOrdinal type = ResName(res, field);
        NameOrOrdinal name = ResName(res, field);
        field = (field + 3) & ~std::uint64_t(3);
        std::uint16_t language = res.U16(field + 6);
        ByteView data = res.Sub(at + headerSize, dataSize);
        if (type.ordinal && dataSize && !data.Empty())
            found[{*type.ordinal, name, language}].assign(data.Data(), data.Data() + data.Size());
        if (headerSize == 0)
            break;
        at = (at + headerSize + dataSize + 3) & ~std::uint64_t(3);
    }
    return found;
}

} // namespace vellum::test
