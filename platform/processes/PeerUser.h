#pragma once

// Whether the other end of a connected local socket runs as this process's user. Anything
// handed over such a socket (a command line, the panel's values) is meant for the user alone.
bool PeerIsThisUser(long long socketDescriptor);
