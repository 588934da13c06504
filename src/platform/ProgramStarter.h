#pragma once

#include <QString>
#include <QStringList>

// Starts another program with an argument list: nothing goes through a shell, so paths with
// blanks arrive whole.
namespace ProgramStarter {

// Starts the program detached from this process; true when it started.
bool startDetached(const QString& program, const QStringList& arguments);

} // namespace ProgramStarter
