#include "TestSupport.h"
#include "settings/RegistryFile.h"

#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(RegistryValue)

char* toString(const RegistryValue& value) {
    const QByteArray text = "type " + QByteArray::number(value.type) + " text \"" +
                            value.text.toUtf8() + "\" dword " + QByteArray::number(value.dword) +
                            " bytes " + value.bytes.toHex(',');
    return qstrdup(text.constData());
}

char* toString(const std::optional<RegistryValue>& value) {
    return value ? toString(*value) : qstrdup("no value");
}

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

const QString Key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Test");
const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray KeyHeader = Header + "[HKEY_CURRENT_USER\\Software\\Test]\r\n";

QByteArray withHeader(const QByteArray& lines) {
    return Header + lines;
}

QByteArray withKey(const QByteArray& lines) {
    return KeyHeader + lines;
}

RegistryValue typed(quint32 type, const QByteArray& bytes) {
    RegistryValue value = RegistryValue::fromBinary(bytes);
    value.type = type;
    return value;
}

QByteArray utf16WithBom(const QByteArray& utf8) {
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArrayLiteral("\xFF\xFE") + QByteArray(encoder(QString::fromUtf8(utf8)));
}

// Bytes drawn mostly from the characters the format is made of, so the parser's paths are hit.
QByteArray randomRegText(QRandomGenerator& random, int length) {
    static const QByteArray alphabet = "[]\"\\=@:,()-;hexdwordHEX0123456789abcdef \r\n\t\xC3\xA9";
    QByteArray bytes;
    for (int i = 0; i < length; ++i) {
        if (random.bounded(10) == 0)
            bytes.append(char(random.bounded(256)));
        else
            bytes.append(alphabet.at(random.bounded(int(alphabet.size()))));
    }
    return bytes;
}

} // namespace

// The .reg text file behind each registry root: its exact written form, hand-written and damaged
// files, keeping what it does not understand, and safe writes by several writers.
class TestRegistryFile : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;

    QString path() const { return dir_->path() + QLatin1String("/root/user.reg"); }

