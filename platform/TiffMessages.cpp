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

// What libtiff warns of in files it reads correctly all the same.
bool HarmlessTiffWarning(const char* format) {
    for (const char* text : {"Old-style LZW codes", "JPEG strip size exceeds expected"}) {
        if (format != nullptr && std::strncmp(format, text, std::strlen(text)) == 0) {
            return true;
        }
    }
    return false;
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
