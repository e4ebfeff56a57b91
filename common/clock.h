#pragma once
// The one source of "now" for the whole program, so tests can fix the date and time.

#include <QDateTime>
#include <optional>

namespace zarvo::Clock {

/// The current local date and time, or the fixed time while one is set.
QDateTime now();
/// Fixes "now" for tests; a fixed clock does not advance by itself.
void setFixed(const QDateTime &when);
/// Returns to the system clock.
void clearFixed();

} // namespace zarvo::Clock
