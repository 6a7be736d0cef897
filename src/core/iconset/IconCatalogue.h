// IconCatalogue: the shipped IconConfig.xml (which icons exist and where the system keeps each)
// and the lists a loaded iconset fills in.
//
// IconConfig.xml:
//   <Root>
//     <INFO/>                               slot 0: no icons; receives an iconset's Info fields
//     <Explorer ICONS="n">                  slots 1..7: categories, in file order
//       <I15 Name="My Computer" Name2="Computer" csidl="17" Loc="HKCS\{20D0...}"
//            Loc2="{20D0...}\DefaultIcon" Def="shell32.dll,15" Lnk="..." SCF="..."/>
//   The element name is a letter and the entry's shell icon index (99: none).
#pragma once

#include "common/Result.h"
#include "common/XmlDocument.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// One display name of a catalogue entry (an entry with Name2, Name3 ... has several records).
struct CatalogueRecord {
    std::string displayName;
    std::string tag;
    int category = 0;
    int shellIconIndex = 99;
    int csidl = -1;
    XmlNode* element = nullptr;
};

// A display name (or Info field name) with the value an iconset gave it.
struct NamedValue {
    std::string name;
    std::string value;
};

// What an iconset's Info element says about it.
struct IconsetInfo {
    std::string author = "Author: Unknown";
    std::string email;
    std::string title = "Unknown";
    std::string comments;
    std::string website;
};

// An icon of a loaded iconset and the catalogue record it belongs to.
struct AppliedIcon {
    std::string location;
    std::size_t record = 0;
};

class IconCatalogue {
public:
    static constexpr int kCategorySlots = 8;
    static constexpr std::size_t kMaxRecords = 300;
    static constexpr int kNoShellIconIndex = 99;
    // The snapshot reads at most this many Loc attributes of one entry.
    static constexpr int kMaxLocations = 21;

    // Reads IconConfig.xml; clears everything first. On failure the catalogue stays empty and
    // the XML load result is returned.
    HRESULT Load(const std::string& path);

    const std::vector<CatalogueRecord>& Records() const { return records_; }
    // The first record whose tag equals `tag` without regard to case.
    std::optional<std::size_t> FindByTag(std::string_view tag) const;
    // The first record with exactly this display name.
    std::optional<std::size_t> FindByName(std::string_view displayName) const;

    int CategoryCount() const { return int(categoryNames_.size()); }
    const std::string& CategoryName(int slot) const { return categoryNames_.at(std::size_t(slot)); }
    // The slot of a category (name without case), or nothing.
    std::optional<int> CategorySlot(std::string_view name) const;
    // The entry elements of a category; empty for INFO and for unknown names.
    std::vector<XmlNode*> CategoryEntries(std::string_view name) const;
    // The ICONS attribute of a category (0 when absent).
    int CategoryIconCount(int slot) const { return iconCounts_.at(std::size_t(slot)); }

    // What a loaded iconset filled in: slot 0 the Info fields, slots 1..7 display names and
    // icon locations.
    const std::vector<NamedValue>& CategoryItems(int slot) const {
        return items_.at(std::size_t(slot));
    }
    void ClearLoadedIconset();

    // Pairs (display name, Lnk value) and (display name, SCF value) of the entries that have one.
    const std::vector<NamedValue>& LnkMatches() const { return lnkMatches_; }
    const std::vector<NamedValue>& ScfMatches() const { return scfMatches_; }

    // The decoded value of an entry attribute; empty when absent.
    std::string Attribute(const XmlNode* element, std::string_view name) const;
    // Loc, Loc2, Loc3 ... up to the first missing or empty one.
    std::vector<std::string> Locations(const XmlNode* element, int limit = 1000) const;

    // The "System Cache" pseudo-iconset: slot 1 gets the shell image-list names.
    void FillSystemCache();

    // Maps each Icons child of a loaded iconset to the first record whose tag matches its name,
    // fills the category lists and returns the matched icons in document order. `expand`
    // replaces environment references; it is applied to icons that carry a Loc attribute.
    std::vector<AppliedIcon>
    MatchIconset(const XmlDocument& iconset,
                 const std::function<std::string(std::string_view)>& expand);
    // Reads the iconset's Info element into slot 0 and returns the fields it fills.
    IconsetInfo ReadInfoFields(const XmlDocument& iconset);

    XmlDocument& Document() { return document_; }

private:
    void Clear();
    void AddCategory(XmlNode* category);
    void AddEntry(XmlNode* entry, int slot);

    XmlDocument document_;
    std::vector<CatalogueRecord> records_;
    std::vector<std::string> categoryNames_;
    std::vector<int> iconCounts_;
    std::vector<std::vector<NamedValue>> items_ =
        std::vector<std::vector<NamedValue>>(kCategorySlots);
    std::vector<NamedValue> lnkMatches_;
    std::vector<NamedValue> scfMatches_;
};

// The names of the shell image-list icons 0 to 48, in index order.
const std::vector<std::string>& ShellIconNames();

} // namespace vellum
