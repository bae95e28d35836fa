#ifndef HOSTKEYQUESTION_H
#define HOSTKEYQUESTION_H

#include "transfer.h"

// The SSH server is not in known_hosts yet: trust its key? Shows the key's type and fingerprint to
// be compared with the hosting provider's; "no" is the default. Modal, on the GUI thread.
bool trustUnknownHostKey(const HostKeyFacts &facts);

#endif // HOSTKEYQUESTION_H
