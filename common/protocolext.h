#pragma once
// The punch protocol's extension: framed messages beside the seed's unframed text.
//
//   frame = STX field (US field)* ETX, at most MaxFrameBytes bytes with its markers
//   field = Windows-1252 text without any byte below 0x20; the first field is the type
//
// A typed ID never starts with STX (the ID box refuses control characters), so a reader splits
// a stream into seed text (bytes outside frames, handled exactly as the seed does) and frames.
// A terminal that never sends a frame is never sent one.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace zarvo::ProtocolExt {

constexpr char Start = '\x02';     ///< STX: a frame begins
constexpr char End = '\x03';       ///< ETX: the frame ends
constexpr char Separator = '\x1f'; ///< US: between fields
constexpr int MaxFrameBytes = 1024;
inline constexpr char Version[] = "1";

// Message types. Terminal -> server:
inline constexpr char Hello[] = "HELLO";   ///< version terminalId hostName terminalClockMs waitingCount
inline constexpr char Punch[] = "PUNCH";   ///< seq employeeId typedTerminalMs offsetMs
inline constexpr char Status[] = "STATUS"; ///< waitingCount terminalClockMs
// Server -> terminal:
inline constexpr char Welcome[] = "WELCOME"; ///< version serverClockMs
inline constexpr char Ack[] = "ACK";         ///< seq result name
inline constexpr char Hours[] = "HOURS";     ///< todayHours weekHours

/// The results an ACK carries.
namespace Result {
inline constexpr char SignedIn[] = "RIN";
inline constexpr char SignedOut[] = "OUT";
inline constexpr char Duplicate[] = "DUP"; ///< the time was held already: nothing written
inline constexpr char Held[] = "HELD";     ///< set aside for the administrator
inline constexpr char NotFound[] = "NRF";  ///< no such employee: nothing written
} // namespace Result

/// The frame of `fields` (type first). A character below 0x20 inside a field is sent as a
/// blank, so a frame can never be cut short; empty when the frame would pass MaxFrameBytes.
QByteArray frame(const QStringList &fields);

/// One piece of a received stream.
struct Piece {
    enum Kind { Seed, Frame } kind = Seed;
    QByteArray seed;    ///< Seed: the bytes outside any frame, as received
    QStringList fields; ///< Frame: the fields, decoded; type first
};

/// Splits received bytes into seed text and frames, in order. A frame split over reads is kept
/// until its end arrives; frames glued to each other or to seed text are separated. Seed text
/// is handed out as soon as it arrives (the seed reads "whatever has arrived" as one message).
/// A frame longer than MaxFrameBytes, or holding a control byte other than the separator, makes
/// the stream bad: feed() returns what came before it and nothing more is read.
class StreamReader {
public:
    QList<Piece> feed(const QByteArray &bytes);
    bool bad() const { return !m_error.isEmpty(); }
    /// Why the stream is bad, in words ("" while it is sound).
    QString error() const { return m_error; }
    /// Bytes of an unfinished frame being kept.
    qsizetype pending() const { return m_frame.size(); }
    /// Forgets everything (a new connection).
    void reset();

private:
    QByteArray m_frame; ///< from STX on, while inside a frame
    bool m_inFrame = false;
    QString m_error;
};

// ---- Messages, checked field by field ---------------------------------------------------------

struct HelloMsg {
    QString version;
    QString terminalId; ///< 32 hexadecimal digits
    QString hostName;
    qint64 clockMs = 0;
    int waiting = 0;
};
struct PunchMsg {
    qint64 seq = 0;
    QString employeeId;
    qint64 typedMs = 0;
    qint64 offsetMs = 0;
};
struct StatusMsg {
    int waiting = 0;
    qint64 clockMs = 0;
};
struct WelcomeMsg {
    QString version;
    qint64 serverClockMs = 0;
};
struct AckMsg {
    qint64 seq = 0;
    QString result;
    QString name;
};
struct HoursMsg {
    QString today; ///< "3.75"
    QString week;  ///< "31.50"
};

/// Each parse returns nothing unless the fields are exactly that message, every field in form:
/// the type, the field count, whole numbers in range, the terminal id of 32 hex digits, a
/// known ACK result, figures with two decimals.
std::optional<HelloMsg> parseHello(const QStringList &fields);
std::optional<PunchMsg> parsePunch(const QStringList &fields);
std::optional<StatusMsg> parseStatus(const QStringList &fields);
std::optional<WelcomeMsg> parseWelcome(const QStringList &fields);
std::optional<AckMsg> parseAck(const QStringList &fields);
std::optional<HoursMsg> parseHours(const QStringList &fields);

QByteArray helloFrame(const HelloMsg &m);
QByteArray punchFrame(const PunchMsg &m);
QByteArray statusFrame(const StatusMsg &m);
QByteArray welcomeFrame(const WelcomeMsg &m);
QByteArray ackFrame(const AckMsg &m);
QByteArray hoursFrame(const HoursMsg &m);

/// Milliseconds since 1970-01-01 UTC of a local date and time, and back (the clocks of HELLO,
/// WELCOME, STATUS and PUNCH).
qint64 toMs(const QDateTime &when);
QDateTime fromMs(qint64 ms);

} // namespace zarvo::ProtocolExt
