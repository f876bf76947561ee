// Compiled with the include folders of one library to learn whether it can see a header.
#include PROBE_HEADER
