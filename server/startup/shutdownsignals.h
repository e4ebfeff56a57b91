#pragma once
// The end of a desktop session (and Ctrl+C, a service stop) reaches the program as SIGTERM,
// SIGINT or SIGHUP. Their default is to die on the spot, leaving sockets to the kernel and the
// write-ahead log unmerged; here they become an ordinary close on the event loop instead.

#include <QObject>
#include <functional>

namespace zarvo {

/// From now on SIGTERM, SIGINT and SIGHUP run `close` on `context`'s thread, once per signal,
/// through a pipe written by the handler (the only safe thing a handler can do).
void closeOnTerminationSignals(QObject *context, std::function<void()> close);

} // namespace zarvo
