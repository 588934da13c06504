#pragma once

#include <QLoggingCategory>

// Playlists shown, played and rewritten: a warning with its cause for each failure the user is told
// of, a debug line for each step worth following. Off by default;
// QT_LOGGING_RULES="platterbox.*=true" shows it all.
Q_DECLARE_LOGGING_CATEGORY(lcPlaylists)
