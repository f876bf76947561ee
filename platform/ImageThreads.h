#pragma once

// Qt's picture conversions and smooth scaling split large pictures among the threads of
// Qt's global pool and wait for them. A pool thread that cannot be started (no memory for
// its stack, no descriptor for its event loop) never runs its share, and the caller waits
// for ever; GLib even ends the process when it lacks the descriptor. So the pool's few
// threads are started once, while the program is still small, and kept: later conversions
// never start a thread. Call after the application object exists, before any picture.
// False when not every thread could be started.
bool KeepImageThreadsReady();
