#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "settings/TypedIniFile.h"
#include "settings/TypedRegistry.h"

#include <QtTest>

#include <limits>
#include <memory>

#include <sys/stat.h>

Q_DECLARE_METATYPE(VarType)

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

// Makes the written file read-only, or puts a FIFO or a folder in its place; true when a
// regular file stays.
bool replaceFile(const QString& path, const QString& kind) {
    if (kind == QLatin1String("read-only") || kind == QLatin1String("both"))
        return QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
    QFile::remove(path);
    if (kind == QLatin1String("fifo"))
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
    else
        QDir().mkpath(path);
    return false;
}

mode_t fileType(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

} // namespace

namespace {

const QString KeyPath = QStringLiteral("Software\\Test");
const QByteArray KeyHeader = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Test]\r\n";
const QString Section = QStringLiteral("S");
const QString Name = QStringLiteral("v");
const VarType UnknownCode = VarType(9);

// One program variable of each type, as the settings code passes them.
struct Variables {
    bool boolean = false;
    qint64 currency = 0;
    double number = 0.0;
    qint32 integer = 0;
    QString text;

    VariableRef ref(VarType type) {
        switch (type) {
        case VarType::Bool:
            return &boolean;
        case VarType::Currency:
            return &currency;
        case VarType::Date:
        case VarType::Time:
        case VarType::DateTime:
        case VarType::Float:
            return &number;
        case VarType::Integer:
            return &integer;
        default:
            return &text;
        }
    }

    QVariant get(VarType type) const {
        switch (type) {
        case VarType::Bool:
            return boolean;
        case VarType::Currency:
            return qlonglong(currency);
        case VarType::Date:
        case VarType::Time:
        case VarType::DateTime:
        case VarType::Float:
            return number;
        case VarType::Integer:
            return int(integer);
        default:
            return text;
        }
    }

    void set(VarType type, const QVariant& value) {
        boolean = value.toBool();
        currency = value.toLongLong();
        number = value.toDouble();
        integer = value.toInt();
        text = value.toString();
        (void)type;
    }

    // Values no store would produce, to see whether a call assigned anything.
    static Variables untouched() { return {true, 777, 777.5, 777, QStringLiteral("untouched")}; }
};

QVariant dword(qint32 value) {
    return QVariant(int(value));
}

// The entry line "key=value" of the INI file, if any.
QByteArray iniLine(const QString& fileName, const QByteArray& key) {
    for (const QByteArray& line : readBytes(fileName).split('\n'))
        if (line.startsWith(QByteArray(key + '=')))
            return line.trimmed();
    return QByteArray();
}

} // namespace

// The typed stores: the conversions of defaults, the stored form of each type in the registry
// file and in INI files, what reads give for missing or mismatched values, and refused writes.
class TestTypedStores : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::IsolatedEnvironment> env_;

    QString iniPath() const { return env_->path() + QLatin1String("/test.ini"); }
    QString regPath() const { return ConfigLocations::userRegistryFile(); }

