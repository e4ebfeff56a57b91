#pragma once
// Dates and times as the desktop shows them (the system locale), for the punch windows.

#include <QDateTime>
#include <QString>

namespace zarvo::SystemTexts {

/// The general date-and-time text: the short date with a four-digit year, then the long time
/// with seconds (U.S. settings: "1/7/2009 3:04:05 PM").
QString generalDateTime(const QDateTime &when);
/// The long time with seconds, without a time zone ("3:04:05 PM").
QString time(const QTime &when);

} // namespace zarvo::SystemTexts
