#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The playlist's entries: texts, as a rule full paths, kept exactly as added.
// While the sorted flag is on, entries stand in ascending order (locale-aware,
// ignoring case) and new ones go to their sorted place; switching it off keeps
// the order, and later entries are appended. Every change is one batch, so a
// view repaints once per operation however many entries it touches.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return int(m_entries.size()); }
    const QString &entry(int index) const { return m_entries[index]; }
    const QStringList &entries() const { return m_entries; }

    void append(const QStringList &entries);
    void replaceAll(const QStringList &entries);
    // Removes the entries at these rows (any order, duplicates ignored).
    void removeRows(QList<int> rows);
    void clear();
    bool sorted() const { return m_sorted; }
    void setSorted(bool sorted);

    // The entry that plays: row, when it holds file, else the first row that
    // does; none for an empty file. The row follows the entry as others are
    // removed or sorted, and is shown in bold.
    void setPlaying(const QString &file, int row);
    int playingRow() const { return m_playingRow; }

    // Sorts ascending, locale-aware and ignoring case, as the list does.
    static void SortIgnoringCase(QStringList &texts);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    void markRow(int row);
    void findPlayingRow();

    QStringList m_entries;
    bool m_sorted = false;
    QString m_playingFile;
    int m_playingRow = -1;
};
