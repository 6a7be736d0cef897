// The command line: batch modes (Compile, Decompile, Extract, Insert, SnapShot, Apply, Restore,
// Colorize, Script) and their options. Flags start with "-" or "/"; option names ignore case;
// options that take a value are prefixes ("-Output:folder"). A "/" argument is a flag only when it
// names an option, so absolute paths stay file names.
#pragma once

#include <string>
#include <vector>

namespace vellum {

// Windows resource type numbers the command line can name.
enum CommandLineType { kTypeCursor = 1, kTypeIcon = 3, kTypeCursorGroup = 12, kTypeIconGroup = 14 };

struct CommandLine {
    bool compile = false;
    bool decompile = false;
    bool outputGiven = false;
    bool extract = false;
    bool insert = false;
    bool snapshot = false;
    bool apply = false;
    bool restore = false;
    bool colorize = false;
    bool script = false;
    bool batch = false; // any of snapshot, apply, restore, colorize, script, insert, extract,
                        // decompile, compile
    int resourceType = 0;
    int resourceId = 0;
    int language = 1033;
    std::string sourcePath;
    std::string secondPath;
    std::string outputPath;
    std::string resourceName;
    std::string applyPath;        // the iconset "Apply:" names
    std::string restorePath;      // the backup folder "Restore:" names
    std::string colorizeSettings; // the settings file "Colorize:" names

    std::string fileName;                 // the first plain parameter
    std::vector<std::string> extraParams; // further plain parameters
    std::vector<std::string> unknownFlags;
    bool showHelp = false;
    bool showVersion = false;

    // One argument: a flag without its leading character, or a plain parameter.
    void ParseParam(const std::string& param, bool flag);
};

// Parses argv[1..]. "-h", "--help" and "--version" are recognised as whole arguments.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The conversion the options use: leading blanks and a sign accepted, digits up to the first
// other character, 0 when there are none.
int ParseNumber(const std::string& text);

} // namespace vellum
