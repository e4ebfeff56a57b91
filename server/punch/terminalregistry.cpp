#include "terminalregistry.h"
#include <algorithm>

namespace zarvo {
namespace {
TerminalRegistry *g_current = nullptr;
}

TerminalRegistry *TerminalRegistry::current() { return g_current; }
void TerminalRegistry::setCurrent(TerminalRegistry *registry) { g_current = registry; }

TerminalRegistry::Terminal &TerminalRegistry::entry(const QString &key, const QString &name, const QString &address)
{
    auto it = m_terminals.find(key);
    if (it == m_terminals.end()) {
        Terminal t;
        t.key = key;
        t.name = name;
        t.firstSeen = ++m_seq;
        it = m_terminals.insert(key, t);
    }
    it->address = address;
    return *it;
}

TerminalRegistry::Terminal *TerminalRegistry::ofSlot(qint64 slot)
{
    const auto key = m_slotKey.constFind(slot);
    if (key == m_slotKey.cend())
        return nullptr;
    const auto it = m_terminals.find(*key);
    return it == m_terminals.end() ? nullptr : &*it;
}

void TerminalRegistry::attach(qint64 slot, const QString &key, const QDateTime &at)
{
    Terminal &t = m_terminals[key];
    m_slotKey.insert(slot, key);
    if (t.connections++ == 0) {
        ++m_connected;
        m_away.erase({t.leftSeq, key});
        t.connectedSince = at;
    }
    t.lastSeen = at;
    ++m_revision;
}

void TerminalRegistry::detach(qint64 slot, const QDateTime &at, bool forgetIfUnused)
{
    Terminal *t = ofSlot(slot);
    m_slotKey.remove(slot);
    if (m_slotKey.isEmpty())
        m_slotKey.squeeze(); // a flood of connections that came and went leaves nothing behind
    if (!t)
        return;
    ++m_revision;
    t->lastSeen = at;
    if (--t->connections > 0)
        return;
    --m_connected;
    // A connection that introduced itself at once was that terminal all along, not another.
    if (forgetIfUnused && !t->lastPunch.isValid()) {
        m_terminals.remove(t->key);
        return;
    }
    t->leftSeq = ++m_seq;
    m_away.emplace(t->leftSeq, t->key);
    // Addresses that come and go without end must not make the list grow without end.
    while (int(m_away.size()) > MaxAway)
        forget(QString(m_away.begin()->second));
}

void TerminalRegistry::forget(const QString &key)
{
    const auto it = m_terminals.find(key);
    if (it == m_terminals.end()) {
        std::erase_if(m_away, [&](const auto &away) { return away.second == key; });
        return;
    }
    m_away.erase({it->leftSeq, key});
    m_terminals.erase(it);
    ++m_revision;
}

void TerminalRegistry::forgetBefore(const QDate &day)
{
    // m_away is in the order the terminals left, so the ones gone before `day` come first.
    while (!m_away.empty()) {
        const QString key = m_away.begin()->second;
        const auto it = m_terminals.constFind(key);
        if (it != m_terminals.cend() && it->lastSeen.date() >= day)
            break;
        forget(key);
    }
}

void TerminalRegistry::connected(qint64 slot, const QString &address, const QDateTime &at)
{
    if (m_slotKey.contains(slot))
        return;
    entry(QStringLiteral("ip:") + address, address, address);
    attach(slot, QStringLiteral("ip:") + address, at);
}

void TerminalRegistry::introduced(qint64 slot, const QString &terminalId, const QString &hostName,
                                  qint64 aheadMs, int waiting, const QDateTime &at)
{
    const QString key = QStringLiteral("id:") + terminalId;
    QString address;
    quint64 listedAt = 0;
    if (const Terminal *before = ofSlot(slot)) {
        address = before->address;
        listedAt = before->firstSeen;
        if (before->key != key)
            detach(slot, at, true);
    }
    const QString name = hostName.trimmed().isEmpty() ? address : hostName.trimmed().left(MaxNameLength);
    const bool isNew = !m_terminals.contains(key);
    Terminal &named = entry(key, name, address);
    named.name = name;
    if (isNew && listedAt)
        named.firstSeen = listedAt; // it keeps the place its connection had in the list
    if (m_slotKey.value(slot) != key)
        attach(slot, key, at);
    Terminal &t = m_terminals[key];
    t.waiting = std::max(waiting, -1);
    t.clockOffsetMs = aheadMs;
    ++m_revision;
}

void TerminalRegistry::reported(qint64 slot, int waiting, qint64 aheadMs, const QDateTime &at)
{
    Terminal *t = ofSlot(slot);
    if (!t)
        return;
    t->waiting = std::max(waiting, -1);
    t->lastSeen = at;
    t->clockOffsetMs = aheadMs;
    ++m_revision;
}

void TerminalRegistry::punched(qint64 slot, const QDateTime &at)
{
    Terminal *t = ofSlot(slot);
    if (!t)
        return;
    if (t->punchDay != at.date()) {
        t->punchDay = at.date();
        t->punchesToday = 0;
    }
    ++t->punchesToday;
    t->lastPunch = at;
    t->lastSeen = at;
    ++m_revision;
}

void TerminalRegistry::disconnected(qint64 slot, const QDateTime &at) { detach(slot, at, false); }

QList<TerminalRegistry::Terminal> TerminalRegistry::terminals(const QDateTime &now)
{
    forgetBefore(now.date());
    QList<Terminal> out;
    out.reserve(m_terminals.size());
    for (const Terminal &t : std::as_const(m_terminals)) {
        out.append(t);
        if (t.punchDay != now.date())
            out.last().punchesToday = 0;
    }
    std::sort(out.begin(), out.end(), [](const Terminal &a, const Terminal &b) { return a.firstSeen < b.firstSeen; });
    return out;
}

int TerminalRegistry::awayCount(const QDateTime &now)
{
    forgetBefore(now.date());
    return int(m_away.size());
}

QString TerminalRegistry::offsetText(qint64 offsetMs)
{
    if (offsetMs >= -OffsetShownMs && offsetMs <= OffsetShownMs)
        return {};
    const qint64 seconds = (offsetMs < 0 ? -offsetMs : offsetMs) / 1000;
    QString text;
    if (seconds >= 3600)
        text = QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
    else
        text = QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return text + (offsetMs > 0 ? QStringLiteral(" ahead") : QStringLiteral(" behind"));
}

} // namespace zarvo
