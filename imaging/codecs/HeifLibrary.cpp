#include "HeifLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/processes/DynamicLibrary.h"

// Hidden: the forwarders below must never stand in for libheif's own functions, not even
// for the library's calls to itself, should a program export its symbols.
#pragma GCC visibility push(hidden)
#include <libheif/heif.h>

namespace {

// Every libheif function the program calls, each with a forwarder below. As the program
// does not link libheif, one without a forwarder shows as an undefined reference.
#define PLENMAR_HEIF_FUNCTIONS(F)                   \
    F(heif_init)                                    \
    F(heif_context_alloc)                           \
    F(heif_context_free)                            \
    F(heif_context_set_maximum_image_size_limit)    \
    F(heif_context_set_max_decoding_threads)        \
    F(heif_context_read_from_reader)                \
    F(heif_context_read_from_memory_without_copy)   \
    F(heif_context_get_primary_image_handle)        \
    F(heif_image_handle_release)                    \
    F(heif_image_handle_get_width)                  \
    F(heif_image_handle_get_height)                 \
    F(heif_image_handle_get_ispe_width)             \
    F(heif_image_handle_get_ispe_height)            \
    F(heif_image_handle_get_luma_bits_per_pixel)    \
    F(heif_image_handle_get_chroma_bits_per_pixel)  \
    F(heif_image_handle_has_alpha_channel)          \
    F(heif_image_handle_is_premultiplied_alpha)     \
    F(heif_image_handle_get_color_profile_type)     \
    F(heif_image_handle_get_raw_color_profile_size) \
    F(heif_image_handle_get_raw_color_profile)      \
    F(heif_image_handle_get_nclx_color_profile)     \
    F(heif_nclx_color_profile_free)                 \
    F(heif_decoding_options_alloc)                  \
    F(heif_decoding_options_free)                   \
    F(heif_decode_image)                            \
    F(heif_image_release)                           \
    F(heif_image_get_plane_readonly)                \
    F(heif_image_get_width)                         \
    F(heif_image_get_height)                        \
    F(heif_image_get_bits_per_pixel_range)

struct Functions {
#define PLENMAR_HEIF_POINTER(name) decltype(&::name) name = nullptr;
    PLENMAR_HEIF_FUNCTIONS(PLENMAR_HEIF_POINTER)
#undef PLENMAR_HEIF_POINTER
};

template <typename Pointer>
bool Resolve(void* library, const char* name, Pointer& pointer) {
    void* symbol = DynamicSymbol(library, name);
    std::memcpy(&pointer, &symbol, sizeof pointer);
    return symbol != nullptr;
}

const Functions* Load() {
    void* library = OpenDynamicLibrary("libheif.so.1");
    if (library == nullptr) {
        return nullptr;
    }
    static Functions functions;
    bool complete = true;
#define PLENMAR_HEIF_RESOLVE(name) complete = Resolve(library, #name, functions.name) && complete;
    PLENMAR_HEIF_FUNCTIONS(PLENMAR_HEIF_RESOLVE)
#undef PLENMAR_HEIF_RESOLVE
    if (!complete) {
        CloseDynamicLibrary(library);
        return nullptr;
    }
    return &functions;
}

const Functions* Loaded() {
    // Thread-safe: static initialisation happens once, whichever worker comes first.
    static const Functions* const functions = Load();
    return functions;
}

const Functions& Api() {
    const Functions* functions = Loaded();
    if (functions == nullptr) {
        // Only a caller that skipped LoadHeifLibrary() gets here.
        std::fputs("libheif called without being loaded\n", stderr);
        std::abort();
    }
    return *functions;
}

}  // namespace

bool LoadHeifLibrary() {
    return Loaded() != nullptr;
}

