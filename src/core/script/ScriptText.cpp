// Quoting and numbers in resource scripts.
#include "script/ScriptText.h"

#include "common/CodePage.h"
#include "common/Strings.h"

namespace vellum {

namespace {

constexpr unsigned kPrimaryLanguageBits = 10;
constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;

// The escape a character needs inside quotes; empty for one that stands as it is.
std::string EscapeOf(char16_t unit) {
    switch (unit) {
    case u'"':
        return "\"\"";
    case u'\\':
        return "\\\\";
    case u'\t':
        return "\\t";
    case u'\n':
        return "\\n";
    case u'\r':
        return "\\r";
    default:
        return unit < 0x20 || unit == 0x7F ? Format("\\x%02X", unsigned(unit)) : "";
    }
}

} // namespace

std::string ScriptQuote(std::u16string_view text) {
    std::string out = "\"";
    // Plain characters go to UTF-8 in runs, so that surrogate pairs stay together.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string escape = EscapeOf(text[i]);
        if (escape.empty())
            continue;
        out += Utf16ToUtf8(text.substr(runStart, i - runStart)) + escape;
        runStart = i + 1;
    }
    out += Utf16ToUtf8(text.substr(runStart));
    return out + "\"";
}

std::string ScriptNumber(std::int32_t value) {
    return value < 0 ? Format("(%d)", int(value)) : Format("%d", int(value));
}

std::string ScriptHex(std::uint32_t value) {
    return Format("0x%X", unsigned(value));
}

std::string ScriptName(const NameOrOrdinal& name) {
    if (name.ordinal)
        return Format("%u", unsigned(*name.ordinal));
    return ScriptQuote(name.name);
}

std::string ScriptLanguage(std::uint16_t language) {
    return Format("LANGUAGE %u, %u", unsigned(language & kPrimaryLanguageMask),
                  unsigned(language >> kPrimaryLanguageBits));
}

} // namespace vellum