private Q_SLOTS:
    void init() { env_ = std::make_unique<TestSupport::IsolatedEnvironment>(); }
    void cleanup() { env_.reset(); }

    void defaultsConvertToEachType_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("asBool");
        QTest::addColumn<int>("asInteger");
        QTest::addColumn<double>("asDouble");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<qlonglong>("asCurrency");
        QTest::newRow("nothing") << QVariant() << false << 0 << 0.0 << QString() << 0LL;
        QTest::newRow("int 0") << QVariant(0) << false << 0 << 0.0 << QStringLiteral("0") << 0LL;
        QTest::newRow("int 5") << QVariant(5) << true << 5 << 5.0 << QStringLiteral("5") << 50000LL;
        QTest::newRow("int -1") << QVariant(-1) << true << -1 << -1.0 << QStringLiteral("-1")
                                << -10000LL;
        QTest::newRow("true") << QVariant(true) << true << 1 << 1.0 << QStringLiteral("true")
                              << 10000LL;
        QTest::newRow("false") << QVariant(false) << false << 0 << 0.0 << QStringLiteral("false")
                               << 0LL;
        QTest::newRow("text 0") << QVariant(QStringLiteral("0")) << false << 0 << 0.0
                                << QStringLiteral("0") << 0LL;
        QTest::newRow("text False") << QVariant(QStringLiteral("False")) << false << 0 << 0.0
                                    << QStringLiteral("False") << 0LL;
        QTest::newRow("text TRUE") << QVariant(QStringLiteral("TRUE")) << true << 1 << 1.0
                                   << QStringLiteral("TRUE") << 10000LL;
        QTest::newRow("empty text") << QVariant(QString()) << false << 0 << 0.0 << QString() << 0LL;
        QTest::newRow("text that is no number")
            << QVariant(QStringLiteral("abc")) << false << 0 << 0.0 << QStringLiteral("abc") << 0LL;
        QTest::newRow("text 12") << QVariant(QStringLiteral(" 12 ")) << true << 12 << 12.0
                                 << QStringLiteral(" 12 ") << 120000LL;
        QTest::newRow("text 1.25") << QVariant(QStringLiteral("1.25")) << true << 1 << 1.25
                                   << QStringLiteral("1.25") << 12500LL;
        QTest::newRow("double 2.5")
            << QVariant(2.5) << true << 3 << 2.5 << QStringLiteral("2.5") << 25000LL;
        QTest::newRow("double 0.1")
            << QVariant(0.1) << true << 0 << 0.1 << QStringLiteral("0.1") << 1000LL;
        QTest::newRow("huge double")
            << QVariant(1e300) << true << std::numeric_limits<qint32>::max() << 1e300
            << QStringLiteral("1e+300") << 9200000000000000000LL;
        QTest::newRow("DWORD-sized unsigned") << QVariant(0xFFFFFFFFu) << true << -1 << 4294967295.0
                                              << QStringLiteral("4294967295") << 42949672950000LL;
        QTest::newRow("date") << QVariant(QDate(1900, 1, 1)) << true << 2 << 2.0
                              << QStringLiteral("1900-01-01") << 20000LL;
    }

    void defaultsConvertToEachType() {
        QFETCH(QVariant, value);
        QFETCH(bool, asBool);
        QFETCH(int, asInteger);
        QFETCH(double, asDouble);
        QFETCH(QString, asString);
        QFETCH(qlonglong, asCurrency);
        QCOMPARE(boolDefault(value), asBool);
        QCOMPARE(integerDefault(value), asInteger);
        QCOMPARE(doubleDefault(value), asDouble);
        QCOMPARE(stringDefault(value), asString);
        QCOMPARE(currencyDefault(value), asCurrency);
    }

    void dateTimeNumbers_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("number");
        QTest::newRow("day zero") << QDate(1899, 12, 30) << QTime(0, 0) << 0.0;
        QTest::newRow("noon of day zero") << QDate(1899, 12, 30) << QTime(12, 0) << 0.5;
        QTest::newRow("leap day morning") << QDate(2024, 2, 29) << QTime(6, 0) << 45351.25;
        QTest::newRow("before day zero") << QDate(1899, 12, 29) << QTime(6, 0) << -1.25;
        QTest::newRow("long before") << QDate(1850, 1, 1) << QTime(0, 0) << -18260.0;
    }

    void dateTimeNumbers() {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(double, number);
        QCOMPARE(dateTimeNumber(date, time), number);
        QCOMPARE(datePart(number), date);
        QCOMPARE(timePart(number), time);
    }

    void registryReadsFollowTheStoredType_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<VarType>("type");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        const QVariant text = QStringLiteral("dflt");
        QTest::newRow("REG_SZ 5 as Integer")
            << QByteArray("\"v\"=\"5\"") << VarType::Integer << QVariant(9) << dword(9);
        QTest::newRow("DWORD as Integer")
            << QByteArray("\"v\"=dword:0000002a") << VarType::Integer << QVariant(9) << dword(42);
        QTest::newRow("DWORD ffffffff as Integer")
            << QByteArray("\"v\"=dword:ffffffff") << VarType::Integer << QVariant(9) << dword(-1);
        QTest::newRow("4 binary bytes as Integer")
            << QByteArray("\"v\"=hex:2a,00,00,00") << VarType::Integer << QVariant(9) << dword(9);
        QTest::newRow("absent Integer, default as text")
            << QByteArray() << VarType::Integer << QVariant(QStringLiteral("12")) << dword(12);
        QTest::newRow("DWORD 7 as Bool") << QByteArray("\"v\"=dword:00000007") << VarType::Bool
                                         << QVariant(false) << QVariant(true);
        QTest::newRow("DWORD 0 as Bool") << QByteArray("\"v\"=dword:00000000") << VarType::Bool
                                         << QVariant(true) << QVariant(false);
        QTest::newRow("REG_SZ 0 as Bool")
            << QByteArray("\"v\"=\"0\"") << VarType::Bool << QVariant(true) << QVariant(true);
        QTest::newRow("absent Bool, default 1")
            << QByteArray() << VarType::Bool << QVariant(1) << QVariant(true);
        QTest::newRow("String stored as DWORD")
            << QByteArray("\"v\"=dword:00000001") << VarType::String << text << text;
        QTest::newRow("absent String")
            << QByteArray() << VarType::String << text << QVariant(QString());
        QTest::newRow("empty String")
            << QByteArray("\"v\"=\"\"") << VarType::String << text << QVariant(QString());
        QTest::newRow("String from REG_EXPAND_SZ, not expanded")
            << QByteArray("\"v\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00")
            << VarType::String << text << QVariant(QStringLiteral("%HOME%"));
        QTest::newRow("ExpandString from REG_SZ")
            << QByteArray("\"v\"=\"a\\\\b\"") << VarType::ExpandString << text
            << QVariant(QStringLiteral("a\\b"));
        QTest::newRow("String from binary without data")
            << QByteArray("\"v\"=hex:") << VarType::String << text << QVariant(QString());
        QTest::newRow("String from binary")
            << QByteArray("\"v\"=hex:41,00") << VarType::String << text << text;
        QTest::newRow("Float from 8 bytes") << QByteArray("\"v\"=hex:00,00,00,00,00,00,f8,3f")
                                            << VarType::Float << QVariant(2.5) << QVariant(1.5);
        QTest::newRow("Float from 4 bytes") << QByteArray("\"v\"=hex:00,00,c0,3f") << VarType::Float
                                            << QVariant(2.5) << QVariant(2.5);
        QTest::newRow("Float from 8 bytes of another type")
            << QByteArray("\"v\"=hex(b):00,00,00,00,00,00,f8,3f") << VarType::Float << QVariant(2.5)
            << QVariant(2.5);
        QTest::newRow("Float from DWORD") << QByteArray("\"v\"=dword:00000001") << VarType::Float
                                          << QVariant(2.5) << QVariant(2.5);
        QTest::newRow("absent Float, integer default")
            << QByteArray() << VarType::Float << QVariant(3) << QVariant(3.0);
        const QByteArray leapMorning = "\"v\"=hex:00,00,00,00,e8,24,e6,40";
        QTest::newRow("Date") << leapMorning << VarType::Date << QVariant() << QVariant(45351.25);
        QTest::newRow("Time") << leapMorning << VarType::Time << QVariant() << QVariant(45351.25);
        QTest::newRow("DateTime") << leapMorning << VarType::DateTime << QVariant()
                                  << QVariant(45351.25);
        QTest::newRow("Currency from 8 bytes")
            << QByteArray("\"v\"=hex:4e,61,bc,00,00,00,00,00") << VarType::Currency << QVariant(5)
            << QVariant(qlonglong(12345678));
        QTest::newRow("negative Currency")
            << QByteArray("\"v\"=hex:ff,ff,ff,ff,ff,ff,ff,ff") << VarType::Currency << QVariant(5)
            << QVariant(qlonglong(-1));
        QTest::newRow("Currency from 9 bytes")
            << QByteArray("\"v\"=hex:4e,61,bc,00,00,00,00,00,00") << VarType::Currency
            << QVariant(5) << QVariant(qlonglong(50000));
        QTest::newRow("absent Currency")
            << QByteArray() << VarType::Currency << QVariant(1.5) << QVariant(qlonglong(15000));
    }

    void registryReadsFollowTheStoredType() {
        QFETCH(QByteArray, line);
        QFETCH(VarType, type);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        writeBytes(regPath(), KeyHeader + "\"other\"=dword:00000003\r\n" + line + "\r\n");
        TypedRegistry registry;
        QVERIFY(registry.openKey(KeyPath, false));
        Variables variables = Variables::untouched();
        QVERIFY(registry.readWrite(Name, variables.ref(type), defaultValue, type, false));
        QCOMPARE(variables.get(type), expected);
    }

    void registryRoundTripsEveryType_data() {
        QTest::addColumn<VarType>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("Bool true")
            << VarType::Bool << QVariant(true) << QByteArray("\"v\"=dword:00000001");
        QTest::newRow("Bool false")
            << VarType::Bool << QVariant(false) << QByteArray("\"v\"=dword:00000000");
        QTest::newRow("Currency") << VarType::Currency << QVariant(qlonglong(12345678))
                                  << QByteArray("\"v\"=hex:4e,61,bc,00,00,00,00,00");
        QTest::newRow("negative Currency") << VarType::Currency << QVariant(qlonglong(-1))
                                           << QByteArray("\"v\"=hex:ff,ff,ff,ff,ff,ff,ff,ff");
        QTest::newRow("Date") << VarType::Date << QVariant(45351.0)
                              << QByteArray("\"v\"=hex:00,00,00,00,e0,24,e6,40");
        QTest::newRow("Time") << VarType::Time << QVariant(0.25)
                              << QByteArray("\"v\"=hex:00,00,00,00,00,00,d0,3f");
        QTest::newRow("DateTime") << VarType::DateTime << QVariant(-1.25)
                                  << QByteArray("\"v\"=hex:00,00,00,00,00,00,f4,bf");
        QTest::newRow("Float") << VarType::Float << QVariant(-0.1)
                               << QByteArray("\"v\"=hex:9a,99,99,99,99,99,b9,bf");
        QTest::newRow("Integer") << VarType::Integer << dword(42)
                                 << QByteArray("\"v\"=dword:0000002a");
        QTest::newRow("negative Integer")
            << VarType::Integer << dword(-2) << QByteArray("\"v\"=dword:fffffffe");
        QTest::newRow("String") << VarType::String << QVariant(QStringLiteral("Say \"hi\" C:\\x"))
                                << QByteArray("\"v\"=\"Say \\\"hi\\\" C:\\\\x\"");
        QTest::newRow("empty String")
            << VarType::String << QVariant(QString()) << QByteArray("\"v\"=\"\"");
        QTest::newRow("ExpandString")
            << VarType::ExpandString << QVariant(QStringLiteral("%HOME%\\x"))
            << QByteArray("\"v\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,78,00,00,00");
    }

    void registryRoundTripsEveryType() {
        QFETCH(VarType, type);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, stored);
        {
            TypedRegistry registry;
            QVERIFY(registry.openKey(KeyPath, true));
            Variables variables;
            variables.set(type, value);
            QVERIFY(registry.readWrite(Name, variables.ref(type), QVariant(), type, true));
        }
        QCOMPARE(readBytes(regPath()), QByteArray(KeyHeader + stored + "\r\n\r\n"));
        TypedRegistry registry;
        QVERIFY(registry.openKey(KeyPath, false));
        Variables variables = Variables::untouched();
        QVERIFY(registry.readWrite(Name, variables.ref(type), QVariant(), type, false));
        QCOMPARE(variables.get(type), value);
    }

    void registryIgnoresUnknownCodes() {
        writeBytes(regPath(), KeyHeader + "\"v\"=dword:00000005\r\n");
        const QByteArray before = readBytes(regPath());
        TypedRegistry registry;
        QVERIFY(registry.openKey(KeyPath, false));
        Variables variables = Variables::untouched();
        for (const VariableRef data :
             {variables.ref(VarType::Integer), variables.ref(VarType::String),
              variables.ref(VarType::Bool)}) {
            QVERIFY(registry.readWrite(Name, data, QVariant(1), UnknownCode, false));
            QVERIFY(registry.readWrite(Name, data, QVariant(1), UnknownCode, true));
        }
        QCOMPARE(variables.integer, 777);
        QCOMPARE(variables.text, QStringLiteral("untouched"));
        QCOMPARE(variables.boolean, true);
        QCOMPARE(readBytes(regPath()), before);
    }

    void openingWithoutCreateNeverCreatesTheKey() {
        TypedRegistry registry;
        QVERIFY(!registry.openKey(KeyPath, false));
        QVERIFY(!QFileInfo::exists(regPath()));
        Variables variables = Variables::untouched();
        QVERIFY(
            registry.readWrite(Name, variables.ref(VarType::Integer), 5, VarType::Integer, false));
        QCOMPARE(variables.integer, 5);
        // With no key open even a text read fails, so it gives its default.
        QVERIFY(registry.readWrite(Name, variables.ref(VarType::String), QStringLiteral("d"),
                                   VarType::String, false));
        QCOMPARE(variables.text, QStringLiteral("d"));
        const Status status = registry.readWrite(
            QStringLiteral("x"), variables.ref(VarType::Integer), 0, VarType::Integer, true);
        QVERIFY(status.failed());
        QCOMPARE(status.message(), QStringLiteral("Failed to set data for 'x'"));
        QVERIFY(!QFileInfo::exists(regPath()));

        // A file holding other keys is not touched either.
        const QByteArray other = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\"
                                 "Software\\Other]\r\n\"v\"=dword:00000001\r\n";
        writeBytes(regPath(), other);
        QVERIFY(!registry.openKey(KeyPath, false));
        QCOMPARE(readBytes(regPath()), other);
    }

    void keyPathsResolveLikeTheRegistry() {
        TypedRegistry registry;
        QVERIFY(registry.openKey(QStringLiteral("\\Software\\Test\\"), true));
        QCOMPARE(registry.currentPath(), KeyPath);
        QVERIFY(registry.writeInteger(Name, 1));
        QCOMPARE(readBytes(regPath()), QByteArray(KeyHeader + "\"v\"=dword:00000001\r\n\r\n"));
        registry.closeKey();
        QVERIFY(registry.openKey(QStringLiteral("software"), false)); // exists through its child
        QCOMPARE(registry.currentPath(), QStringLiteral("software"));
        QVERIFY(registry.openKey(QStringLiteral("TEST"), false)); // below the open key
        QCOMPARE(registry.currentPath(), QStringLiteral("software\\TEST"));
        QCOMPARE(registry.readInteger(Name), 1);
        QVERIFY(registry.openKey(QStringLiteral("\\Software\\Test"), false)); // from the root
        QCOMPARE(registry.currentPath(), KeyPath);
        QVERIFY(!registry.openKey(QStringLiteral("Missing"), false));
        QCOMPARE(registry.currentPath(), QString());
        QCOMPARE(registry.readInteger(Name), std::nullopt);
        QVERIFY(registry.writeInteger(Name, 2).failed());
    }

    void localMachineRootHasItsOwnFile() {
        TypedRegistry registry;
        registry.setRootKey(RegistryRoot::LocalMachine);
        QVERIFY(registry.openKey(KeyPath, true));
        QVERIFY(registry.writeString(Name, QStringLiteral("m")));
        QCOMPARE(readBytes(ConfigLocations::systemRegistryFile()),
                 QByteArray("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"v\"=\"m\"\r\n\r\n"));
        QVERIFY(!QFileInfo::exists(regPath()));
        registry.setRootKey(RegistryRoot::CurrentUser);
        QVERIFY(!registry.openKey(KeyPath, false));
    }

    // Something that is no regular file in the file's place (a FIFO would block the start for
    // ever) reads as absent keys and is never replaced.
    void refusedRegistryWriteKeepsTheFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("read-only file, read-only folder") << QStringLiteral("both");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
        QTest::newRow("folder") << QStringLiteral("folder");
    }

    void refusedRegistryWriteKeepsTheFile() {
        QFETCH(QString, kind);
        writeBytes(regPath(), KeyHeader + "\"x\"=dword:00000001\r\n");
        const QByteArray before = readBytes(regPath());
        const bool regular = replaceFile(regPath(), kind);
        TypedRegistry registry;
        QCOMPARE(registry.openKey(KeyPath, false), regular);
        std::unique_ptr<TestSupport::ReadOnlyFolder> guard;
        if (kind == QLatin1String("both")) {
            guard = std::make_unique<TestSupport::ReadOnlyFolder>(ConfigLocations::configFolder());
            QVERIFY(guard->effective());
        }
        qint32 value = 2;
        const Status status =
            registry.readWrite(QStringLiteral("x"), &value, 0, VarType::Integer, true);
        QVERIFY(status.failed());
        QCOMPARE(status.message(), QStringLiteral("Failed to set data for 'x'"));
        QCOMPARE(fileType(regPath()), regular                         ? S_IFREG
                                      : kind == QLatin1String("fifo") ? S_IFIFO
                                                                      : S_IFDIR);
        if (regular) {
            QCOMPARE(readBytes(regPath()), before);
            QCOMPARE(registry.readInteger(QStringLiteral("x")), 1);
        }
    }

    void iniReadsTypedText_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<VarType>("type");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        const auto integer = [](const char* tag, const char* entry, qint32 expected) {
            QTest::newRow(tag) << true << QByteArray(entry) << VarType::Integer << QVariant(7)
                               << dword(expected);
        };
        integer("0x1F", "0x1F", 31);
        integer("$1F", "$1F", 31);
        integer("0X1f", "0X1f", 31);
        integer("12abc", "12abc", 7);
        integer("empty", "", 7);
        integer("negative", "-5", -5);
        integer("blanks and quotes", " \"42\" ", 42);
        integer("0xFFFFFFFF", "0xFFFFFFFF", -1);
        integer("nine hex digits", "0x123456789", 7);
        integer("0x alone", "0x", 7);
        integer("$ alone", "$", 7);
        integer("too large", "2147483648", 7);
        integer("smallest", "-2147483648", std::numeric_limits<qint32>::min());
        integer("plus sign", "+5", 5);
        integer("plus alone", "+", 7);
        integer("two signs", "+-5", 7);
        integer("fraction", "1.5", 7);
        integer("minus alone", "-", 7);
        QTest::newRow("absent Integer")
            << false << QByteArray() << VarType::Integer << QVariant(7) << dword(7);
        const auto boolean = [](const char* tag, const char* entry, bool dflt, bool expected) {
            QTest::newRow(tag) << true << QByteArray(entry) << VarType::Bool << QVariant(dflt)
                               << QVariant(expected);
        };
        boolean("Bool 2", "2", false, true);
        boolean("Bool 0", "0", true, false);
        boolean("Bool yes, default true", "yes", true, true);
        boolean("Bool yes, default false", "yes", false, false);
        boolean("Bool -1", "-1", false, true);
        boolean("Bool 0x0", "0x0", true, false);
        QTest::newRow("absent Bool, default 1")
            << false << QByteArray() << VarType::Bool << QVariant(1) << QVariant(true);
        const auto number = [](const char* tag, const char* entry, VarType type, double expected) {
            QTest::newRow(tag) << true << QByteArray(entry) << type << QVariant(-9.5)
                               << QVariant(expected);
        };
        number("Float", "1.5", VarType::Float, 1.5);
        number("Float with exponent", "-2.5e3", VarType::Float, -2500.0);
        number("Float with comma", "1,5", VarType::Float, -9.5);
        number("empty Float", "", VarType::Float, -9.5);
        number("Float text", "abc", VarType::Float, -9.5);
        number("Date", "2024-02-29", VarType::Date, 45351.0);
        number("Date before 1899", "1850-01-01", VarType::Date, -18260.0);
        number("Date in another form", "29.02.2024", VarType::Date, -9.5);
        number("Date that does not exist", "2023-02-29", VarType::Date, -9.5);
        number("empty Date", "", VarType::Date, -9.5);
        number("Time", "06:00:00", VarType::Time, 0.25);
        number("Time without seconds", "18:30", VarType::Time, 18.5 / 24);
        number("hour 25", "25:00:00", VarType::Time, -9.5);
        number("Time text", "6 pm", VarType::Time, -9.5);
        number("DateTime", "2024-02-29 06:00:00", VarType::DateTime, 45351.25);
        number("DateTime of a date", "2024-02-29", VarType::DateTime, 45351.0);
        number("DateTime before 1899", "1899-12-29 06:00:00", VarType::DateTime, -1.25);
        number("DateTime with junk", "2024-02-29 junk", VarType::DateTime, -9.5);
        const QVariant text = QStringLiteral("dflt");
        QTest::newRow("String") << true << QByteArray("a b") << VarType::String << text
                                << QVariant(QStringLiteral("a b"));
        QTest::newRow("empty String")
            << true << QByteArray() << VarType::String << text << QVariant(QString());
        QTest::newRow("absent String") << false << QByteArray() << VarType::String << text << text;
        QTest::newRow("ExpandString") << true << QByteArray("%HOME%") << VarType::ExpandString
                                      << text << QVariant(QStringLiteral("%HOME%"));
        QTest::newRow("absent ExpandString")
            << false << QByteArray() << VarType::ExpandString << text << text;
    }

    void iniReadsTypedText() {
        QFETCH(bool, present);
        QFETCH(QByteArray, entry);
        QFETCH(VarType, type);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        QByteArray text = "[S]\r\nother=1\r\n";
        if (present)
            text += "v=" + entry + "\r\n";
        writeBytes(iniPath(), text);
        TypedIniFile ini(iniPath());
        Variables variables = Variables::untouched();
        QVERIFY(ini.readWrite(Section, Name, variables.ref(type), defaultValue, type, false));
        QCOMPARE(variables.get(type), expected);
    }

    void iniWritesText_data() {
        QTest::addColumn<VarType>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QVariant>("readBack");
        const auto row = [](const char* tag, VarType type, const QVariant& value,
                            const char* stored, const QVariant& readBack) {
            QTest::newRow(tag) << type << value << QByteArray(stored) << readBack;
        };
        row("Bool true", VarType::Bool, true, "1", true);
        row("Bool false", VarType::Bool, false, "0", false);
        row("Integer", VarType::Integer, dword(-42), "-42", dword(-42));
        row("largest Integer", VarType::Integer, dword(2147483647), "2147483647",
            dword(2147483647));
        row("Float", VarType::Float, 0.1, "0.1", 0.1);
        row("large Float", VarType::Float, 1e20, "1e+20", 1e20);
        row("Float to 15 digits", VarType::Float, 1.0 / 3, "0.333333333333333", 0.333333333333333);
        row("Date", VarType::Date, 45351.0, "2024-02-29", 45351.0);
        row("Date drops the time", VarType::Date, 45351.75, "2024-02-29", 45351.0);
        row("Time", VarType::Time, 0.75, "18:00:00", 0.75);
        row("Time drops the date", VarType::Time, 45351.5, "12:00:00", 0.5);
        row("Time to the second", VarType::Time, 47655 / 86400.0, "13:14:15", 47655 / 86400.0);
        row("DateTime", VarType::DateTime, 45351.25, "2024-02-29 06:00:00", 45351.25);
        row("DateTime before 1899", VarType::DateTime, -1.25, "1899-12-29 06:00:00", -1.25);
        row("String", VarType::String, QStringLiteral("a=b ; c"), "a=b ; c",
            QStringLiteral("a=b ; c"));
        row("non-ASCII String", VarType::String, QStringLiteral("Caf\u00e9"), "Caf\xC3\xA9",
            QStringLiteral("Caf\u00e9"));
    }

    void iniWritesText() {
        QFETCH(VarType, type);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, stored);
        QFETCH(QVariant, readBack);
        {
            TypedIniFile ini(iniPath());
            Variables variables;
            variables.set(type, value);
            QVERIFY(ini.readWrite(Section, Name, variables.ref(type), QVariant(), type, true));
        }
        QCOMPARE(iniLine(iniPath(), "v"), QByteArray("v=" + stored));
        TypedIniFile ini(iniPath());
        Variables variables = Variables::untouched();
        QVERIFY(ini.readWrite(Section, Name, variables.ref(type), QVariant(), type, false));
        QCOMPARE(variables.get(type), readBack);
    }

    void iniRefusesUnsupportedTypes_data() {
        QTest::addColumn<VarType>("type");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("message");
        const QString reading =
            QStringLiteral("VarType is not recognized in TEnhIniFile.ReadValue");
        const QString writing =
            QStringLiteral("VarType is not recognized in TEnhIniFile.WriteValue");
        QTest::newRow("read Currency") << VarType::Currency << false << reading;
        QTest::newRow("read code 9") << UnknownCode << false << reading;
        QTest::newRow("write Currency") << VarType::Currency << true << writing;
        QTest::newRow("write ExpandString") << VarType::ExpandString << true << writing;
        QTest::newRow("write code 9") << UnknownCode << true << writing;
    }

    void iniRefusesUnsupportedTypes() {
        QFETCH(VarType, type);
        QFETCH(bool, write);
        QFETCH(QString, message);
        const QByteArray text = "[S]\r\nv=5\r\n";
        writeBytes(iniPath(), text);
        TypedIniFile ini(iniPath());
        Variables variables = Variables::untouched();
        const Status status = ini.readWrite(Section, Name, variables.ref(type), 1, type, write);
        QVERIFY(status.failed());
        QCOMPARE(status.message(), message);
        QCOMPARE(variables.get(type), Variables::untouched().get(type));
        QCOMPARE(readBytes(iniPath()), text);
    }

    void refusedIniWriteGivesTheFileError_data() { refusedRegistryWriteKeepsTheFile_data(); }

    void refusedIniWriteGivesTheFileError() {
        QFETCH(QString, kind);
        const QString folder = env_->path() + QLatin1String("/ini");
        const QString fileName = folder + QLatin1String("/test.ini");
        QDir(folder).removeRecursively();
        writeBytes(fileName, "[S]\r\nv=1\r\n");
        const bool regular = replaceFile(fileName, kind);
        std::unique_ptr<TestSupport::ReadOnlyFolder> guard;
        if (kind == QLatin1String("both")) {
            guard = std::make_unique<TestSupport::ReadOnlyFolder>(folder);
            QVERIFY(guard->effective());
        }
        TypedIniFile ini(fileName);
        QCOMPARE(ini.isReadable(), regular);
        QCOMPARE(ini.readBool(Section, QStringLiteral("v"), false), regular);
        bool value = false;
        const Status status = ini.readWrite(Section, Name, &value, true, VarType::Bool, true);
        QVERIFY(status.failed());
        QCOMPARE(status.message(), QString(QLatin1String("Unable to write to ") + fileName));
        if (regular)
            QCOMPARE(readBytes(fileName), QByteArray("[S]\r\nv=1\r\n"));
        else
            QVERIFY(fileType(fileName) != S_IFREG);
    }
};

QTEST_GUILESS_MAIN(TestTypedStores)
#include "tst_typedstores.moc"
