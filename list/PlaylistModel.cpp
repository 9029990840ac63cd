#include "PlaylistModel.h"

#include <QCollator>

#include <algorithm>


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
    SortIgnoringCase(m_entries);
    endResetModel();
}

void PlaylistModel::replaceAll(const QStringList &entries)
{
    beginResetModel();
    m_entries = entries;
    if (m_sorted)
        SortIgnoringCase(m_entries);
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
    SortIgnoringCase(m_entries);
    endResetModel();
}

void PlaylistModel::SortIgnoringCase(QStringList &texts)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Keys are made once per text, and from case-folded text, so case is
    // ignored whatever the collation the locale offers.
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(size_t(texts.size()));
    for (const QString &text : std::as_const(texts))
        keyed.emplace_back(collator.sortKey(text.toCaseFolded()), text);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    for (size_t i = 0; i < keyed.size(); ++i)
        texts[qsizetype(i)] = std::move(keyed[i].second);
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
