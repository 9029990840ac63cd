#include "main/TfrmMain.h"

#include "list/Playlist.h"
