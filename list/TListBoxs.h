#pragma once

#include "list/PlaylistModel.h"

#include <QListView>

class TScrbar;

// The playlist's list: it shows the playlist's entries, one column of texts,
// several entries selectable, no native scroll bars; it keeps the playlist's
// own scroll bar in step after every paint, and starts an entry on Enter or a
// double click.
class TListBoxs : public QListView {
    Q_OBJECT
public:
    // Shows items, which outlive the list.
    TListBoxs(QWidget *AOwner, PlaylistModel &items);

    PlaylistModel &items() { return m_items; }
    const PlaylistModel &items() const { return m_items; }
    // The selected rows, in ascending order.
    QList<int> selectedRows() const;
    int topIndex() const;
    void setTopIndex(int index);
    int itemHeight() const;

    // The scroll bar kept in step; it shows only while entries are hidden.
    void setScrollBar(TScrbar *bar) { m_bar = bar; }
    void SyncScrollBar();

signals:
    // The bar's visibility changed: the owner lays the list out again.
    void scrollBarShownChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    PlaylistModel &m_items;
    TScrbar *m_bar = nullptr;
};

extern TListBoxs *PlayListBox;
