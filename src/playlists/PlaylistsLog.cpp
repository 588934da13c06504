#include "PlaylistsLog.h"

Q_LOGGING_CATEGORY(playlistsLog, "platterbox.playlists", QtWarningMsg)
