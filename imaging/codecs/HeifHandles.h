#pragma once

#include <libheif/heif.h>

#include <memory>

// Owners of what libheif hands out, for the files that decode HEIF pictures.

// Tiles decoded at once, by libheif or by us; each holds its coded picture and conversions
// meanwhile.
inline constexpr int kTileThreads = 4;

struct HeifContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HeifHandleFree {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct HeifImageFree {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
using HeifContextPtr = std::unique_ptr<heif_context, HeifContextFree>;
using HeifHandlePtr = std::unique_ptr<heif_image_handle, HeifHandleFree>;
using HeifImagePtr = std::unique_ptr<heif_image, HeifImageFree>;
