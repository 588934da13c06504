#include "ProgramStarter.h"
#include "PlatformLog.h"

#include <QProcess>

namespace ProgramStarter {

bool startDetached(const QString& program, const QStringList& arguments) {
    if (program.isEmpty()) {
        qCWarning(lcPlatform) << "starting a program without a name";
        return false;
    }
    // An instance rather than the static call: it keeps the reason of a failure.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (process.startDetached()) {
        qCDebug(lcPlatform) << "started" << program << arguments;
        return true;
    }
    qCWarning(lcPlatform) << "starting" << program
                          << "failed:" << qUtf8Printable(process.errorString());
    return false;
}

} // namespace ProgramStarter
