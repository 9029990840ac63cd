#pragma once

#include <QString>
#include <QStringList>

// The lines of a text, split at CR LF, lone CR and lone LF. A break at the
// very end adds no empty line; an empty text has no lines.
QStringList SplitLines(const QString &text);
