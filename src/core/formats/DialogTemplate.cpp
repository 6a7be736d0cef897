// Reading and writing dialog templates, plain and extended.
#include "formats/DialogTemplate.h"

namespace vellum {

namespace {

constexpr std::uint64_t kSignatureOffset = 2;
constexpr std::size_t kMaxCount = 0xFFFF;

void ReadRect(TemplateReader& in, std::int16_t& x, std::int16_t& y, std::int16_t& cx,
              std::int16_t& cy) {
    x = in.I16();
    y = in.I16();
    cx = in.I16();
    cy = in.I16();
}

void WriteRect(TemplateWriter& out, std::int16_t x, std::int16_t y, std::int16_t cx,
               std::int16_t cy) {
    for (std::int16_t value : {x, y, cx, cy})
        out.U16(std::uint16_t(value));
}

// The fixed header; returns the item count.
std::uint16_t ReadHeader(TemplateReader& in, DialogTemplate& d) {
    std::uint16_t count = 0;
    if (d.extended) {
        d.version = in.U16();
        in.U16(); // the signature
        d.helpId = in.U32();
        d.exStyle = in.U32();
        d.style = in.U32();
    } else {
        d.style = in.U32();
        d.exStyle = in.U32();
    }
    count = in.U16();
    ReadRect(in, d.x, d.y, d.cx, d.cy);
    return count;
}

void ReadNamesAndFont(TemplateReader& in, DialogTemplate& d) {
    d.menu = in.NameOrOrd();
    d.windowClass = in.NameOrOrd();
    d.title = in.Utf16z();
    if (!d.HasFont())
        return;
    d.font.pointSize = in.U16();
    if (d.extended) {
        d.font.weight = in.U16();
        d.font.italic = in.U8();
        d.font.charset = in.U8();
    }
    d.font.typeface = in.Utf16z();
}

DialogItem ReadItem(TemplateReader& in, bool extended) {
    DialogItem item;
    if (extended) {
        item.helpId = in.U32();
        item.exStyle = in.U32();
        item.style = in.U32();
    } else {
        item.style = in.U32();
        item.exStyle = in.U32();
    }
    ReadRect(in, item.x, item.y, item.cx, item.cy);
    item.id = extended ? in.U32() : in.U16();
    item.windowClass = in.NameOrOrd();
    item.title = in.NameOrOrd();
    // The count gives the bytes behind it; Windows reads the creation data that way for both
    // kinds of template.
    item.creationData = in.Take(in.U16());
    return item;
}

void WriteHeader(TemplateWriter& out, const DialogTemplate& d) {
    if (d.extended) {
        out.U16(d.version);
        out.U16(kDialogExSignature);
        out.U32(d.helpId);
        out.U32(d.exStyle);
        out.U32(d.style);
    } else {
        out.U32(d.style);
        out.U32(d.exStyle);
    }
    out.U16(std::uint16_t(d.items.size()));
    WriteRect(out, d.x, d.y, d.cx, d.cy);
    out.NameOrOrd(d.menu);
    out.NameOrOrd(d.windowClass);
    out.Utf16z(d.title);
    if (!d.HasFont())
        return;
    out.U16(d.font.pointSize);
    if (d.extended) {
        out.U16(d.font.weight);
        out.U8(d.font.italic);
        out.U8(d.font.charset);
    }
    out.Utf16z(d.font.typeface);
}

void WriteItem(TemplateWriter& out, const DialogItem& item, bool extended) {
    if (extended) {
        out.U32(item.helpId);
        out.U32(item.exStyle);
        out.U32(item.style);
    } else {
        out.U32(item.style);
        out.U32(item.exStyle);
    }
    WriteRect(out, item.x, item.y, item.cx, item.cy);
    if (extended)
        out.U32(item.id);
    else
        out.U16(item.id);
    out.NameOrOrd(item.windowClass);
    out.NameOrOrd(item.title);
    out.U16(std::uint16_t(item.creationData.size()));
    out.Bytes(item.creationData);
}

} // namespace

std::optional<DialogTemplate> DialogTemplate::Parse(ByteView bytes) {
    DialogTemplate d;
    d.extended = bytes.U16(kSignatureOffset) == kDialogExSignature;
    TemplateReader in(bytes);
    std::uint16_t count = ReadHeader(in, d);
    ReadNamesAndFont(in, d);
    // Every item needs at least its fixed part, so a count the bytes cannot hold fails early.
    for (std::uint16_t i = 0; i < count && in.Ok(); ++i) {
        in.AlignTo4();
        d.items.push_back(ReadItem(in, d.extended));
    }
    if (!in.Ok())
        return std::nullopt;
    ByteView rest = bytes.From(in.Offset());
    d.trailing.assign(rest.Data(), rest.Data() + rest.Size());
    return d;
}

std::optional<std::vector<std::uint8_t>> DialogTemplate::Serialize() const {
    if (items.size() > kMaxCount)
        return std::nullopt;
    TemplateWriter out;
    WriteHeader(out, *this);
    for (const DialogItem& item : items) {
        if (item.creationData.size() > kMaxCount)
            return std::nullopt;
        out.AlignTo4();
        WriteItem(out, item, extended);
    }
    out.Bytes(trailing);
    return out.Take();
}

} // namespace vellum
