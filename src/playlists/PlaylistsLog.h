#pragma once

#include <QLoggingCategory>

// Failures of the playlists subsystem with their causes, off by default:
// QT_LOGGING_RULES="platterbox.playlists.info=true".
Q_DECLARE_LOGGING_CATEGORY(playlistsLog)
