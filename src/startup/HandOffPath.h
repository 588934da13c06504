#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line a second copy hands to the running one, and the INI file the running copy
// takes from it.

// The program path followed by the arguments; an argument that names an existing file or
// folder, or holds a "/", is made absolute against the sender's working folder, because the
// running copy resolves nothing against a folder it does not know.
QStringList handOffCommandLine(const QString& programPath, const QStringList& arguments,
                               const QString& workingFolder);

// The INI file of the copy that sent the command line (program path, then its arguments):
// with a path as parameter 1 (as a copy started by another copy's hand-over has),
// "Platterbox.INI" in that path's folder; otherwise the program path with its extension
// replaced by ".INI". An existing file whose name differs only in case is preferred.
// nullopt for an empty command line or program path: there is nothing to take over.
std::optional<QString> handOffIniPath(const QStringList& commandLine);