extern "C" {

heif_error heif_init(heif_init_params* params) {
    return Api().heif_init(params);
}
heif_context* heif_context_alloc(void) {
    return Api().heif_context_alloc();
}
void heif_context_free(heif_context* context) {
    Api().heif_context_free(context);
}
void heif_context_set_maximum_image_size_limit(heif_context* context, int maximum_width) {
    Api().heif_context_set_maximum_image_size_limit(context, maximum_width);
}
void heif_context_set_max_decoding_threads(heif_context* context, int max_threads) {
    Api().heif_context_set_max_decoding_threads(context, max_threads);
}
heif_error heif_context_read_from_reader(heif_context* context, const heif_reader* reader,
                                         void* userdata, const heif_reading_options* options) {
    return Api().heif_context_read_from_reader(context, reader, userdata, options);
}
heif_error heif_context_read_from_memory_without_copy(heif_context* context, const void* memory,
                                                      size_t size,
                                                      const heif_reading_options* options) {
    return Api().heif_context_read_from_memory_without_copy(context, memory, size, options);
}
heif_error heif_context_get_primary_image_handle(heif_context* context,
                                                 heif_image_handle** handle) {
    return Api().heif_context_get_primary_image_handle(context, handle);
}
void heif_image_handle_release(const heif_image_handle* handle) {
    Api().heif_image_handle_release(handle);
}
int heif_image_handle_get_width(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_width(handle);
}
int heif_image_handle_get_height(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_height(handle);
}
int heif_image_handle_get_ispe_width(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_ispe_width(handle);
}
int heif_image_handle_get_ispe_height(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_ispe_height(handle);
}
int heif_image_handle_get_luma_bits_per_pixel(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_luma_bits_per_pixel(handle);
}
int heif_image_handle_get_chroma_bits_per_pixel(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_chroma_bits_per_pixel(handle);
}
int heif_image_handle_has_alpha_channel(const heif_image_handle* handle) {
    return Api().heif_image_handle_has_alpha_channel(handle);
}
int heif_image_handle_is_premultiplied_alpha(const heif_image_handle* handle) {
    return Api().heif_image_handle_is_premultiplied_alpha(handle);
}
heif_color_profile_type heif_image_handle_get_color_profile_type(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_color_profile_type(handle);
}
size_t heif_image_handle_get_raw_color_profile_size(const heif_image_handle* handle) {
    return Api().heif_image_handle_get_raw_color_profile_size(handle);
}
heif_error heif_image_handle_get_raw_color_profile(const heif_image_handle* handle,
                                                   void* out_data) {
    return Api().heif_image_handle_get_raw_color_profile(handle, out_data);
}
heif_error heif_image_handle_get_nclx_color_profile(const heif_image_handle* handle,
                                                    heif_color_profile_nclx** out_data) {
    return Api().heif_image_handle_get_nclx_color_profile(handle, out_data);
}
void heif_nclx_color_profile_free(heif_color_profile_nclx* profile) {
    Api().heif_nclx_color_profile_free(profile);
}
heif_decoding_options* heif_decoding_options_alloc() {
    return Api().heif_decoding_options_alloc();
}
void heif_decoding_options_free(heif_decoding_options* options) {
    Api().heif_decoding_options_free(options);
}
heif_error heif_decode_image(const heif_image_handle* handle, heif_image** out_img,
                             heif_colorspace colorspace, heif_chroma chroma,
                             const heif_decoding_options* options) {
    return Api().heif_decode_image(handle, out_img, colorspace, chroma, options);
}
void heif_image_release(const heif_image* image) {
    Api().heif_image_release(image);
}
const uint8_t* heif_image_get_plane_readonly(const heif_image* image, heif_channel channel,
                                             int* out_stride) {
    return Api().heif_image_get_plane_readonly(image, channel, out_stride);
}
int heif_image_get_width(const heif_image* image, heif_channel channel) {
    return Api().heif_image_get_width(image, channel);
}
int heif_image_get_height(const heif_image* image, heif_channel channel) {
    return Api().heif_image_get_height(image, channel);
}
int heif_image_get_bits_per_pixel_range(const heif_image* image, heif_channel channel) {
    return Api().heif_image_get_bits_per_pixel_range(image, channel);
}

}  // extern "C"

#pragma GCC visibility pop
