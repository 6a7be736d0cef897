#include "cli/CommandLine.h"

#include "common/Strings.h"

#include <cstdlib>

namespace vellum {

namespace {

enum class Option {
    Compile,
    Decompile,
    Output,
    Extract,
    Insert,
    Lang,
    Name,
    SnapShot,
    Type,
    Source,
    Id,
    Apply,
    Restore,
    Colorize,
    Script
};

struct OptionName {
    Option option;
    const char* name;
    bool prefix; // takes the rest of the flag as its value
};

// Tested in this order; the first match wins.
// clang-format off
constexpr OptionName kOptions[] = {
    {Option::Compile, "Compile", false},
    {Option::Decompile, "Decompile", false},
    {Option::Output, "Output:", true},
    {Option::Extract, "Extract:", true},
    {Option::Insert, "Insert:", true},
    {Option::Lang, "Lang:", true},
    {Option::Name, "Name:", true},
    {Option::SnapShot, "SnapShot:", true},
    {Option::Type, "Type:", true},
    {Option::Source, "Source:", true},
    {Option::Id, "ID:", true},
    {Option::Apply, "Apply:", true},
    {Option::Restore, "Restore:", true},
    {Option::Colorize, "Colorize:", true},
    {Option::Script, "Script", false},
};
// clang-format on

const OptionName* MatchOption(const std::string& flag) {
    for (const OptionName& o : kOptions) {
        std::string_view name = o.name;
        if (o.prefix ? (flag.size() >= name.size() &&
                        EqualsNoCase(std::string_view(flag).substr(0, name.size()), name))
                     : EqualsNoCase(flag, name))
            return &o;
    }
    return nullptr;
}

int TypeFromWord(const std::string& word, int current) {
    if (EqualsNoCase(word, "Icon"))
        return kTypeIcon;
    if (EqualsNoCase(word, "Cursor"))
        return kTypeCursor;
    if (EqualsNoCase(word, "IconGroup"))
        return kTypeIconGroup;
    if (EqualsNoCase(word, "CursorGroup"))
        return kTypeCursorGroup;
    return current;
}

} // namespace

int ParseNumber(const std::string& text) {
    return int(std::strtol(text.c_str(), nullptr, 10));
}

void CommandLine::ParseParam(const std::string& param, bool flag) {
    if (!flag) {
        (fileName.empty() ? fileName : extraParams.emplace_back()) = param;
        return;
    }
    const OptionName* option = MatchOption(param);
    if (!option) {
        unknownFlags.push_back(param);
        return;
    }
    std::string value = option->prefix ? param.substr(std::string_view(option->name).size()) : "";
    switch (option->option) {
    case Option::Compile:
        compile = true;
        break;
    case Option::Decompile:
        decompile = true;
        break;
    case Option::Output:
        outputGiven = true;
        outputPath = value;
        break;
    case Option::Extract:
        extract = true;
        resourceId = ParseNumber(value);
        break;
    case Option::Insert:
        insert = true;
        sourcePath = value;
        break;
    case Option::Lang:
        language = ParseNumber(value);
        break;
    case Option::Name:
        resourceName = value;
        break;
    case Option::SnapShot:
        secondPath = value;
        snapshot = true;
        break;
    case Option::Type:
        resourceType = TypeFromWord(value, resourceType);
        break;
    case Option::Source:
        sourcePath = value;
        break;
    case Option::Id:
        resourceId = ParseNumber(value);
        break;
    case Option::Apply:
        applyPath = value;
        apply = true;
        break;
    case Option::Restore:
        restorePath = value;
        restore = true;
        break;
    case Option::Colorize:
        colorizeSettings = value;
        colorize = true;
        break;
    case Option::Script:
        script = true;
        break;
    }
    batch = snapshot || apply || restore || colorize || script || insert || extract || decompile ||
            compile;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine info;
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            info.showHelp = true;
        } else if (arg == "--version") {
            info.showVersion = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            info.ParseParam(arg.substr(1), true);
        } else if (arg.size() > 1 && arg[0] == '/' && MatchOption(arg.substr(1))) {
            info.ParseParam(arg.substr(1), true);
        } else {
            info.ParseParam(arg, false);
        }
    }
    return info;
}

} // namespace vellum
