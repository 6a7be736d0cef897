// Reading and writing dialog templates, plain and extended.
#include "formats/DialogTemplate.h"

namespace vellum {

namespace {

constexpr std::uint64_t kSignatureOffset = 2;
constexpr std::size_t kMaxCount = 0xFFFF;

// The help ID and styles: an extended template puts the help ID first and the extended style
// before the style; a plain one has no help ID and the style first.
void ReadStyles(TemplateReader& in, bool extended, DialogFrame& f) {
    if (extended) {
        f.helpId = in.U32();
        f.exStyle = in.U32();
        f.style = in.U32();
    } else {
        f.style = in.U32();
        f.exStyle = in.U32();
    }
}

void WriteStyles(TemplateWriter& out, bool extended, const DialogFrame& f) {
    if (extended) {
        out.U32(f.helpId);
        out.U32(f.exStyle);
        out.U32(f.style);
    } else {
        out.U32(f.style);
        out.U32(f.exStyle);
    }
}

void ReadRect(TemplateReader& in, DialogFrame& f) {
    f.x = in.I16();
    f.y = in.I16();
    f.cx = in.I16();
    f.cy = in.I16();
}

void WriteRect(TemplateWriter& out, const DialogFrame& f) {
    for (std::int16_t value : {f.x, f.y, f.cx, f.cy})
        out.U16(std::uint16_t(value));
}

// The fixed header; returns the item count.
std::uint16_t ReadHeader(TemplateReader& in, DialogTemplate& d) {
    if (d.extended) {
        d.version = in.U16();
        in.U16(); // the signature
    }
    ReadStyles(in, d.extended, d);
    std::uint16_t count = in.U16();
    ReadRect(in, d);
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
    ReadStyles(in, extended, item);
    ReadRect(in, item);
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
    }
    WriteStyles(out, d.extended, d);
    out.U16(std::uint16_t(d.items.size()));
    WriteRect(out, d);
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
    WriteStyles(out, extended, item);
    WriteRect(out, item);
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
