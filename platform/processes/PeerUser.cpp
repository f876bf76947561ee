#include "PeerUser.h"

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

bool PeerIsThisUser(long long socketDescriptor) {
    struct ucred peer {};
    socklen_t length = sizeof(peer);
    if (socketDescriptor < 0 || ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET,
                                             SO_PEERCRED, &peer, &length) != 0) {
        return false;
    }
    return peer.uid == ::geteuid();
}
