#pragma once

// What the signals that end a program (SIGINT, SIGTERM, SIGHUP) must not leave behind.

// Files of this process that must not outlive it: each is removed when one of those signals
// ends the process. Names are kept in a fixed table, so the handler needs no memory of its
// own; -1 when the name is too long or the table is full, and then the file is not covered.
int RegisterTemporaryFile(const char* path);
void UnregisterTemporaryFile(int slot);
// Around the creation of a registered file: a signal ending the process waits for creations
// under way before it removes the files, and none begins after it came (false, with EINTR).
bool BeginCreatingFile();
void EndCreatingFile();

// SIGINT, SIGTERM, SIGHUP and SIGPIPE (a closed output pipe) remove the registered files and then
// end the process as the signal would (a signal ignored when the program started, as under nohup,
// stays ignored). SIGXFSZ is ignored, so that a file-size limit shows as a failed write with its
// reason instead of ending the process.
void InstallEndingSignalHandlers();

// For a program that ends itself in good order: the first of those signals only writes its
// number (one byte) to `fd` and marks the ending as requested; any later one ends the
// process as above. SIGPIPE is then ignored: the failed write says enough.
void DeferFirstEndingSignal(int fd);

// Whether a deferred ending signal came: long work looks at it and stops.
bool EndingRequested();
