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
        // The next save that changes the file clears what the killed ones left.
        QVERIFY(
            runTool({kind, path, QString::number(previous == first ? 1 : 0), QStringLiteral("1")}));
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QVERIFY2(left == QStringList{fileName}, qPrintable(left.join(u' ')));
    }

    // Temporary files beside a settings file or a playlist, as writers killed mid-write leave
    // them: the next save there removes those of its own name whose writer is gone, and no
    // other (a live writer's, another name's, a name that only looks like one).
    void leftoversOfGoneWritersGo_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("INI file") << QStringLiteral("ini") << QStringLiteral("Platterbox.Ini");
        QTest::newRow("registry file") << QStringLiteral("reg") << QStringLiteral("user.reg");
        QTest::newRow("playlist") << QStringLiteral("playlist") << QStringLiteral("list.m3u");
    }

    void leftoversOfGoneWritersGo() {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess ended;
        ended.start(QStringLiteral("true"), QStringList());
        QVERIFY(ended.waitForStarted());
        const QString gone = QString::number(ended.processId());
        QVERIFY(ended.waitForFinished());
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(running.waitForStarted());
        const QString live = QString::number(running.processId());
        const auto hidden = [](const QString& name) -> QString { return u'.' + name + u'.'; };
        const QStringList removed = {hidden(fileName) + gone + QStringLiteral(".tmp")};
        const QStringList kept = {
            hidden(fileName) + live + QStringLiteral(".tmp"),
            hidden(QStringLiteral("other.m3u")) + gone + QStringLiteral(".tmp"),
            hidden(fileName) + gone + QStringLiteral(".tmp.bak"),
            hidden(fileName) + QStringLiteral("x") + gone + QStringLiteral(".tmp")};
        for (const QString& name : removed + kept)
            TestSupport::writeBytes(dir.filePath(name), "half a save");

        QVERIFY(runTool({kind, dir.filePath(fileName), QStringLiteral("0"), QStringLiteral("1")}));
        running.kill();
        running.waitForFinished();
        QStringList expected = kept + QStringList{fileName};
        expected.sort();
        QCOMPARE(QDir(dir.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafeSaves)
#include "tst_crashsafesaves.moc"
