// Accelerator entries as a user reads them: "Ctrl+Shift+F5", "Alt+Enter", "Ctrl+O".
//
// A virtual-key entry names a key of the keyboard (VK_ codes: letters and digits are their
// capital ASCII codes, F1 is 0x70, the arrows 0x25 to 0x28, the number pad 0x60 to 0x6F, ...) and
// takes Shift, Ctrl and Alt from its flags. An ASCII entry names the character typed; codes 1 to
// 26 are Ctrl with a letter, and only Alt applies among the flags.
#pragma once

#include "formats/AcceleratorTable.h"

#include <string>

namespace vellum {

// The key alone: "F5", "Del", "O", "Num +", or the character of an ASCII entry.
std::string AcceleratorKeyName(const Accelerator& entry);
// The modifiers the entry needs, joined with '+': "Ctrl+Shift", "" for none.
std::string AcceleratorModifiers(const Accelerator& entry);
// Both: "Ctrl+Shift+F5".
std::string AcceleratorText(const Accelerator& entry);

} // namespace vellum
