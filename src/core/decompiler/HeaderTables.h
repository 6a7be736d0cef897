// The two header tables of a project folder, DosHeader.hdr and NTHeader.hdr: one XML row per
// header field with its offset, name, type, size, value and description.
#pragma once

#include "common/ByteView.h"
#include "formats/PeImage.h"

#include <string>

namespace vellum {

// The texts with LF line ends; they are stored with CR LF (see ToCrLf). DosHeader.hdr has no
// line break after its last line, NTHeader.hdr has one.
std::string DosHeaderTable(ByteView file);
std::string NtHeaderTable(const PeImage& image);

// Every LF becomes CR LF, as a C text-mode stream writes it on Windows.
std::string ToCrLf(const std::string& text);

} // namespace vellum
