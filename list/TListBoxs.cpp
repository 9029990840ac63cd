#include "TListBoxs.h"

TListBoxs *PlayListBox = nullptr;

TListBoxs::TListBoxs(QWidget *AOwner)
    : QListView(AOwner)
{
    setModel(&m_items);
    setUniformItemSizes(true); // keeps 100,000 entries fast
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QList<int> TListBoxs::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}
