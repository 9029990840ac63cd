#include "PlaylistModel.h"

#include <QCollator>
#include <QFont>

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
    findPlayingRow();
    endResetModel();
}

void PlaylistModel::replaceAll(const QStringList &entries)
{
    beginResetModel();
    m_entries = entries;
    if (m_sorted)
        SortIgnoringCase(m_entries);
    findPlayingRow();
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
        if (m_playingRow == rows.first())
            m_playingRow = -1;
        else if (m_playingRow > rows.first())
            --m_playingRow;
        endRemoveRows();
        return;
    }
    beginResetModel();
    QStringList kept;
    kept.reserve(m_entries.size() - rows.size());
    int next = 0;
    int playing = -1;
    for (int i = 0; i < count(); ++i) {
        if (next < rows.size() && rows[next] == i) {
            ++next;
        } else {
            if (i == m_playingRow)
                playing = int(kept.size());
            kept.append(m_entries[i]);
        }
    }
    m_entries = std::move(kept);
    m_playingRow = playing;
    endResetModel();
}

void PlaylistModel::clear()
{
    beginResetModel();
    m_entries.clear();
    m_playingRow = -1;
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
    findPlayingRow();
    endResetModel();
}

void PlaylistModel::setPlaying(const QString &file, int row)
{
    m_playingFile = file;
    if (file.isEmpty())
        markRow(-1);
    else if (row >= 0 && row < count() && m_entries[row] == file)
        markRow(row);
    else
        markRow(int(m_entries.indexOf(file)));
}

void PlaylistModel::markRow(int row)
{
    const int old = m_playingRow;
    m_playingRow = row;
    for (int changed : {old, row}) {
        if (changed >= 0 && changed < count())
            emit dataChanged(index(changed), index(changed), {Qt::FontRole});
    }
}

// After a sort or a new set of entries, the mark goes with the text.
void PlaylistModel::findPlayingRow()
{
    m_playingRow = m_playingFile.isEmpty() ? -1 : int(m_entries.indexOf(m_playingFile));
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
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return m_entries[index.row()];
    case Qt::ToolTipRole:
        // A tool tip that looks like markup is drawn as markup: an entry's
        // text is quoted so it always reads as it stands.
        return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(m_entries[index.row()].toHtmlEscaped());
    case Qt::FontRole:
        if (index.row() == m_playingRow) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    default: return QVariant();
    }
}
