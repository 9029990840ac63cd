#pragma once

#include <QString>

class QObject;
class QWidget;

// Applies a language file (language/<name>.ini beside the executable) to the
// windows. Menu items are the QActions a window owns directly, matched by
// object name; a caption "-" turns the item into a separator. Each routine
// does nothing for an empty language name and leaves IniFileName as it was.

// Font of the playlist window, captions of its menu items, then the same font,
// the menu captions and the skinned buttons' hints of the main window.
void ApplyListLanguage(QWidget *listWindow, QWidget *mainWindow, const QString &Language);

// Captions of the player window's menu items and the filter of its open-file
// dialog ("desc|pattern|..."; "All Files(*.*)|*.*" when the file has none).
void ApplyPlayerLanguage(QObject *playerWindow, QString &openFilter, const QString &Language);

// Font sizes outside this range in a language file are ignored.
constexpr int MinFontPoints = 1;
constexpr int MaxFontPoints = 72;
