#pragma once

// Lowers the calling thread's scheduling priority a few steps below the process's, so that
// long work on it leaves the user interface's thread the processor whenever it needs it.
void LowerThisThreadsPriority();
