#pragma once

#include "list/PlaylistModel.h"

#include <QListView>

// The playlist's list: one column of entry texts, several entries selectable,
// no native scroll bars.
class TListBoxs : public QListView {
    Q_OBJECT
public:
    explicit TListBoxs(QWidget *AOwner);

    PlaylistModel &items() { return m_items; }
    const PlaylistModel &items() const { return m_items; }
    // The selected rows, in ascending order.
    QList<int> selectedRows() const;

private:
    PlaylistModel m_items;
};

extern TListBoxs *PlayListBox;
