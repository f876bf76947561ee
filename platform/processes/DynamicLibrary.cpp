#include "DynamicLibrary.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void* OpenDynamicLibrary(const char* name) {
    // RTLD_LOCAL: its symbols stay out of the way of everything loaded later.
    return ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* DynamicSymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

void CloseDynamicLibrary(void* library) {
    ::dlclose(library);
}

bool CanOpenAFile() {
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno != EMFILE && errno != ENFILE;
    }
    ::close(fd);
    return true;
}
