#pragma once

// Libraries loaded while the program runs, so that the program starts without them and says
// so only when a picture needs one.

// The library of that name (as the loader looks it up), with its symbols kept to itself;
// null when it cannot be loaded.
void* OpenDynamicLibrary(const char* name);
// The address of a symbol of an opened library; null when it has none of that name.
void* DynamicSymbol(void* library, const char* name);
void CloseDynamicLibrary(void* library);

// Whether the process may open one more file: a library (or plugin) that failed to load for
// lack of file descriptors would otherwise look missing.
bool CanOpenAFile();
