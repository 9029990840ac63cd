#pragma once

#include <QString>
#include <QStringList>

// The entries of one folder that are not folders themselves, read byte for
// byte: a name whose bytes are not valid UTF-8 would come back from Qt's
// decoding changed, leading to no file, so such names are reported apart
// instead of being dropped or altered without a word.
struct FolderListing {
    QStringList names;       // decodable names, in the order the folder gives them
    QStringList undecodable; // the others, shown with their bad bytes replaced
};

FolderListing ListFolderFiles(const QString &folder);
