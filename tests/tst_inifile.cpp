#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include "TestSupport.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

const QByteArray missing = QByteArrayLiteral("<missing>");

QByteArray lookUp(const IniDocument& document, const QByteArray& section, const QByteArray& key) {
    return document.value(section, key).value_or(missing);
}

QString text(const QByteArray& utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray utf16(QStringConverter::Encoding encoding, const QByteArray& utf8) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder(QString::fromUtf8(utf8));
}

} // namespace

// The INI rules as the settings rely on them: lookups, in-place updates that keep everything
// else, erasing sections, and writes that fail without touching the old file.
class TestIniFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

    QString iniPath() const { return dir_.filePath(QStringLiteral("Platterbox.Ini")); }

private Q_SLOTS:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(iniPath());
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray long3000(3000, 'v');
        QTest::newRow("plain") << QByteArray("[General]\r\nVolume=7\r\n") << QByteArray("General")
                               << QByteArray("Volume") << QByteArray("7");
        QTest::newRow("section and key ignore case")
            << QByteArray("[gEnErAl]\r\nvOlUmE=7\r\n") << QByteArray("GENERAL")
            << QByteArray("volume") << QByteArray("7");
        QTest::newRow("only ASCII letters fold")
            << QByteArray("[\xC3\x84]\r\nk=1\r\n") << QByteArray("\xC3\xA4") << QByteArray("k")
            << missing;
        QTest::newRow("Latin-1 letters do not fold")
            << QByteArray("[\xC4]\r\nk=1\r\n") << QByteArray("\xE4") << QByteArray("k") << missing;
        QTest::newRow("blanks around names and value")
            << QByteArray("  [ General ]  \r\n \t Volume \t=  \t7 \t\r\n") << QByteArray("General")
            << QByteArray("Volume") << QByteArray("7");
        QTest::newRow("blank inside key name")
            << QByteArray("[S]\r\nMy Key = a b \r\n") << QByteArray("S") << QByteArray("My Key")
            << QByteArray("a b");
        QTest::newRow("double quotes keep inner blanks")
            << QByteArray("[S]\r\nk= \"  a b  \" \r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("  a b  ");
        QTest::newRow("single quotes") << QByteArray("[S]\r\nk='a'\r\n") << QByteArray("S")
                                       << QByteArray("k") << QByteArray("a");
        QTest::newRow("one pair of quotes only")
            << QByteArray("[S]\r\nk=\"\"a\"\"\r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("\"a\"");
        QTest::newRow("unmatched quote kept") << QByteArray("[S]\r\nk=\"a\r\n") << QByteArray("S")
                                              << QByteArray("k") << QByteArray("\"a");
        QTest::newRow("mixed quotes kept") << QByteArray("[S]\r\nk='a\"\r\n") << QByteArray("S")
                                           << QByteArray("k") << QByteArray("'a\"");
        QTest::newRow("lone quote kept") << QByteArray("[S]\r\nk=\"\r\n") << QByteArray("S")
                                         << QByteArray("k") << QByteArray("\"");
        QTest::newRow("empty value")
            << QByteArray("[S]\r\nk=\r\n") << QByteArray("S") << QByteArray("k") << QByteArray("");
        QTest::newRow("equals sign inside value")
            << QByteArray("[S]\r\nk=a=b\r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("a=b");
        QTest::newRow("first duplicate key wins")
            << QByteArray("[S]\r\nk=1\r\nK=2\r\n") << QByteArray("S") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("first duplicate section wins")
            << QByteArray("[S]\r\nk=1\r\n[T]\r\nk=3\r\n[s]\r\nk=2\r\n") << QByteArray("S")
            << QByteArray("k") << QByteArray("1");
        QTest::newRow("key of another section") << QByteArray("[S]\r\na=1\r\n[T]\r\nk=2\r\n")
                                                << QByteArray("S") << QByteArray("k") << missing;
        QTest::newRow("comment is no key") << QByteArray("[S]\r\n;k=1\r\n  ; k=2\r\n")
                                           << QByteArray("S") << QByteArray("k") << missing;
        QTest::newRow("line without equals is no key")
            << QByteArray("[S]\r\nk\r\n") << QByteArray("S") << QByteArray("k") << missing;
        QTest::newRow("key before any section")
            << QByteArray("k=1\r\n[S]\r\n") << QByteArray("S") << QByteArray("k") << missing;
        QTest::newRow("missing section")
            << QByteArray("[S]\r\nk=1\r\n") << QByteArray("T") << QByteArray("k") << missing;
        QTest::newRow("empty file")
            << QByteArray() << QByteArray("S") << QByteArray("k") << missing;
        QTest::newRow("LF line ends") << QByteArray("[S]\nj=0\nk=1\n") << QByteArray("S")
                                      << QByteArray("k") << QByteArray("1");
        QTest::newRow("CR line ends") << QByteArray("[S]\rj=0\rk=1\r") << QByteArray("S")
                                      << QByteArray("k") << QByteArray("1");
        QTest::newRow("LF CR line ends") << QByteArray("[S]\n\rk=1\n\r") << QByteArray("S")
                                         << QByteArray("k") << QByteArray("1");
        QTest::newRow("no final line end")
            << QByteArray("[S]\r\nk=1") << QByteArray("S") << QByteArray("k") << QByteArray("1");
        QTest::newRow("NUL is an ordinary byte")
            << QByteArray("[S]\r\nj=0\0x\r\nk=1\r\n", 17) << QByteArray("S") << QByteArray("k")
            << QByteArray("1");
        QTest::newRow("byte-order mark before the first section")
            << QByteArray("\xEF\xBB\xBF[General]\r\nVolume=7\r\n") << QByteArray("General")
            << QByteArray("Volume") << QByteArray("7");
        QTest::newRow("longer than 2047 bytes") << QByteArray("[S]\r\nk=" + long3000 + "\r\n")
                                                << QByteArray("S") << QByteArray("k") << long3000;
        QTest::newRow("long, in quotes") << QByteArray("[S]\r\nk=\"" + long3000 + "\"\r\n")
                                         << QByteArray("S") << QByteArray("k") << long3000;
        QTest::newRow("UTF-16LE") << utf16(QStringConverter::Utf16LE, "[S]\r\nk=M\xC3\xBCsik\r\n")
                                  << QByteArray("S") << QByteArray("k")
                                  << QByteArray("M\xC3\xBCsik");
        QTest::newRow("UTF-16BE, LF line ends")
            << utf16(QStringConverter::Utf16BE, "[S]\nj=0\nk=1\n") << QByteArray("S")
            << QByteArray("k") << QByteArray("1");
        QTest::newRow("UTF-8 value") << QByteArray("[S]\r\nk=M\xC3\xBCsik\r\n") << QByteArray("S")
                                     << QByteArray("k") << QByteArray("M\xC3\xBCsik");
    }

    // The document and the file object read the same value.
    void reading() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);

        QCOMPARE(lookUp(IniDocument::parse(content), section, key), expected);

        writeBytes(iniPath(), content);
        const IniFile file(iniPath());
        QCOMPARE(file.hasValue(text(section), text(key)), expected != missing);
        QCOMPARE(file.readString(text(section), text(key), text(missing)), text(expected));
    }

    void writing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("missing file") << QByteArray() << QByteArray("General") << QByteArray("A")
                                      << QStringLiteral("1") << QByteArray("[General]\r\nA=1\r\n");
        QTest::newRow("update in place keeps the rest")
            << QByteArray("; top\r\n[A]\r\nx=1\r\n; note\r\ny=2\r\nz=3\r\n[B]\r\ny=4\r\n")
            << QByteArray("A") << QByteArray("y") << QStringLiteral("5")
            << QByteArray("; top\r\n[A]\r\nx=1\r\n; note\r\ny=5\r\nz=3\r\n[B]\r\ny=4\r\n");
        QTest::newRow("update ignores case, writes the given name")
            << QByteArray("[general]\r\n  VOLUME = 1 \r\n") << QByteArray("General")
            << QByteArray("Volume") << QStringLiteral("2")
            << QByteArray("[general]\r\nVolume=2\r\n");
        QTest::newRow("update the first duplicate only")
            << QByteArray("[S]\r\nk=1\r\nk=2\r\n") << QByteArray("S") << QByteArray("k")
            << QStringLiteral("3") << QByteArray("[S]\r\nk=3\r\nk=2\r\n");
        QTest::newRow("append before the next section")
            << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n") << QByteArray("a") << QByteArray("z")
            << QStringLiteral("3") << QByteArray("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n");
        QTest::newRow("append before blank lines")
            << QByteArray("[A]\r\nx=1\r\n\r\n  \r\n[B]\r\n") << QByteArray("A") << QByteArray("z")
            << QStringLiteral("3") << QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n  \r\n[B]\r\n");
        QTest::newRow("append after a comment")
            << QByteArray("[A]\r\nx=1\r\n;end\r\n") << QByteArray("A") << QByteArray("z")
            << QStringLiteral("3") << QByteArray("[A]\r\nx=1\r\n;end\r\nz=3\r\n");
        QTest::newRow("append to an empty section")
            << QByteArray("[A]\r\n\r\n[B]\r\n") << QByteArray("A") << QByteArray("k")
            << QStringLiteral("v") << QByteArray("[A]\r\nk=v\r\n\r\n[B]\r\n");
        QTest::newRow("missing section goes to the end")
            << QByteArray("[A]\r\nx=1\r\n") << QByteArray("B") << QByteArray("y")
            << QStringLiteral("2") << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        QTest::newRow("missing section after blank lines")
            << QByteArray("[A]\r\nx=1\r\n\r\n") << QByteArray("B") << QByteArray("y")
            << QStringLiteral("2") << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("other line ends become CR LF")
            << QByteArray("[A]\nx=1\ry=2") << QByteArray("A") << QByteArray("x")
            << QStringLiteral("0") << QByteArray("[A]\r\nx=0\r\ny=2\r\n");
        QTest::newRow("value in UTF-8") << QByteArray() << QByteArray("S") << QByteArray("k")
                                        << QStringLiteral("M\u00FCsik \u20AC")
                                        << QByteArray("[S]\r\nk=M\xC3\xBCsik \xE2\x82\xAC\r\n");
        QTest::newRow("byte-order mark kept, section found")
            << QByteArray("\xEF\xBB\xBF[General]\r\nA=1\r\n") << QByteArray("General")
            << QByteArray("A") << QStringLiteral("2")
            << QByteArray("\xEF\xBB\xBF[General]\r\nA=2\r\n");
        QTest::newRow("NUL byte and the sections after it kept")
            << QByteArray("[S]\r\nj=0\0x\r\n[T]\r\nk=1\r\n", 22) << QByteArray("S")
            << QByteArray("a") << QStringLiteral("1")
            << QByteArray("[S]\r\nj=0\0x\r\na=1\r\n[T]\r\nk=1\r\n", 27);
        // Values that reading would trim or unquote go inside one more pair of quotes.
        QTest::newRow("leading blank")
            << QByteArray() << QByteArray("S") << QByteArray("k") << QStringLiteral(" a.m3u")
            << QByteArray("[S]\r\nk=\" a.m3u\"\r\n");
        QTest::newRow("trailing tab")
            << QByteArray() << QByteArray("S") << QByteArray("k") << QStringLiteral("a.m3u\t")
            << QByteArray("[S]\r\nk=\"a.m3u\t\"\r\n");
        QTest::newRow("single quotes")
            << QByteArray() << QByteArray("S") << QByteArray("k") << QStringLiteral("'q'")
            << QByteArray("[S]\r\nk=\"'q'\"\r\n");
        QTest::newRow("double quotes")
            << QByteArray() << QByteArray("S") << QByteArray("k") << QStringLiteral("\"dq\"")
            << QByteArray("[S]\r\nk=\"\"dq\"\"\r\n");
        QTest::newRow("quote at one end only stays bare")
            << QByteArray() << QByteArray("S") << QByteArray("k") << QStringLiteral("\"dq")
            << QByteArray("[S]\r\nk=\"dq\r\n");
        QTest::newRow("UTF-16LE stays UTF-16LE")
            << utf16(QStringConverter::Utf16LE, "[S]\r\nk=1\r\n") << QByteArray("S")
            << QByteArray("k") << QStringLiteral("\u00FC")
            << utf16(QStringConverter::Utf16LE, "[S]\r\nk=\xC3\xBC\r\n");
        QTest::newRow("UTF-16BE stays UTF-16BE")
            << utf16(QStringConverter::Utf16BE, "[S]\nj=0\n") << QByteArray("S") << QByteArray("k")
            << QStringLiteral("2") << utf16(QStringConverter::Utf16BE, "[S]\r\nj=0\r\nk=2\r\n");
        QTest::newRow("line break cuts the value")
            << QByteArray("[S]\r\n") << QByteArray("S") << QByteArray("k")
            << QStringLiteral("a\nb=[T]") << QByteArray("[S]\r\nk=a\r\n");
    }

    void writing() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!value.contains(u'\n')) // every value a line can hold reads back as written
            QCOMPARE(text(lookUp(IniDocument::parse(after), section, key)), value);

        IniDocument document = IniDocument::parse(before);
        document.setValue(section, key, value.toUtf8());
        QCOMPARE(document.toText(), after);

        if (!before.isEmpty())
            writeBytes(iniPath(), before);
        IniFile file(iniPath());
        const Status status = file.writeString(text(section), text(key), value);
        QVERIFY2(status.isOk(), qPrintable(status.message()));
        QCOMPARE(readBytes(iniPath()), after);
        const QString expected = text(lookUp(IniDocument::parse(after), section, key));
        QCOMPARE(file.readString(text(section), text(key), QString()), expected);
        QCOMPARE(IniFile(iniPath()).readString(text(section), text(key), QString()), expected);
    }

    void freshFileHasNoBlankLines() {
        IniFile file(iniPath());
        QVERIFY(
            file.writeString(QStringLiteral("General"), QStringLiteral("A"), QStringLiteral("1")));
        QVERIFY(file.writeString(QStringLiteral("PlayLists"), QStringLiteral("Total"),
                                 QStringLiteral("2")));
        QVERIFY(file.writeString(QStringLiteral("PlayLists"), QStringLiteral("PL1"),
                                 QStringLiteral("a.m3u")));
        QVERIFY(
            file.writeString(QStringLiteral("General"), QStringLiteral("B"), QStringLiteral("x")));
        QCOMPARE(readBytes(iniPath()),
                 QByteArray("[General]\r\nA=1\r\nB=x\r\n[PlayLists]\r\nTotal=2\r\nPL1=a.m3u\r\n"));
    }

    void erasing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("middle section with its comments")
            << QByteArray("; top\r\n[A]\r\nx=1\r\n[B]\r\ny=2\r\n; c\r\n\r\n[C]\r\nz=3\r\n")
            << QByteArray("b") << QByteArray("; top\r\n[A]\r\nx=1\r\n[C]\r\nz=3\r\n");
        QTest::newRow("last section") << QByteArray("[A]\r\nx=1\r\n[PlayLists]\r\nTotal=1\r\n")
                                      << QByteArray("PLAYLISTS") << QByteArray("[A]\r\nx=1\r\n");
        QTest::newRow("every copy of a repeated section")
            << QByteArray("[S]\r\nk=1\r\n[A]\r\nx=1\r\n[s]\r\nk=2\r\n") << QByteArray("S")
            << QByteArray("[A]\r\nx=1\r\n");
        QTest::newRow("missing section")
            << QByteArray("[A]\n x=1\n") << QByteArray("B") << QByteArray("[A]\n x=1\n");
    }

    void erasing() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, after);

        IniDocument document = IniDocument::parse(before);
        document.eraseSection(section);
        QVERIFY(!document.hasSection(section));
        QCOMPARE(document.toText(), IniDocument::parse(after).toText());

        writeBytes(iniPath(), before);
        IniFile file(iniPath());
        QVERIFY(file.eraseSection(text(section)));
        QCOMPARE(readBytes(iniPath()), after);
    }

    void entriesOfSection() {
        const IniDocument document = IniDocument::parse(
            "[S]\r\nb= 2 \r\n;c=0\r\nA='1'\r\nB=3\r\n[T]\r\nd=4\r\n[s]\r\ne=5\r\n");
        const QList<std::pair<QByteArray, QByteArray>> expected = {{"b", "2"}, {"A", "1"}};
        QCOMPARE(document.entries("s"), expected);
        QVERIFY(document.entries("U").isEmpty());
    }

    // A section's keys are looked up by a scan at first and through an index later: both find
    // the first of a repeated key, ignoring case, never a comment, and a write changes the
    // line either finds.
    void lookupsAgreeBeforeAndAfterTheIndex_data() {
        QTest::addColumn<int>("lookupsBefore");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        for (const int lookups : {0, 3, 4, 5, 12}) {
            QTest::addRow("first of a repeated key, %d lookups before", lookups)
                << lookups << QByteArray("DUP") << QByteArray("first");
            QTest::addRow("last line, %d lookups before", lookups)
                << lookups << QByteArray("last") << QByteArray("end");
            QTest::addRow("missing, %d lookups before", lookups)
                << lookups << QByteArray("none") << missing;
            QTest::addRow("key in another case, %d lookups before", lookups)
                << lookups << QByteArray("LAST") << QByteArray("end");
        }
    }
    void lookupsAgreeBeforeAndAfterTheIndex() {
        QFETCH(int, lookupsBefore);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        IniDocument document = IniDocument::parse(
            "[S]\r\nx=1\r\ndup=first\r\n;hidden=2\r\nDup=second\r\nLast=end\r\n[T]\r\nlast=t\r\n");
        for (int i = 0; i < lookupsBefore; ++i)
            QCOMPARE(lookUp(document, "s", "x"), QByteArray("1"));
        QCOMPARE(lookUp(document, "s", key), expected);
        QCOMPARE(lookUp(document, "s", "hidden"), missing);
        document.setValue("S", key, "new");
        QCOMPARE(lookUp(document, "s", key), QByteArray("new"));
        QCOMPARE(lookUp(document, "T", "LAST"), QByteArray("t"));
        // A repeated key keeps its second line; a new key is appended to its section.
        QVERIFY(document.toText().contains("Dup=second\r\n"));
        QCOMPARE(document.toText().count("new"), 1);
    }

    // Settings written on Windows: shown as Windows-1252, and their lines keep their bytes when
    // the same text is written back or other keys change.
    void windowsTextKeepsItsBytes() {
        const QByteArray old("[S]\r\nk=Caf\xE9\r\nn=\x80 \xA0\r\n; \xFC"
                             "ber\r\n");
        writeBytes(iniPath(), old);
        IniFile file(iniPath());
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("k"), QString()),
                 QStringLiteral("Caf\u00E9"));
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("n"), QString()),
                 QStringLiteral("\u20AC \u00A0"));
        QVERIFY(file.writeString(QStringLiteral("S"), QStringLiteral("k"),
                                 QStringLiteral("Caf\u00E9")));
        QVERIFY(file.writeString(QStringLiteral("S"), QStringLiteral("x"), QStringLiteral("1")));
        QCOMPARE(readBytes(iniPath()), old + "x=1\r\n");
    }

    void missingFileReadsEmpty() {
        const IniFile file(iniPath());
        QVERIFY(!file.hasValue(QStringLiteral("S"), QStringLiteral("k")));
        QCOMPARE(file.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(!QFile::exists(iniPath()));
    }

    void failedWrite_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<bool>("erase");

        QTest::newRow("write, read-only file and folder") << true << false;
        QTest::newRow("erase, read-only file and folder") << true << true;
        QTest::newRow("write, read-only file") << false << false;
        QTest::newRow("erase, read-only file") << false << true;
    }

    // The old file stays byte for byte, and the object forgets the refused change.
    void failedWrite() {
        QFETCH(bool, readOnlyFolder);
        QFETCH(bool, erase);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("Platterbox.Ini"));
        const QByteArray old("[General]\r\nA=1\r\n[PlayLists]\r\nTotal=0\n");
        writeBytes(path, old);
        IniFile file(path);

        Status status = Status::ok();
        {
            // A folder that refuses the temporary file alone is no failure: the file is
            // written in place then.
            QVERIFY(QFile::setPermissions(path,
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            std::optional<TestSupport::ReadOnlyFolder> locked;
            if (readOnlyFolder) {
                locked.emplace(folder.path());
                QVERIFY(locked->effective());
            }
            status = erase ? file.eraseSection(QStringLiteral("PlayLists"))
                           : file.writeString(QStringLiteral("General"), QStringLiteral("A"),
                                              QStringLiteral("2"));
        }
        QVERIFY(status.failed());
        QCOMPARE(status.message(), QStringLiteral("Unable to write to ") + path);
        QCOMPARE(readBytes(path), old);
        QCOMPARE(file.readString(QStringLiteral("General"), QStringLiteral("A"), QString()),
                 QStringLiteral("1"));
        QVERIFY(file.hasValue(QStringLiteral("PlayLists"), QStringLiteral("Total")));

        // Once writable again, the next write carries the old content, not the refused change.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(
            file.writeString(QStringLiteral("General"), QStringLiteral("B"), QStringLiteral("x")));
        QCOMPARE(readBytes(path),
                 QByteArray("[General]\r\nA=1\r\nB=x\r\n[PlayLists]\r\nTotal=0\r\n"));
    }

    // Deferred writes reach the file only at commit, all at once; a refused commit leaves the
    // old file whole.
    void deferredWrites() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Platterbox.Ini"));
        const QByteArray old("[General]\r\nA=1\r\n[PlayLists]\r\nTotal=1\r\nFile0=x\r\n");
        writeBytes(path, old);
        IniFile file(path);
        file.deferWrites();
        QVERIFY(
            file.writeString(QStringLiteral("General"), QStringLiteral("A"), QStringLiteral("2")));
        QVERIFY(file.eraseSection(QStringLiteral("PlayLists")));
        QVERIFY(file.writeString(QStringLiteral("PlayLists"), QStringLiteral("Total"),
                                 QStringLiteral("0")));
        QCOMPARE(readBytes(path), old);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        const Status refused = file.commit();
        QCOMPARE(refused.message(), QStringLiteral("Unable to write to ") + path);
        QCOMPARE(readBytes(path), old);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(file.commit());
        QCOMPARE(readBytes(path), QByteArray("[General]\r\nA=2\r\n[PlayLists]\r\nTotal=0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
