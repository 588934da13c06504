#include "TestSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using TestSupport::readBytes;

// Saves of the INI file, the registry file and a rewritten playlist, killed (SIGKILL) at
// random moments: the file on disk is always the old or the new content, whole.
class TestCrashSafeSaves : public QObject {
    Q_OBJECT

    static bool runTool(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral(TOOL_savestorm), arguments);
        return tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit &&
               tool.exitCode() == 0;
    }

private Q_SLOTS:
    void killedSavesLeaveWholeFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("INI file") << QStringLiteral("ini") << QStringLiteral("Platterbox.Ini");
        QTest::newRow("registry file") << QStringLiteral("reg") << QStringLiteral("user.reg");
        QTest::newRow("rewritten playlist")
            << QStringLiteral("playlist") << QStringLiteral("list.m3u");
    }

    void killedSavesLeaveWholeFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(fileName);
        // The two contents, each made by one complete save.
        QVERIFY(runTool({kind, path, QStringLiteral("0"), QStringLiteral("1")}));
        const QByteArray first = readBytes(path);
        QVERIFY(runTool({kind, path, QStringLiteral("1"), QStringLiteral("1")}));
        const QByteArray second = readBytes(path);
        QVERIFY(first != second && !first.isEmpty() && !second.isEmpty());

        QRandomGenerator random(QRandomGenerator::global()->generate());
        int changes = 0; // rounds in which a save reached the disk before the kill
        QByteArray previous = second;
        for (int round = 0; round < 30; ++round) {
            QProcess tool;
            tool.start(QStringLiteral(TOOL_savestorm),
                       {kind, path, QString::number(round % 2), QStringLiteral("0")});
            QVERIFY(tool.waitForStarted());
            QVERIFY(tool.waitForReadyRead(20000)); // the first save is done
            QThread::usleep(random.bounded(0, 30000));
            QVERIFY2(tool.state() == QProcess::Running, "the saving tool ended by itself");
            ::kill(pid_t(tool.processId()), SIGKILL);
            QVERIFY(tool.waitForFinished());
            const QByteArray onDisk = readBytes(path);
            QVERIFY2(onDisk == first || onDisk == second,
                     qPrintable(QStringLiteral("round %1: %2 bytes, neither whole content")
                                    .arg(round)
                                    .arg(onDisk.size())));
            changes += onDisk != previous ? 1 : 0;
            previous = onDisk;
        }
        QVERIFY2(changes > 0, "no save completed between the kills");
    }
};

QTEST_GUILESS_MAIN(TestCrashSafeSaves)
#include "tst_crashsafesaves.moc"
