#include "support/ByteBuilder.h"

#include <algorithm>

namespace vellum::test {

ByteWriter& ByteWriter::U8(std::uint32_t v) {
    bytes_.push_back(std::uint8_t(v));
    return *this;
}

ByteWriter& ByteWriter::U16(std::uint32_t v) {
    return U8(v).U8(v >> 8);
}

ByteWriter& ByteWriter::U32(std::uint32_t v) {
    return U16(v & 0xFFFF).U16(v >> 16);
}

ByteWriter& ByteWriter::U64(std::uint64_t v) {
    return U32(std::uint32_t(v)).U32(std::uint32_t(v >> 32));
}

ByteWriter& ByteWriter::U32BigEndian(std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        U8(v >> shift);
    return *this;
}

ByteWriter& ByteWriter::Append(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Ascii(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

ByteWriter& ByteWriter::Utf16(std::u16string_view text) {
    for (char16_t c : text)
        U16(c);
    return *this;
}

ByteWriter& ByteWriter::Fill(std::size_t count, std::uint8_t value) {
    bytes_.insert(bytes_.end(), count, value);
    return *this;
}

ByteWriter& ByteWriter::PadTo(std::size_t size, std::uint8_t value) {
    return Fill(size > bytes_.size() ? size - bytes_.size() : 0, value);
}

ByteWriter& ByteWriter::Align(std::size_t unit, std::uint8_t value) {
    return PadTo((bytes_.size() + unit - 1) / unit * unit, value);
}

ByteWriter& ByteWriter::Patch16(std::size_t at, std::uint32_t v) {
    Put16(bytes_, at, v);
    return *this;
}

ByteWriter& ByteWriter::Patch32(std::size_t at, std::uint32_t v) {
    Put32(bytes_, at, v);
    return *this;
}

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

Bytes BytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes DibHeaderBytes(const DibFields& f, std::uint32_t size) {
    ByteWriter w;
    if (size == kBitmapCoreHeader) {
        w.U32(size).U16(std::uint32_t(f.width)).U16(std::uint32_t(f.height));
        w.U16(f.planes).U16(f.bitCount);
        return w.Take();
    }
    w.U32(size).U32(std::uint32_t(f.width)).U32(std::uint32_t(f.height));
    w.U16(f.planes).U16(f.bitCount).U32(f.compression).U32(f.imageBytes);
    w.U32(std::uint32_t(f.xPixelsPerMetre)).U32(std::uint32_t(f.yPixelsPerMetre));
    w.U32(f.coloursUsed).U32(0); // colours important
    // All 40 bytes are written before a shorter header is cut from them.
    Bytes header = w.PadTo(size).Take();
    header.resize(size);
    return header;
}

Bytes DibBytes(const DibFields& fields, const Bytes& colours, const Bytes& xorRows,
               const Bytes& andRows, std::uint32_t headerSize) {
    return DibHeaderBytes(fields, headerSize) + colours + xorRows + andRows;
}

Bytes BitmapFileHeaderBytes(std::uint32_t fileSize, std::uint32_t pixelOffset) {
    return ByteWriter().Ascii("BM").U32(fileSize).U16(0).U16(0).U32(pixelOffset).Take();
}

Bytes BmpFileBytes(const DibFields& fields, const Bytes& colours, const Bytes& rows) {
    std::uint32_t pixelOffset = 14 + kBitmapInfoHeader + std::uint32_t(colours.size());
    return BitmapFileHeaderBytes(pixelOffset + std::uint32_t(rows.size()), pixelOffset) +
           DibBytes(fields, colours, rows);
}

Bytes IconFileBytes(std::uint16_t type, const std::vector<IcoFileImage>& images) {
    ByteWriter w;
    w.U16(0).U16(type).U16(std::uint32_t(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (const IcoFileImage& i : images) {
        w.U8(i.width).U8(i.height).U8(i.colours).U8(0).U16(i.planes).U16(i.bitCount);
        w.U32(std::uint32_t(i.image.size())).U32(offset);
        offset += std::uint32_t(i.image.size());
    }
    for (const IcoFileImage& i : images)
        w.Append(i.image);
    return w.Take();
}

Bytes GroupBytes(std::uint16_t type, const std::vector<GroupMember>& members) {
    ByteWriter w;
    w.U16(0).U16(type).U16(std::uint32_t(members.size()));
    for (const GroupMember& m : members) {
        w.U8(m.width).U8(m.height).U8(m.colours).U8(0).U16(m.planes).U16(m.bitCount);
        w.U32(m.bytes).U16(m.id);
    }
    return w.Take();
}

const Bytes kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

Bytes PngChunk(std::string_view type, const Bytes& data, std::uint32_t crc) {
    ByteWriter w;
    w.U32BigEndian(std::uint32_t(data.size())).Ascii(type).Append(data).U32BigEndian(crc);
    return w.Take();
}

Bytes PngHeaderData(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth,
                    std::uint8_t colourType) {
    ByteWriter w;
    w.U32BigEndian(width).U32BigEndian(height).U8(bitDepth).U8(colourType).Fill(3);
    return w.Take();
}

Bytes StringBlock(const std::vector<std::u16string>& strings) {
    ByteWriter w;
    for (std::size_t i = 0; i < 16; ++i) {
        std::u16string_view s = i < strings.size() ? std::u16string_view(strings[i]) : u"";
        w.U16(std::uint32_t(s.size())).Utf16(s);
    }
    return w.Take();
}

Bytes RiffChunk(std::string_view id, const Bytes& data) {
    return ByteWriter().Ascii(id).U32(std::uint32_t(data.size())).Append(data).Align(2).Take();
}

Bytes AconFile(const Bytes& chunks) {
    return ByteWriter().Ascii("RIFF").U32(std::uint32_t(chunks.size() + 4)).Ascii("ACON").Take() +
           chunks;
}

Bytes AniHeaderChunk(std::uint32_t frames, std::uint32_t rate) {
    return RiffChunk("anih",
                     ByteWriter().U32(36).U32(frames).U32(frames).Fill(16).U32(rate).U32(1).Take());
}

Bytes AniFramesChunk(const std::vector<Bytes>& frames) {
    Bytes list = BytesOf("fram");
    for (const Bytes& frame : frames)
        list = list + RiffChunk("icon", frame);
    return RiffChunk("LIST", list);
}

} // namespace vellum::test
