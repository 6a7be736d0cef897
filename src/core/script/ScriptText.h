// The pieces of resource-script text: quoted strings, numbers, names and LANGUAGE lines, as
// windres and the Windows resource compiler read them from a UTF-8 script.
#pragma once

#include "formats/TemplateFields.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vellum {

// A quoted string in UTF-8: quotes doubled, backslashes, tabs, line breaks and other control
// characters escaped.
std::string ScriptQuote(std::u16string_view text);
// A signed number; negative ones in parentheses, which windres needs where a statement starts
// with a number.
std::string ScriptNumber(std::int32_t value);
// "0x%X".
std::string ScriptHex(std::uint32_t value);
// A resource or class name: an ordinal as a number, a name as a quoted string.
std::string ScriptName(const NameOrOrdinal& name);
// "LANGUAGE primary, sub" for a language ID.
std::string ScriptLanguage(std::uint16_t language);

} // namespace vellum
