#pragma once

#include <QString>

// The first IPv4 address the system's host-name lookup gives for this computer's own name, in
// dotted form; "" when there is none. Blocking: run it off the window thread.
QString LookUpLocalAddress();
