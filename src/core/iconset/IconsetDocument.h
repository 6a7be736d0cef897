// The snapshot document IconSnapShot.xml (saved as "<name>.iconset"): adding collected icons.
//
//   <Root>
//     <Icons>   one element per icon, named with the entry's tag, ascending by Icon:
//       <MyComputer Loc="HKCS\{20D04FE0-...}" Icon="C:\windows\system32\shell32.dll,15"/>
//       <Computer Icon="$REPEAT$"/>        the same icon as the element before it
//     <Blanks>  entries for which no icon was found, newest first, Icon empty
#pragma once

#include "common/XmlDocument.h"

#include <string_view>

namespace vellum {

// Marks an icon equal to the one of the element before it.
inline constexpr std::string_view kRepeatMarker = "$REPEAT$";

// The source attribute that produced an icon ("Loc" or "csidl") with its value; an empty name
// means no source.
struct IconSource {
    std::string_view name;
    std::string_view value;
};

// Adds an element to \Root\Icons before the first child whose Icon is greater (bytewise, case
// significant); when a child already has this Icon the new element goes right after it and
// carries "$REPEAT$" instead.
XmlNode* InsertIcon(XmlDocument& snapshot, std::string_view tag, IconSource source,
                    std::string_view icon);

// Adds an element with an empty Icon in front of the other children of \Root\Blanks.
XmlNode* InsertBlank(XmlDocument& snapshot, std::string_view tag, IconSource source);

} // namespace vellum
