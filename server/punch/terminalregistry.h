#pragma once
// What the operator needs to know of each terminal, kept by the punch server as terminals
// come, punch, report and go: the figures of the Terminals window and of the console's
// status bar. Widget-free; times are passed in, so it never reads a clock of its own.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <set>

namespace zarvo {

class TerminalRegistry {
public:
    /// Terminals gone today that are still listed at most; the longest gone are forgotten first.
    static constexpr int MaxAway = 1000;
    /// A terminal's clock further off than this is pointed out: its employees' times are off.
    static constexpr qint64 OffsetShownMs = 60'000;
    /// Longest host name kept (the rest is cut).
    static constexpr int MaxNameLength = 64;

    struct Terminal {
        QString key;             ///< "id:" + the terminal's own id, or "ip:" + its address
        QString name;            ///< the host name it reported, or its address
        QString address;         ///< where it last connected from
        int connections = 0;     ///< open connections; 0 = away
        QDateTime connectedSince;
        QDateTime lastSeen;      ///< when it last did anything; for an away one, when it left
        QDateTime lastPunch;     ///< invalid before its first punch
        int punchesToday = 0;    ///< punches recorded from it on the day of `now`
        int waiting = -1;        ///< punches it holds, as it last reported; -1 unknown
        std::optional<qint64> clockOffsetMs; ///< its clock minus the server's, when it said
        quint64 firstSeen = 0;   ///< listing order
        quint64 leftSeq = 0;     ///< order of leaving, while away
        QDate punchDay;          ///< the day punchesToday counts
    };

    /// The registry the running punch server keeps (nullptr when none runs).
    static TerminalRegistry *current();
    static void setCurrent(TerminalRegistry *registry);

    /// A connection opened: a terminal known by its address until it introduces itself.
    void connected(qint64 slot, const QString &address, const QDateTime &at);
    /// The terminal on `slot` introduced itself (extension hello): from now on it is known by
    /// its own id, across reconnections and address changes.
    /// `aheadMs`: how far its clock is ahead of the server's (negative: behind).
    void introduced(qint64 slot, const QString &terminalId, const QString &hostName, qint64 aheadMs,
                    int waiting, const QDateTime &at);
    /// It reported the punches it holds and its clock.
    void reported(qint64 slot, int waiting, qint64 aheadMs, const QDateTime &at);
    /// A punch from it was recorded.
    void punched(qint64 slot, const QDateTime &at);
    void disconnected(qint64 slot, const QDateTime &at);

    /// Connected terminals and those gone earlier on the day of `now`, first seen first.
    QList<Terminal> terminals(const QDateTime &now);
    int connectedCount() const { return m_connected; }
    int awayCount(const QDateTime &now);
    /// Changes whenever anything shown may have changed (a window refreshes only then).
    quint64 revision() const { return m_revision; }

    /// "3 min 5 s ahead", "1 h 2 min behind"; empty within OffsetShownMs.
    static QString offsetText(qint64 offsetMs);

private:
    Terminal &entry(const QString &key, const QString &name, const QString &address);
    Terminal *ofSlot(qint64 slot);
    void attach(qint64 slot, const QString &key, const QDateTime &at);
    void detach(qint64 slot, const QDateTime &at, bool forgetIfUnused);
    void forget(const QString &key);
    void forgetBefore(const QDate &day);

    QHash<QString, Terminal> m_terminals;
    QHash<qint64, QString> m_slotKey;
    std::set<std::pair<quint64, QString>> m_away; ///< by order of leaving
    int m_connected = 0;
    quint64 m_seq = 0;
    quint64 m_revision = 0;
};

} // namespace zarvo
