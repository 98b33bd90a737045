#include "MprisPlayerChoice.h"

void MprisPlayerChoice::add(const QString& owner, const QString& name)
{
    // A player found paused counts as paused before anything seen later.
    m_entries.insert(owner, Entry { name, Status::unknown, 0, 0 });
}

void MprisPlayerChoice::remove(const QString& owner)
{
    m_entries.remove(owner);
}

void MprisPlayerChoice::setStatus(const QString& owner, Status status)
{
    const auto it = m_entries.find(owner);
    if (it == m_entries.end() || it->status == status)
        return;
    const bool wasKnown = it->status != Status::unknown;
    it->status = status;
    if (!wasKnown && status == Status::paused)
        return;
    if (status == Status::playing)
        it->startedPlaying = ++m_sequence;
    else if (status == Status::paused)
        it->paused = ++m_sequence;
}

void MprisPlayerChoice::setPreferences(const QString& preferred, const QStringList& ignored)
{
    m_preferred = preferred;
    m_ignored = ignored;
}

QString MprisPlayerChoice::chosen() const
{
    QString best;
    const Entry* bestEntry = nullptr;
    const auto rank = [this](const Entry& e) -> std::pair<int, quint64> {
        if (e.status == Status::playing)
            return { !m_preferred.isEmpty() && e.name == m_preferred ? 3 : 2, e.startedPlaying };
        if (e.status == Status::paused)
            return { 1, e.paused };
        return { 0, 0 };
    };
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (m_ignored.contains(it->name) || rank(*it).first == 0)
            continue;
        // Equal ranks (two players found paused) fall to the smaller name, so
        // the choice does not depend on the hash's order.
        if (!bestEntry || rank(*it) > rank(*bestEntry) || (rank(*it) == rank(*bestEntry) && it.key() < best)) {
            best = it.key();
            bestEntry = &*it;
        }
    }
    return best;
}

QStringList MprisPlayerChoice::names() const
{
    QStringList names;
    for (const Entry& entry : m_entries) {
        if (!names.contains(entry.name))
            names << entry.name;
    }
    names.sort();
    return names;
}
