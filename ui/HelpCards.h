#pragma once

#include "ImageButton.h"

// The pictures of the three help buttons: the card of bitmap `id` (131, 134 or 136) with its
// words written on it at the screen's device-pixel ratio, so that they are as sharp as any
// text there. Null pictures for other ids.
PictureAt HelpCard(int id);
