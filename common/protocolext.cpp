#include "protocolext.h"
#include "protocol.h"
#include <QDateTime>
#include <QRegularExpression>

namespace zarvo::ProtocolExt {

QByteArray frame(const QStringList &fields)
{
    QByteArray out;
    out.append(Start);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(Separator);
        QByteArray bytes = Protocol::encode(fields[i]);
        for (char &c : bytes)
            if (static_cast<unsigned char>(c) < 0x20)
                c = ' ';
        out.append(bytes);
    }
    out.append(End);
    return out.size() > MaxFrameBytes ? QByteArray() : out;
}

QList<Piece> StreamReader::feed(const QByteArray &bytes)
{
    QList<Piece> out;
    if (bad())
        return out;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        if (!m_inFrame) {
            // Seed text runs up to the next frame start: one piece, exactly as received.
            const qsizetype start = bytes.indexOf(Start, i);
            const qsizetype end = start < 0 ? n : start;
            if (end > i) {
                Piece p;
                p.seed = bytes.mid(i, end - i);
                out.append(std::move(p));
            }
            if (start < 0)
                break;
            m_inFrame = true;
            m_frame = QByteArray(1, Start);
            i = start + 1;
            continue;
        }
        // Inside a frame: take bytes up to its end, checking each.
        qsizetype j = i;
        for (; j < n; ++j) {
            const auto c = static_cast<unsigned char>(bytes[j]);
            if (c == static_cast<unsigned char>(End) || c < 0x20)
                break;
        }
        m_frame.append(bytes.constData() + i, j - i);
        if (m_frame.size() + (j < n ? 1 : 0) > MaxFrameBytes) {
            m_error = QStringLiteral("a frame longer than %1 bytes").arg(MaxFrameBytes);
            return out;
        }
        if (j == n)
            break; // the rest comes with a later read
        const char c = bytes[j];
        if (c == Separator) {
            m_frame.append(c);
            i = j + 1;
            continue;
        }
        if (c != End) {
            m_error = QStringLiteral("a control byte 0x%1 inside a frame")
                          .arg(int(static_cast<unsigned char>(c)), 2, 16, QLatin1Char('0'));
            return out;
        }
        Piece p;
        p.kind = Piece::Frame;
        for (const QByteArray &f : m_frame.mid(1).split(Separator))
            p.fields.append(Protocol::decode(f));
        out.append(std::move(p));
        m_frame.clear();
        m_inFrame = false;
        i = j + 1;
    }
    return out;
}

void StreamReader::reset()
{
    m_frame.clear();
    m_inFrame = false;
    m_error.clear();
}

// ---- Messages ----------------------------------------------------------------------------------

namespace {

/// Whole numbers in decimal, without sign or blanks unless `signedOk`, within [lo, hi].
std::optional<qint64> number(const QString &text, qint64 lo, qint64 hi, bool signedOk = false)
{
    static const QRegularExpression unsignedForm(QStringLiteral("^[0-9]{1,15}$"));
    static const QRegularExpression signedForm(QStringLiteral("^-?[0-9]{1,15}$"));
    if (!(signedOk ? signedForm : unsignedForm).match(text).hasMatch())
        return std::nullopt;
    const qint64 v = text.toLongLong();
    if (v < lo || v > hi)
        return std::nullopt;
    return v;
}

bool is(const QStringList &fields, const char *type, qsizetype count)
{
    return fields.size() == count && fields[0] == QLatin1String(type);
}

// Clocks: milliseconds since 1970, up to a far year; a terminal's clock may be anywhere in it
// (the server's offset corrects it).
constexpr qint64 MaxClock = 99'999'999'999'999;
constexpr qint64 MaxWaiting = 1'000'000'000;
constexpr int MaxIdLength = 255;

QString num(qint64 v) { return QString::number(v); }

} // namespace

