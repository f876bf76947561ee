#pragma once

// Asks the allocator to keep large freed blocks for the next picture instead of handing them
// back to the system at once, and to serve all threads from one pool. A batch of large
// pictures then reuses the same memory (fresh pages cost dearly: every one is faulted in
// and zeroed) and the threads' pools do not each keep their own. Call before any thread.
void KeepFreedMemoryForReuse();

// Hands the free memory the allocator keeps back to the system, as far as it can: after a
// batch of pictures in a program that goes on running.
void ReturnFreedMemory();
