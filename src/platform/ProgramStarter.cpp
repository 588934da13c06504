#include "ProgramStarter.h"

#include <QProcess>

namespace ProgramStarter {

bool startDetached(const QString& program, const QStringList& arguments) {
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

} // namespace ProgramStarter
