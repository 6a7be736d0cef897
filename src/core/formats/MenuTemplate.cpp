// Reading and writing menu templates, plain and extended.
#include "formats/MenuTemplate.h"

#include "formats/TemplateFields.h"

namespace vellum {

namespace {

bool ReadList(TemplateReader& in, bool extended, int depth, std::vector<MenuItem>& items);

// One item and, for a drop-down, its items; returns whether it ended its list.
bool ReadItem(TemplateReader& in, bool extended, int depth, MenuItem& item) {
    std::uint16_t flags = 0;
    if (extended) {
        in.AlignTo4();
        item.type = in.U32();
        item.state = in.U32();
        item.id = in.U32();
        flags = in.U16();
        item.text = in.Utf16z();
        item.flags = flags & ~kMenuExEnd;
        if (flags & kMenuExPopup) {
            in.AlignTo4();
            item.helpId = in.U32();
        }
    } else {
        flags = in.U16();
        item.flags = flags & ~kMfEnd;
        if (!(flags & kMfPopup))
            item.id = in.U16();
        item.text = in.Utf16z();
    }
    bool popup = flags & (extended ? kMenuExPopup : kMfPopup);
    if (popup && in.Ok() && !ReadList(in, extended, depth + 1, item.children))
        in.Fail();
    return (flags & (extended ? kMenuExEnd : kMfEnd)) != 0;
}

bool ReadList(TemplateReader& in, bool extended, int depth, std::vector<MenuItem>& items) {
    if (depth > kMaxMenuDepth)
        return false;
    for (bool end = false; !end;) {
        MenuItem item;
        end = ReadItem(in, extended, depth, item);
        if (!in.Ok())
            return false;
        items.push_back(std::move(item));
    }
    return true;
}

bool WriteList(TemplateWriter& out, bool extended, const std::vector<MenuItem>& items);

void WriteItem(TemplateWriter& out, bool extended, const MenuItem& item, bool last) {
    if (extended) {
        out.AlignTo4();
        out.U32(item.type);
        out.U32(item.state);
        out.U32(item.id);
        out.U16(item.flags | (last ? kMenuExEnd : 0));
        out.Utf16z(item.text);
        if (item.flags & kMenuExPopup) {
            out.AlignTo4();
            out.U32(item.helpId);
        }
    } else {
        out.U16(item.flags | (last ? kMfEnd : 0));
        if (!(item.flags & kMfPopup))
            out.U16(item.id);
        out.Utf16z(item.text);
    }
}

bool WriteList(TemplateWriter& out, bool extended, const std::vector<MenuItem>& items) {
    if (items.empty())
        return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        WriteItem(out, extended, item, i + 1 == items.size());
        bool popup = item.flags & (extended ? kMenuExPopup : kMfPopup);
        if (popup && !WriteList(out, extended, item.children))
            return false;
    }
    return true;
}

} // namespace

std::uint32_t MenuTemplate::HelpId() const {
    ByteView extra(headerExtra.data(), headerExtra.size());
    return extended ? extra.U32(0) : 0;
}

std::optional<MenuTemplate> MenuTemplate::Parse(ByteView bytes) {
    TemplateReader in(bytes);
    std::uint16_t version = in.U16();
    std::uint16_t offset = in.U16();
    if (!in.Ok() || (version != kMenuVersionPlain && version != kMenuVersionEx))
        return std::nullopt;
    MenuTemplate menu;
    menu.extended = version == kMenuVersionEx;
    menu.headerExtra = in.Take(offset);
    // A menu of no items is a header alone.
    if (in.Ok() && !in.AtEnd() && !ReadList(in, menu.extended, 0, menu.items))
        return std::nullopt;
    if (!in.Ok())
        return std::nullopt;
    ByteView rest = bytes.From(in.Offset());
    menu.trailing.assign(rest.Data(), rest.Data() + rest.Size());
    return menu;
}

std::optional<std::vector<std::uint8_t>> MenuTemplate::Serialize() const {
    if (headerExtra.size() > 0xFFFF)
        return std::nullopt;
    TemplateWriter out;
    out.U16(extended ? kMenuVersionEx : kMenuVersionPlain);
    out.U16(std::uint16_t(headerExtra.size()));
    out.Bytes(headerExtra);
    if (!items.empty() && !WriteList(out, extended, items))
        return std::nullopt;
    out.Bytes(trailing);
    return out.Take();
}

} // namespace vellum
