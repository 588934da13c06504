#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The hidden temporary file the writer makes beside its target (".NAME.<pid>.tmp"), and those
// that writers killed mid-write left behind for good.
namespace WriteLeftovers {

// This process's temporary file for a target.
QByteArray temporaryNameFor(const QByteArray& target);

// Whether a name in a folder has the form of a writer's temporary file, whoever wrote it.
bool isTemporaryName(QByteArrayView name);

// Removes the temporary files for the target's name in its folder whose process is gone.
void removeFor(const QByteArray& target);

// Removes every temporary file of a gone writer in a folder, whatever its target; how many.
int removeIn(const QByteArray& folder);

} // namespace WriteLeftovers
