#pragma once
// How many connections the process can hold: the descriptor limit, raised once.

namespace zarvo {

/// Raises the soft limit of open descriptors to the hard limit (once per process) and returns
/// the soft limit now in force.
long raiseOpenFileLimit();

/// Connections the punch server keeps at most: the descriptor limit less a reserve for the
/// database, the windows and the listener, and never more than 32767.
int defaultConnectionCap();

} // namespace zarvo
