#pragma once

// Qt's picture conversions and smooth scaling split large pictures among the threads of
// Qt's global pool and wait for them. A pool thread that cannot be started (no memory for
// its stack, no descriptor for its event loop) never runs its share, and the caller waits
// for ever; GLib even ends the process when it lacks the descriptor. So the pool's few
// threads are started once, while the program is still small, and kept: later conversions
// never start a thread. The list of Qt's image plugins is read beforehand, and the JPEG and
// GIF plugins opened, for the same reason: a plugin that cannot be opened for want of a
// descriptor stays unknown. Call after the application object exists, before any picture,
// and only where pictures will be converted: it costs a start some milliseconds.
// False, starting none, when the threads could not all be had.
bool KeepImageThreadsReady();

// Whether the threads could be had, and if not, what was lacking: no picture may then be
// converted, for Qt would start them itself and wait for ever.
enum class ImageThreads { Ready, NoMemory, NoDescriptors };
ImageThreads ImageThreadsState();
