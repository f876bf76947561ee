#include "TiffMessages.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <mutex>

namespace {

std::atomic<bool> g_quiet{false};

using TiffHandler = void (*)(const char*, const char*, va_list);
TiffHandler g_tiffWarning = nullptr;  // libtiff's own, which prints
TiffHandler g_tiffError = nullptr;
thread_local int t_tiffComplaints = 0;
thread_local int t_tiffRefusals = 0;

bool StartsWith(const char* text, const char* start) {
    return text != nullptr && std::strncmp(text, start, std::strlen(start)) == 0;
}

// What libtiff warns of in files it reads correctly all the same. Every old-style JPEG is
// warned of as such, however well it decodes.
bool HarmlessTiffWarning(const char* format) {
    for (const char* text : {"Old-style LZW codes", "JPEG strip size exceeds expected",
                             "Deprecated and troublesome old-style JPEG"}) {
        if (StartsWith(format, text)) {
            return true;
        }
    }
    return false;
}

// libtiff's words for a picture its reader is not made for (64-bit or floating-point grey
// samples, a compression it was built without or does not know), rather than one that is
// damaged. Its reader of whole pictures hands its reason on as the one argument of "%s".
bool SaysKindNotRead(const char* format, va_list args) {
    for (const char* text :
         {"compression support is not configured", "decoding is not implemented"}) {
        if (format != nullptr && std::strstr(format, text) != nullptr) {
            return true;
        }
    }
    if (format == nullptr || std::strcmp(format, "%s") != 0) {
        return StartsWith(format, "Sorry, ");
    }
    va_list copy;
    va_copy(copy, args);
    const char* reason = va_arg(copy, const char*);
    va_end(copy);
    return StartsWith(reason, "Sorry, ");
}

void TiffWarning(const char* module, const char* format, va_list args) {
    if (!HarmlessTiffWarning(format)) {
        ++t_tiffComplaints;
    }
    if (!g_quiet && g_tiffWarning != nullptr) {
        g_tiffWarning(module, format, args);
    }
}

void TiffError(const char* module, const char* format, va_list args) {
    ++t_tiffComplaints;
    if (SaysKindNotRead(format, args)) {
        ++t_tiffRefusals;
    }
    if (!g_quiet && g_tiffError != nullptr) {
        g_tiffError(module, format, args);
    }
}

}  // namespace

// The library is loaded here, and kept, so that Qt's plugin shares it with our handlers. Not
// at start-up: libtiff and the libraries it needs would cost every run, and few meet a TIFF.

void WatchTiffOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        void* tiff = ::dlopen("libtiff.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (tiff == nullptr) {
            return;
        }
        using SetHandler = TiffHandler (*)(TiffHandler);
        const auto set = [tiff](const char* name, TiffHandler handler) {
            SetHandler function = nullptr;
            if (void* symbol = ::dlsym(tiff, name)) {
                std::memcpy(&function, &symbol, sizeof function);
                return function(handler);
            }
            return TiffHandler{nullptr};
        };
        g_tiffWarning = set("TIFFSetWarningHandler", TiffWarning);
        g_tiffError = set("TIFFSetErrorHandler", TiffError);
    });
}

void QuietTiffMessages() {
    g_quiet = true;
}

int TiffComplaints() {
    return t_tiffComplaints;
}

int TiffRefusals() {
    return t_tiffRefusals;
}