private Q_SLOTS:
    void init() { dir_ = std::make_unique<QTemporaryDir>(); }
    void cleanup() { dir_.reset(); }

    void writtenFileHasTheExactRegeditForm() {
        RegistryFile file(path());
        const QString other = QStringLiteral("HKEY_CURRENT_USER\\Software\\Other");
        RegistryValue multi = typed(7, QByteArray("a\0\0\0\0\0", 6));
        QVERIFY(file.setValue(Key, QStringLiteral("Count"), RegistryValue::fromDword(0x1e)));
        QVERIFY(file.setValue(Key, QStringLiteral("Path"),
                              RegistryValue::fromString(QStringLiteral("C:\\Music\\\"Best\""))));
        QVERIFY(file.setValue(Key, QStringLiteral("Expand"),
                              RegistryValue::fromString(QStringLiteral("A%"), RegType::ExpandSz)));
        QVERIFY(file.setValue(Key, QStringLiteral("Blob"),
                              RegistryValue::fromBinary(QByteArray("\x01\x02\xff"))));
        QVERIFY(file.setValue(Key, QString(), RegistryValue::fromString(QStringLiteral("dflt"))));
        QVERIFY(file.setValue(Key, QStringLiteral("Empty"), RegistryValue::fromBinary({})));
        QVERIFY(file.setValue(Key, QStringLiteral("Multi"), multi));
        QVERIFY(file.setValue(Key, QStringLiteral("Odd\"Name\\"),
                              typed(11, QByteArray("\x01\0\0\0\0\0\0\0", 8))));
        QVERIFY(file.setValue(other, QStringLiteral("Neg"), RegistryValue::fromDword(0xFFFFFFFF)));
        // A value set again keeps its place.
        QVERIFY(file.setValue(Key, QStringLiteral("COUNT"), RegistryValue::fromDword(0x1f)));

        const QByteArray expected = Header +
                                    "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                    "\"COUNT\"=dword:0000001f\r\n"
                                    "\"Path\"=\"C:\\\\Music\\\\\\\"Best\\\"\"\r\n"
                                    "\"Expand\"=hex(2):41,00,25,00,00,00\r\n"
                                    "\"Blob\"=hex:01,02,ff\r\n"
                                    "@=\"dflt\"\r\n"
                                    "\"Empty\"=hex:\r\n"
                                    "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
                                    "\"Odd\\\"Name\\\\\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                                    "\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                                    "\"Neg\"=dword:ffffffff\r\n"
                                    "\r\n";
        QCOMPARE(readBytes(path()), expected);
        QCOMPARE(file.toText(), expected);
    }

    void valuesSurviveTheTextForm_data() {
        QTest::addColumn<RegistryValue>("value");
        QTest::newRow("dword") << RegistryValue::fromDword(0x80000001);
        QTest::newRow("plain text") << RegistryValue::fromString(QStringLiteral("a b\tc"));
        QTest::newRow("quotes and backslashes")
            << RegistryValue::fromString(QStringLiteral("\\\\server\\\"x\"\\"));
        QTest::newRow("line breaks in REG_SZ")
            << RegistryValue::fromString(QStringLiteral("one\r\ntwo\nthree"));
        QTest::newRow("non-ASCII text")
            << RegistryValue::fromString(QStringLiteral("Caf\u00e9 \u266b"));
        QTest::newRow("empty text") << RegistryValue::fromString(QString());
        // Found by fuzzing: the text ended at the first zero.
        QTest::newRow("NUL inside REG_SZ")
            << RegistryValue::fromString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QTest::newRow("NUL at the end of REG_EXPAND_SZ")
            << RegistryValue::fromString(QStringLiteral("a") + QChar(0), RegType::ExpandSz);
        QTest::newRow("expand text")
            << RegistryValue::fromString(QStringLiteral("%HOME%\\x \u00e9"), RegType::ExpandSz);
        QTest::newRow("binary") << RegistryValue::fromBinary(QByteArray("\x00\x7f\x80\xff", 4));
        QTest::newRow("unknown type") << typed(0x2a, QByteArray("\x10\x20"));
    }

    void valuesSurviveTheTextForm() {
        QFETCH(RegistryValue, value);
        RegistryFile writer(path());
        QVERIFY(writer.setValue(Key, QStringLiteral("v"), value));
        const RegistryFile reader(path());
        QCOMPARE(reader.value(Key, QStringLiteral("v")), std::optional<RegistryValue>(value));
        // Every value is one logical line of the file.
        QCOMPARE(readBytes(path()).count("\"v\"="), 1);
    }

    void handWrittenFilesParse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<RegistryValue>("expected");
        const QString k = Key;
        const QString a = QStringLiteral("a");
        QTest::newRow("escapes") << withKey("\"a\"=\"C:\\\\dir\\\\\\\"x\\\"\"") << k << a
                                 << RegistryValue::fromString(QStringLiteral("C:\\dir\\\"x\""));
        QTest::newRow("lone backslash kept")
            << withKey("\"a\"=\"C:\\dir\"") << k << a
            << RegistryValue::fromString(QStringLiteral("C:\\dir"));
        QTest::newRow("hex(2)") << withKey("\"a\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00")
                                << k << a
                                << RegistryValue::fromString(QStringLiteral("%HOME%"),
                                                             RegType::ExpandSz);
        QTest::newRow("hex(1) text with a line break")
            << withKey("\"a\"=hex(1):41,00,0a,00,42,00,00,00") << k << a
            << RegistryValue::fromString(QStringLiteral("A\nB"));
        QTest::newRow("continuation lines")
            << withKey("\"a\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n\"b\"=dword:1") << k << a
            << RegistryValue::fromBinary(QByteArray("\x01\x02\x03\x04"));
        QTest::newRow("line after continuation")
            << withKey("\"a\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n\"b\"=dword:1") << k
            << QStringLiteral("b") << RegistryValue::fromDword(1);
        QTest::newRow("upper-case hex") << withKey("\"a\"=HEX:0A,Ff") << k << a
                                        << RegistryValue::fromBinary(QByteArray("\x0a\xff"));
        QTest::newRow("short dword")
            << withKey("\"a\"=dword:1F") << k << a << RegistryValue::fromDword(31);
        QTest::newRow("dword as hex(4)") << withKey("\"a\"=hex(4):1f,00,00,01") << k << a
                                         << RegistryValue::fromDword(0x0100001f);
        QTest::newRow("other type kept")
            << withKey("\"a\"=hex(7):61,00,00,00") << k << a << typed(7, QByteArray("a\0\0\0", 4));
        QTest::newRow("key path ignores case")
            << withKey("\"a\"=dword:00000002")
            << QStringLiteral("hkey_current_user\\SOFTWARE\\test") << a
            << RegistryValue::fromDword(2);
        QTest::newRow("value name ignores case")
            << withKey("\"MixedCase\"=dword:3") << k << QStringLiteral("mixedcase")
            << RegistryValue::fromDword(3);
        QTest::newRow("default value") << withKey("@=\"x\"") << k << QString()
                                       << RegistryValue::fromString(QStringLiteral("x"));
        QTest::newRow("blanks around =")
            << withKey("\"a\" = dword:00000004  ") << k << a << RegistryValue::fromDword(4);
        QTest::newRow("comment lines")
            << withKey("; note\r\n\"a\"=dword:5\r\n; end") << k << a << RegistryValue::fromDword(5);
        QTest::newRow("later line wins")
            << withKey("\"a\"=dword:1\r\n\"a\"=dword:2") << k << a << RegistryValue::fromDword(2);
        QTest::newRow("repeated key block joins")
            << withKey("\"b\"=dword:1\r\n[HKEY_CURRENT_USER\\Other]\r\n"
                       "[hkey_current_user\\software\\test]\r\n\"a\"=dword:6")
            << k << a << RegistryValue::fromDword(6);
        QTest::newRow("LF line ends")
            << QByteArray("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\"
                          "Test]\n\"a\"=hex:01,\\\n 02\n")
            << k << a << RegistryValue::fromBinary(QByteArray("\x01\x02"));
        QTest::newRow("CR line ends")
            << QByteArray("Windows Registry Editor Version 5.00\r\r[HKEY_CURRENT_USER\\Software\\"
                          "Test]\r\"a\"=dword:7\r")
            << k << a << RegistryValue::fromDword(7);
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray(QByteArray("\xEF\xBB\xBF") + withKey("\"a\"=\"\xC3\xA9\"")) << k << a
            << RegistryValue::fromString(QStringLiteral("\u00e9"));
        QTest::newRow("UTF-16 as regedit exports")
            << utf16WithBom(withKey("\"a\"=\"\xC3\xA9\"\r\n")) << k << a
            << RegistryValue::fromString(QStringLiteral("\u00e9"));
    }

    void handWrittenFilesParse() {
        QFETCH(QByteArray, text);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(RegistryValue, expected);
        writeBytes(path(), text);
        const RegistryFile file(path());
        QVERIFY(file.keyExists(key));
        QCOMPARE(file.value(key, name), std::optional<RegistryValue>(expected));
    }

    void damagedFilesReadAsMissingValues_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("keyExists");
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                                 "\"a\"=dword:00000001\r\n")
                                   << false;
        QTest::newRow("other header") << QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
                                                    "Test]\r\n\"a\"=dword:00000001\r\n")
                                      << false;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe\x01[\x80]\"a\"=", 12) << false;
        QTest::newRow("value before any key")
            << withHeader("\"a\"=dword:1\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n") << true;
        QTest::newRow("unterminated text") << withKey("\"a\"=\"abc") << true;
        QTest::newRow("text after the string") << withKey("\"a\"=\"abc\" x") << true;
        QTest::newRow("unterminated name") << withKey("\"a=dword:1") << true;
        QTest::newRow("nine dword digits") << withKey("\"a\"=dword:000000001") << true;
        QTest::newRow("dword not hex") << withKey("\"a\"=dword:12g4") << true;
        QTest::newRow("empty dword") << withKey("\"a\"=dword:") << true;
        QTest::newRow("odd hex(2) length") << withKey("\"a\"=hex(2):41,00,42") << true;
        QTest::newRow("hex(4) of two bytes") << withKey("\"a\"=hex(4):01,02") << true;
        QTest::newRow("bad byte") << withKey("\"a\"=hex:01,zz") << true;
        QTest::newRow("three-digit byte") << withKey("\"a\"=hex:010") << true;
        QTest::newRow("empty byte") << withKey("\"a\"=hex:01,,02") << true;
        QTest::newRow("trailing comma") << withKey("\"a\"=hex:01,") << true;
        QTest::newRow("bad type number") << withKey("\"a\"=hex(zz):01") << true;
        QTest::newRow("continuation at the end") << withKey("\"a\"=hex:01,\\") << true;
        QTest::newRow("deleted value") << withKey("\"a\"=-") << true;
        QTest::newRow("no equals sign") << withKey("\"a\" dword:1") << true;
        QTest::newRow("deleted key") << withHeader("[-HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                                   "\"a\"=dword:1\r\n")
                                     << false;
    }

    void damagedFilesReadAsMissingValues() {
        QFETCH(QByteArray, text);
        QFETCH(bool, keyExists);
        writeBytes(path(), text);
        const RegistryFile file(path());
        QCOMPARE(file.keyExists(Key), keyExists);
        QCOMPARE(file.value(Key, QStringLiteral("a")), std::nullopt);
    }

    void linesNotUnderstoodAreKeptOnWriteBack() {
        writeBytes(path(), "Windows Registry Editor Version 5.00\n"
                           "; made by hand\n"
                           "\n"
                           "[HKEY_CURRENT_USER\\Software\\Test]\n"
                           "; keep me\n"
                           "\"Old\"=dword:1F\n"
                           "\"Broken\"=dword:zz\n"
                           "\"Wrapped\"=hex:01,02,\\\n"
                           "  03\n"
                           "[-HKEY_CURRENT_USER\\Software\\Gone]\n");
        RegistryFile file(path());
        QVERIFY(file.setValue(Key, QStringLiteral("New"), RegistryValue::fromDword(5)));
        QCOMPARE(readBytes(path()), withHeader("; made by hand\r\n"
                                               "\r\n"
                                               "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                               "; keep me\r\n"
                                               "\"Old\"=dword:1F\r\n"
                                               "\"Broken\"=dword:zz\r\n"
                                               "\"Wrapped\"=hex:01,02,\\\r\n"
                                               "  03\r\n"
                                               "\"New\"=dword:00000005\r\n"
                                               "\r\n"
                                               "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                                               "\r\n"));
        QCOMPARE(file.value(Key, QStringLiteral("Old")), RegistryValue::fromDword(31));
        QCOMPARE(file.value(Key, QStringLiteral("Broken")), std::nullopt);
        QCOMPARE(file.value(Key, QStringLiteral("Wrapped")),
                 RegistryValue::fromBinary(QByteArray("\x01\x02\x03")));
    }

    // Files made on Windows: Windows-1252 text reads as such, and every line nobody changed keeps
    // its bytes, a UTF-8 byte-order mark included.
    void foreignTextKeepsItsBytes_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("no mark") << QByteArray();
        QTest::newRow("UTF-8 byte-order mark") << QByteArrayLiteral("\xEF\xBB\xBF");
    }
    void foreignTextKeepsItsBytes() {
        QFETCH(QByteArray, start);
        const QByteArray old = start + withHeader("; \xFC"
                                                  "ber\r\n"
                                                  "\r\n"
                                                  "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                                  "\"Caf\xE9\"=\"M\xFCsik \x80\"\r\n"
                                                  "\r\n"
                                                  "[HKEY_CURRENT_USER\\Software\\B\xE4nd]\r\n"
                                                  "\"a\"=dword:00000001\r\n"
                                                  "\r\n");
        writeBytes(path(), old);
        RegistryFile file(path());
        QCOMPARE(file.value(Key, QStringLiteral("Caf\u00E9")),
                 RegistryValue::fromString(QStringLiteral("M\u00FCsik \u20AC")));
        QVERIFY(file.keyExists(QStringLiteral("HKEY_CURRENT_USER\\Software\\B\u00E4nd")));
        QVERIFY(file.setValue(Key, QStringLiteral("New"), RegistryValue::fromDword(5)));
        QByteArray expected = old;
        expected.insert(expected.indexOf("\r\n\r\n[HKEY_CURRENT_USER\\Software\\B") + 2,
                        "\"New\"=dword:00000005\r\n");
        QCOMPARE(readBytes(path()), expected);
    }

    // Found by fuzzing: hex data cut after its "\\" took the blank line below as more data, and
    // every save added one more blank line.
    void cutHexDataDoesNotGrowTheFile() {
        writeBytes(path(), withKey("\"w\"=hex:01,\\\r\n\r\n[HKEY_CURRENT_USER\\Software\\B]\r\n"));
        RegistryFile file(path());
        QVERIFY(file.setValue(Key, QStringLiteral("n"), RegistryValue::fromDword(1)));
        const QByteArray once = readBytes(path());
        QVERIFY(file.setValue(Key, QStringLiteral("n"), RegistryValue::fromDword(2)));
        QVERIFY(
            RegistryFile(path()).setValue(Key, QStringLiteral("n"), RegistryValue::fromDword(1)));
        QCOMPARE(readBytes(path()), once);
        QCOMPARE(RegistryFile(path()).value(Key, QStringLiteral("w")), std::nullopt);
    }

    void fileWithAnotherHeaderIsKeptAfterOurs() {
        const QByteArray old = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                               "\"a\"=\"old\"\r\n";
        writeBytes(path(), old);
        RegistryFile file(path());
        QCOMPARE(file.value(Key, QStringLiteral("a")), std::nullopt);
        QVERIFY(file.setValue(Key, QStringLiteral("b"), RegistryValue::fromDword(2)));
        QCOMPARE(readBytes(path()), withHeader("REGEDIT4\r\n"
                                               "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                               "\"a\"=\"old\"\r\n"
                                               "\r\n"
                                               "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                                               "\"b\"=dword:00000002\r\n"
                                               "\r\n"));
        // What is kept in memory is what the file now holds.
        const RegistryFile again(path());
        QCOMPARE(file.value(Key, QStringLiteral("b")), RegistryValue::fromDword(2));
        QCOMPARE(file.value(Key, QStringLiteral("a")), again.value(Key, QStringLiteral("a")));
        QCOMPARE(file.toText(), again.toText());
    }

    void randomInputNeverBreaksTheParser() {
        QRandomGenerator random(0x5eed);
        const QByteArray sample = withKey("\"a\"=dword:00000001\r\n\"b\"=hex:01,\\\r\n 02\r\n"
                                          "\"c\"=\"x\\\\y\"\r\n@=hex(2):41,00,00,00\r\n");
        for (int round = 0; round < 3000; ++round) {
            QByteArray input;
            switch (round % 3) {
            case 0:
                input = randomRegText(random, random.bounded(300));
                break;
            case 1:
                input = Header + randomRegText(random, random.bounded(300));
                break;
            default:
                input = sample;
                for (int edits = random.bounded(1, 6); edits > 0; --edits)
                    input[random.bounded(int(input.size()))] = char(random.bounded(256));
            }
            const QByteArray first = RegistryFile::fromText(path(), input).toText();
            QVERIFY2(first.startsWith(Header), input.toHex().constData());
            // Once in our form, the text stays the same however often it is read and written.
            const QByteArray second = RegistryFile::fromText(path(), first).toText();
            const RegistryFile third = RegistryFile::fromText(path(), second);
            QVERIFY2(third.toText() == second, input.toHex().constData());
            (void)third.value(Key, QStringLiteral("a"));
        }
    }

    void twoWritersKeepEachOthersValues() {
        RegistryFile first(path());
        RegistryFile second(path()); // read before the first one wrote anything
        QVERIFY(first.setValue(Key, QStringLiteral("fromFirst"), RegistryValue::fromDword(1)));
        QVERIFY(second.setValue(Key, QStringLiteral("fromSecond"), RegistryValue::fromDword(2)));
        QVERIFY(first.setValue(Key, QStringLiteral("shared"), RegistryValue::fromDword(3)));
        QVERIFY(second.setValue(Key, QStringLiteral("shared"), RegistryValue::fromDword(4)));
        QCOMPARE(second.value(Key, QStringLiteral("fromFirst")), RegistryValue::fromDword(1));
        first.reload();
        QCOMPARE(first.value(Key, QStringLiteral("fromSecond")), RegistryValue::fromDword(2));
        QCOMPARE(first.value(Key, QStringLiteral("shared")), RegistryValue::fromDword(4));
        QCOMPARE(readBytes(path()).count("shared"), 1);
    }

    void writersInParallelLoseNothing() {
        constexpr int perThread = 25;
        const QString fileName = path();
        const auto writer = [&fileName](const QString& prefix) {
            return QThread::create([fileName, prefix] {
                RegistryFile file(fileName);
                for (int i = 0; i < perThread; ++i)
                    (void)file.setValue(Key, prefix + QString::number(i),
                                        RegistryValue::fromDword(quint32(i)));
            });
        };
        std::unique_ptr<QThread> one(writer(QStringLiteral("one")));
        std::unique_ptr<QThread> two(writer(QStringLiteral("two")));
        one->start();
        two->start();
        QVERIFY(one->wait(60000));
        QVERIFY(two->wait(60000));
        const RegistryFile file(fileName);
        for (int i = 0; i < perThread; ++i) {
            QCOMPARE(file.value(Key, QStringLiteral("one") + QString::number(i)),
                     RegistryValue::fromDword(quint32(i)));
            QCOMPARE(file.value(Key, QStringLiteral("two") + QString::number(i)),
                     RegistryValue::fromDword(quint32(i)));
        }
    }

    void refusedWriteLeavesTheFileAsItWas_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only file and folder") << true;
    }

    // The file is read-only in both rows: a writable one in a read-only folder is written in
    // place.
    void refusedWriteLeavesTheFileAsItWas() {
        QFETCH(bool, readOnlyFolder);
        RegistryFile file(path());
        QVERIFY(file.setValue(Key, QStringLiteral("a"), RegistryValue::fromDword(1)));
        const QByteArray before = readBytes(path());
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
        std::unique_ptr<TestSupport::ReadOnlyFolder> guard;
        if (readOnlyFolder) {
            guard = std::make_unique<TestSupport::ReadOnlyFolder>(QFileInfo(path()).absolutePath());
            QVERIFY(guard->effective());
        }
        QVERIFY(file.setValue(Key, QStringLiteral("a"), RegistryValue::fromDword(2)).failed());
        QVERIFY(file.setValue(Key, QStringLiteral("b"), RegistryValue::fromDword(2)).failed());
        QVERIFY(file.createKey(QStringLiteral("HKEY_CURRENT_USER\\New")).failed());
        QVERIFY(file.deleteValue(Key, QStringLiteral("a")).failed());
        QCOMPARE(readBytes(path()), before);
        QCOMPARE(file.value(Key, QStringLiteral("a")), RegistryValue::fromDword(1));
        QCOMPARE(file.value(Key, QStringLiteral("b")), std::nullopt);
        QVERIFY(!QFileInfo::exists(path() + QLatin1String(".lock")));
    }

    void heldLockRefusesTheWrite() {
        RegistryFile file(path());
        QVERIFY(file.setValue(Key, QStringLiteral("a"), RegistryValue::fromDword(1)));
        const QByteArray before = readBytes(path());
        QLockFile lock(path() + QLatin1String(".lock"));
        QVERIFY(lock.tryLock(0));
        QVERIFY(file.setValue(Key, QStringLiteral("a"), RegistryValue::fromDword(2)).failed());
        QCOMPARE(readBytes(path()), before);
        lock.unlock();
        QVERIFY(file.setValue(Key, QStringLiteral("a"), RegistryValue::fromDword(2)));
        QCOMPARE(RegistryFile(path()).value(Key, QStringLiteral("a")), RegistryValue::fromDword(2));
    }

    void keysAndDeletion() {
        const QString deep = QStringLiteral("HKEY_CURRENT_USER\\Software\\Vendor\\App");
        RegistryFile file(path());
        QVERIFY(!QFileInfo::exists(path()));
        QVERIFY(file.deleteValue(deep, QStringLiteral("a"))); // nothing to delete: no file made
        QVERIFY(!QFileInfo::exists(path()));
        QVERIFY(file.createKey(deep)); // the missing folder is made too
        QCOMPARE(readBytes(path()),
                 withHeader("[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n\r\n"));
        QVERIFY(file.keyExists(deep));
        QVERIFY(file.keyExists(QStringLiteral("HKEY_CURRENT_USER\\software\\vendor")));
        QVERIFY(!file.keyExists(QStringLiteral("HKEY_CURRENT_USER\\Software\\Vend")));
        QVERIFY(file.setValue(deep, QStringLiteral("a"), RegistryValue::fromDword(1)));
        QVERIFY(file.setValue(deep, QStringLiteral("b"), RegistryValue::fromDword(2)));
        QVERIFY(file.deleteValue(deep, QStringLiteral("A")));
        QCOMPARE(file.value(deep, QStringLiteral("a")), std::nullopt);
        QCOMPARE(RegistryFile(path()).value(deep, QStringLiteral("b")),
                 RegistryValue::fromDword(2));
        QVERIFY(!readBytes(path()).contains("\"a\""));
    }

    void namesThatWouldBreakTheFileAreRefused() {
        RegistryFile file(path());
        QVERIFY(file.setValue(Key, QStringLiteral("a\nb"), RegistryValue::fromDword(1)).failed());
        QVERIFY(file.setValue(QStringLiteral("K\r\n[x]"), QStringLiteral("a"),
                              RegistryValue::fromDword(1))
                    .failed());
        QVERIFY(file.createKey(QString()).failed());
        QVERIFY(!QFileInfo::exists(path()));
    }
};

QTEST_GUILESS_MAIN(TestRegistryFile)
#include "tst_registryfile.moc"
