#pragma once

// Whether the window system tells and takes the places of top-level windows. Wayland does
// neither: there a window's position reads as (0, 0), and moving one does nothing, so a
// position read there is no position to keep.
bool WindowPositionsKnown();
