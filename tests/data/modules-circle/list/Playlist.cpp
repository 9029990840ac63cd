#include "list/Playlist.h"

#include "main/TfrmMain.h"
