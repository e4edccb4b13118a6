// The menu tree as the rest of the layer sees it.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

// The item that a command identifier names below `root`: the first item, other than a pop-up,
// with that identifier and none of `excluded_flags`, searching each pop-up before the items
// after it, the way Win32 does. Null when there is none or `root` is not a menu. The walk goes
// no deeper than the nesting the layer lets a menu have.
MenuItem* find_command_item(HMENU root, UINT_PTR command, UINT excluded_flags = 0);

}  // namespace kd508::platform