std::optional<HelloMsg> parseHello(const QStringList &f)
{
    static const QRegularExpression hex32(QStringLiteral("^[0-9a-fA-F]{32}$"));
    static const QRegularExpression version(QStringLiteral("^[0-9]{1,4}$"));
    if (!is(f, Hello, 6) || !version.match(f[1]).hasMatch() || !hex32.match(f[2]).hasMatch())
        return std::nullopt;
    const auto clock = number(f[4], 0, MaxClock);
    const auto waiting = number(f[5], 0, MaxWaiting);
    if (!clock || !waiting)
        return std::nullopt;
    return HelloMsg{f[1], f[2].toLower(), f[3], *clock, int(*waiting)};
}

std::optional<PunchMsg> parsePunch(const QStringList &f)
{
    if (!is(f, Punch, 5) || f[2].isEmpty() || f[2].size() > MaxIdLength)
        return std::nullopt;
    const auto seq = number(f[1], 1, MaxClock);
    const auto typed = number(f[3], 0, MaxClock);
    const auto offset = number(f[4], -MaxClock, MaxClock, true);
    if (!seq || !typed || !offset)
        return std::nullopt;
    return PunchMsg{*seq, f[2], *typed, *offset};
}

std::optional<StatusMsg> parseStatus(const QStringList &f)
{
    if (!is(f, Status, 3))
        return std::nullopt;
    const auto waiting = number(f[1], 0, MaxWaiting);
    const auto clock = number(f[2], 0, MaxClock);
    if (!waiting || !clock)
        return std::nullopt;
    return StatusMsg{int(*waiting), *clock};
}

std::optional<WelcomeMsg> parseWelcome(const QStringList &f)
{
    static const QRegularExpression version(QStringLiteral("^[0-9]{1,4}$"));
    if (!is(f, Welcome, 3) || !version.match(f[1]).hasMatch())
        return std::nullopt;
    const auto clock = number(f[2], 0, MaxClock);
    if (!clock)
        return std::nullopt;
    return WelcomeMsg{f[1], *clock};
}

std::optional<AckMsg> parseAck(const QStringList &f)
{
    if (!is(f, Ack, 4))
        return std::nullopt;
    const auto seq = number(f[1], 1, MaxClock);
    const QStringList results{QLatin1String(Result::SignedIn), QLatin1String(Result::SignedOut),
                              QLatin1String(Result::Duplicate), QLatin1String(Result::Held),
                              QLatin1String(Result::NotFound)};
    if (!seq || !results.contains(f[2]))
        return std::nullopt;
    return AckMsg{*seq, f[2], f[3]};
}

std::optional<HoursMsg> parseHours(const QStringList &f)
{
    static const QRegularExpression figure(QStringLiteral("^[0-9]{1,6}\\.[0-9]{2}$"));
    if (!is(f, Hours, 3) || !figure.match(f[1]).hasMatch() || !figure.match(f[2]).hasMatch())
        return std::nullopt;
    return HoursMsg{f[1], f[2]};
}

QByteArray helloFrame(const HelloMsg &m)
{
    return frame({QLatin1String(Hello), m.version, m.terminalId, m.hostName, num(m.clockMs), num(m.waiting)});
}
QByteArray punchFrame(const PunchMsg &m)
{
    return frame({QLatin1String(Punch), num(m.seq), m.employeeId, num(m.typedMs), num(m.offsetMs)});
}
QByteArray statusFrame(const StatusMsg &m)
{
    return frame({QLatin1String(Status), num(m.waiting), num(m.clockMs)});
}
QByteArray welcomeFrame(const WelcomeMsg &m)
{
    return frame({QLatin1String(Welcome), m.version, num(m.serverClockMs)});
}
QByteArray ackFrame(const AckMsg &m) { return frame({QLatin1String(Ack), num(m.seq), m.result, m.name}); }
QByteArray hoursFrame(const HoursMsg &m) { return frame({QLatin1String(Hours), m.today, m.week}); }

qint64 toMs(const QDateTime &when) { return when.toMSecsSinceEpoch(); }
QDateTime fromMs(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms); }

} // namespace zarvo::ProtocolExt
