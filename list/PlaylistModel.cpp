#include "PlaylistModel.h"

#include <QCollator>

#include <algorithm>

namespace {
QCollator listCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}
} // namespace

void PlaylistModel::append(const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    if (!m_sorted) {
        beginInsertRows(QModelIndex(), count(), count() + int(entries.size()) - 1);
        m_entries += entries;
        endInsertRows();
        return;
    }
    beginResetModel();
    m_entries += entries;
    sortEntries();
    endResetModel();
}

void PlaylistModel::replaceAll(const QStringList &entries)
{
    beginResetModel();
    m_entries = entries;
    if (m_sorted)
        sortEntries();
    endResetModel();
}

void PlaylistModel::removeRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= count(); }), rows.end());
    if (rows.isEmpty())
        return;
    if (rows.size() == 1) {
        beginRemoveRows(QModelIndex(), rows.first(), rows.first());
        m_entries.removeAt(rows.first());
        endRemoveRows();
        return;
    }
    beginResetModel();
    QStringList kept;
    kept.reserve(m_entries.size() - rows.size());
    int next = 0;
    for (int i = 0; i < count(); ++i) {
        if (next < rows.size() && rows[next] == i)
            ++next;
        else
            kept.append(m_entries[i]);
    }
    m_entries = std::move(kept);
    endResetModel();
}

void PlaylistModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void PlaylistModel::setSorted(bool sorted)
{
    if (sorted == m_sorted)
        return;
    m_sorted = sorted;
    if (!sorted)
        return;
    beginResetModel();
    sortEntries();
    endResetModel();
}

void PlaylistModel::sortEntries()
{
    const QCollator collator = listCollator();
    // Sort keys once per entry rather than comparing strings again and again.
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(size_t(m_entries.size()));
    for (const QString &entry : std::as_const(m_entries))
        keyed.emplace_back(collator.sortKey(entry), entry);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    for (size_t i = 0; i < keyed.size(); ++i)
        m_entries[qsizetype(i)] = std::move(keyed[i].second);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count())
        return QVariant();
    return m_entries[index.row()];
}
