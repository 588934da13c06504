#include "TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

// What `cmake --install` (and so the Debian package) puts in place, checked on a fresh install
// tree: the command, menu entry, icons, metainfo, manual page, copyright file and changelog,
// and the distribution's validators accept them and the package.
class TestPackaging : public QObject {
    Q_OBJECT

    QTemporaryDir prefix_;
    QTemporaryDir packageFolder_;
    QString deb_; // made by debianPackage()

    QString installed(const QString& relative) const { return prefix_.filePath(relative); }

    // Runs a program of the distribution; its output when it fails.
    static std::optional<QString> run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return QString::fromLocal8Bit(process.readAll());
        return std::nullopt;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        const auto failed = run(QStringLiteral(CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(PLATTERBOX_BUILD_DIR),
                                 QStringLiteral("--prefix"), prefix_.path()});
        QVERIFY2(!failed, qPrintable(failed.value_or(QString())));
    }

    void installsTheCommandAndItsFiles() {
        const QFileInfo command(installed(QStringLiteral("bin/platterbox")));
        QVERIFY(command.isFile() && command.isExecutable());
        for (const char* file : {"share/applications/platterbox.desktop",
                                 "share/icons/hicolor/scalable/apps/platterbox.svg",
                                 "share/metainfo/net.varnholt.Platterbox.metainfo.xml",
                                 "share/doc/platterbox/copyright"})
            QVERIFY2(QFileInfo(installed(QString::fromUtf8(file))).isFile(), file);
        QVERIFY(TestSupport::readBytes(
                    installed(QStringLiteral("share/applications/platterbox.desktop")))
                    .contains("\nExec=platterbox\n"));
        // The man page and the changelog are gzip data.
        for (const char* file :
             {"share/man/man1/platterbox.1.gz", "share/doc/platterbox/changelog.gz"})
            QVERIFY2(
                TestSupport::readBytes(installed(QString::fromUtf8(file))).startsWith("\x1f\x8b"),
                file);
    }

    // Only the build-tree program, the one MP3CD copies beside its own lib/, searches there.
    void librarySearchPath_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("searchPath");
        QTest::newRow("build tree")
            << QStringLiteral(PLATTERBOX_BINARY) << QByteArray("Library rpath: [$ORIGIN/lib]");
        QTest::newRow("installed") << installed(QStringLiteral("bin/platterbox")) << QByteArray();
    }

    void librarySearchPath() {
        QFETCH(QString, program);
        QFETCH(QByteArray, searchPath);
        QProcess readelf;
        readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), program});
        QVERIFY(readelf.waitForFinished());
        QCOMPARE(readelf.exitCode(), 0);
        QByteArray found;
        for (const QByteArray& line : readelf.readAll().split('\n'))
            if (line.contains("(RPATH)") || line.contains("(RUNPATH)"))
                found = line.mid(line.indexOf("Library "));
        QCOMPARE(found, searchPath);
    }

    void rendersThePngIconSizes_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("48") << 48;
        QTest::newRow("128") << 128;
        QTest::newRow("256") << 256;
    }

    void rendersThePngIconSizes() {
        QFETCH(int, size);
        const QImage icon(
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/platterbox.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
        // Drawn, not blank: the middle of the drawing is opaque, a corner transparent.
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    }

    // The package scripts/package makes: its dependencies found from the program itself name
    // Qt 6 and GLib (GIO), and it holds the installed files.
    void debianPackage() {
        const QString cpack =
            QFileInfo(QStringLiteral(CMAKE_COMMAND)).absolutePath() + QStringLiteral("/cpack");
        if (QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty() ||
            !QFileInfo(cpack).isExecutable())
            QSKIP("needs cpack and dpkg-shlibdeps (Debian packages cmake, dpkg-dev)");
        const QString out = packageFolder_.path();
        QProcess packaging;
        packaging.setWorkingDirectory(QStringLiteral(PLATTERBOX_BUILD_DIR));
        packaging.setProcessChannelMode(QProcess::MergedChannels);
        packaging.start(cpack,
                        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out});
        QVERIFY(packaging.waitForFinished(120000));
        QVERIFY2(packaging.exitCode() == 0, packaging.readAll().constData());
        const QStringList debs =
            QDir(out).entryList({QStringLiteral("platterbox_*_*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = packageFolder_.filePath(debs.first());

        QProcess field;
        field.start(QStringLiteral("dpkg-deb"),
                    {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
        QVERIFY(field.waitForFinished());
        const QByteArray depends = field.readAll();
        for (const char* library : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6",
                                    "libqt6svg6", "libglib2.0-0", "libc6"})
            QVERIFY2(depends.contains(library), depends.constData());
        // Loaded by Qt on a Wayland session, so no library search finds it.
        QProcess recommends;
        recommends.start(QStringLiteral("dpkg-deb"),
                         {QStringLiteral("-f"), deb, QStringLiteral("Recommends")});
        QVERIFY(recommends.waitForFinished());
        QCOMPARE(recommends.readAll().trimmed(), QByteArray("qt6-wayland"));

        QProcess contents;
        contents.start(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
        QVERIFY(contents.waitForFinished());
        const QByteArray listing = contents.readAll();
        for (const char* file :
             {" ./usr/bin/platterbox\n", "/applications/platterbox.desktop\n",
              "/hicolor/scalable/apps/platterbox.svg\n", "/hicolor/48x48/apps/platterbox.png\n",
              "/hicolor/256x256/apps/platterbox.png\n",
              "/metainfo/net.varnholt.Platterbox.metainfo.xml\n", "/man/man1/platterbox.1.gz\n",
              "/doc/platterbox/copyright\n", "/doc/platterbox/changelog.gz\n"})
            QVERIFY2(listing.contains(file), file);
        deb_ = deb;
    }

    void textsNameWhatTheProgramReads_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("package description") << QStringLiteral("deb");
        QTest::newRow("metainfo") << QStringLiteral("metainfo");
        QTest::newRow("manual page") << QStringLiteral("man");
    }

    // Every playlist format the program reads, and the command that mends moved songs.
    void textsNameWhatTheProgramReads() {
        QFETCH(QString, text);
        QProcess reader;
        if (text == QLatin1String("deb")) {
            if (deb_.isEmpty())
                QSKIP("no package was made (see debianPackage)");
            reader.start(QStringLiteral("dpkg-deb"),
                         {QStringLiteral("-f"), deb_, QStringLiteral("Description")});
        } else if (text == QLatin1String("man")) {
            reader.start(QStringLiteral("gzip"),
                         {QStringLiteral("-dc"),
                          installed(QStringLiteral("share/man/man1/platterbox.1.gz"))});
        } else {
            reader.start(
                QStringLiteral("cat"),
                {installed(QStringLiteral("share/metainfo/net.varnholt.Platterbox.metainfo.xml"))});
        }
        QVERIFY(reader.waitForFinished());
        QCOMPARE(reader.exitCode(), 0);
        // Line breaks and indentation do not count.
        const QByteArray said = reader.readAll().simplified();
        for (const char* name :
             {"M3U,", "extended M3U", "M3U8", "PLS", "XSPF", "WPL", "ASX", "Find Missing Songs"})
            QVERIFY2(said.contains(name), name);
    }

    // The distribution's package checker finds no error and no warning.
    void lintianAcceptsThePackage() {
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (lintian.isEmpty())
            QSKIP("lintian is not installed (scripts/deps installs it)");
        if (deb_.isEmpty())
            QSKIP("no package was made (see debianPackage)");
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        // Lintian only advises against root, which test machines often are.
        process.start(lintian, {QStringLiteral("--allow-root"), deb_});
        QVERIFY(process.waitForFinished(300000));
        const QByteArray output = process.readAll();
        QStringList faults;
        for (const QByteArray& line : output.split('\n'))
            if (line.startsWith("E: ") || line.startsWith("W: "))
                faults.append(QString::fromUtf8(line));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 output.constData());
    }

    void validatorsAccept_data() {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << QStringLiteral("desktop-file-validate")
            << QStringList{installed(QStringLiteral("share/applications/platterbox.desktop"))};
        QTest::newRow("metainfo")
            << QStringLiteral("appstreamcli")
            << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                           installed(QStringLiteral(
                               "share/metainfo/net.varnholt.Platterbox.metainfo.xml"))};
    }

    void validatorsAccept() {
        QFETCH(QString, validator);
        QFETCH(QStringList, arguments);
        const QString program = QStandardPaths::findExecutable(validator);
        if (program.isEmpty())
            QSKIP("the validator is not installed (Debian packages desktop-file-utils, appstream)");
        const auto failed = run(program, arguments);
        QVERIFY2(!failed, qPrintable(failed.value_or(QString())));
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
