#pragma once

#include <QString>

// The folder picker: only folders can be chosen; every run starts afresh,
// with nothing preselected, and the program's other windows take no input
// while it is open.
class TBrowseDialog {
public:
    // The folder chosen by the last successful Execute; empty before.
    QString Directory;
    QString Caption;

    bool Execute();
};
