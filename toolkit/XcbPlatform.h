// The X11 platform of the panel, through XCB: every panel window has its own
// connection, and no X error or lost connection can end or hang the host.
#pragma once

#include "toolkit/PanelPlatform.h"

namespace gyrelle {

// The process-wide X11 platform (it holds no connection of its own). Any thread.
PanelPlatform& xcbPanelPlatform();

}  // namespace gyrelle
