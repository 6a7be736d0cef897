// The module names that error-trail records carry, one constant per part of the program.
//
// Users read these names in the error box and in vellum.log, and reports quote them, so they
// stay the names they have always been even where the code they label has been renamed: the
// project model, the group editor and the operations still report as "VelDoc", and the icon
// library writer as "DumpNe".
#pragma once

namespace vellum::trail {

inline constexpr const char* kProject = "VelDoc";
inline constexpr const char* kOperations = "VelDoc";
inline constexpr const char* kDocumentWindow = "VelDoc";
inline constexpr const char* kExeDumper = "EXEDUMP";
inline constexpr const char* kNeDumper = "DumpNe";
inline constexpr const char* kNeWriter = "DumpNe";
inline constexpr const char* kCompiler = "compile";
inline constexpr const char* kColorizer = "ColorizeWnd";
inline constexpr const char* kIconset = "IconSet";
inline constexpr const char* kShellLink = "ShellLink";
inline constexpr const char* kWinePrefix = "WinePrefix";
inline constexpr const char* kErrorBox = "ErrorDlg";
// The batch modes and the application itself.
inline constexpr const char* kVellum = "Vellum";

} // namespace vellum::trail
