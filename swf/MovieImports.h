#pragma once

#include "swf/Definitions.h"

#include <QString>

namespace swf {

// Most files one movie imports characters from.
constexpr int MaxImportFiles = 16;

// Gives the movie the characters it imports (ImportAssets) from the files
// beside it that export them, under the movie's own ids and names; those
// files' own imports are not followed. What cannot be read or is not
// exported stays missing, as an undefined character does.
void ResolveImports(MovieDef &movie, const QString &folder);

} // namespace swf
