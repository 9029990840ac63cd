#include "TListBoxs.h"

#include "list/ListGeometry.h"
#include "list/Playlist.h"
#include "list/TScrbar.h"

#include <QKeyEvent>
#include <QScrollBar>

TListBoxs *PlayListBox = nullptr;

TListBoxs::TListBoxs(QWidget *AOwner, PlaylistModel &items)
    : QListView(AOwner)
    , m_items(items)
{
    setModel(&m_items);
    setUniformItemSizes(true); // keeps 100,000 entries fast
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long paths keep their file name in view; the tool tip has it all.
    setTextElideMode(Qt::ElideMiddle);
}

QList<int> TListBoxs::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TListBoxs::topIndex() const
{
    return verticalScrollBar()->value();
}

void TListBoxs::setTopIndex(int index)
{
    verticalScrollBar()->setValue(index); // the list clamps it to its range
}

int TListBoxs::itemHeight() const
{
    return m_items.count() > 0 ? sizeHintForRow(0) : fontMetrics().height();
}

void TListBoxs::SyncScrollBar()
{
    if (!m_bar)
        return;
    const int hidden = HiddenEntries(m_items.count(), height(), itemHeight());
    const bool show = hidden > 0;
    if (show != m_bar->isVisibleTo(parentWidget())) {
        m_bar->setVisible(show);
        emit scrollBarShownChanged();
    }
    if (show)
        m_bar->SetPosition(ThumbPositionFor(topIndex(), m_bar->height(), hidden));
}

void TListBoxs::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    SyncScrollBar();
}

void TListBoxs::keyPressEvent(QKeyEvent *event)
{
    QListView::keyPressEvent(event);
    const QModelIndex current = currentIndex();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && current.isValid() &&
        selectionModel()->isSelected(current))
        StartEntry(current.row());
}

void TListBoxs::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && under.row() < m_items.count())
        StartEntry(under.row());
}
