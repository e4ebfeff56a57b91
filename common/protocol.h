#pragma once
// The punch protocol between a terminal and the server: unframed single-byte text on TCP.

#include <QByteArray>
#include <QString>

namespace zarvo::Protocol {

constexpr quint16 Port = 50505;

inline constexpr char ConnectionAccepted[] = "CRA";
inline constexpr char NotFound[] = "NRF";
inline constexpr char SignedIn[] = "RIN";
inline constexpr char SignedOut[] = "OUT";

/// Wire text is Windows-1252: one byte per character, never UTF-8.
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

} // namespace zarvo::Protocol
