#include "TestSupport.h"
#include "ScriptFileDialogs.h"
#include "platform/ConfigLocations.h"
#include "platform/ProgramStarter.h"
#include "settings/RegistryFile.h"
#include "startup/Installation.h"

#include <QDir>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

const QString InstallKey = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox");
const QStringList RecordNames = {QStringLiteral("Version"), QStringLiteral("EXE Location"),
                                 QStringLiteral("NeverAsk"), QStringLiteral("NeverAskVer")};
const QByteArray OwnProgram = "program 1300";
const QByteArray OldProgram = "program 1200";

const QString InstallQuestion =
    QStringLiteral("You have never used Platterbox before, would you like to install it now?");
const QString DeclineQuestion = QStringLiteral(
    "Installation had not been completed, would you\rlike to be prompted again for this version?");
const QString AbortQuestion = QStringLiteral("No folder selected, abort?");
const QString RegistryError = QStringLiteral("Error accessing the registery!");

QString yesNo(const QString& text) {
    return QLatin1String("yesno:") + text;
}
// A warning, where questions are questions.
QString abortQuestion() {
    return QLatin1String("yesno/warning:") + AbortQuestion;
}
QString message(const QString& text) {
    return QLatin1String("message:") + text;
}
QString folderChooser() {
    return QStringLiteral("folder:Select where to install Platterbox:");
}
QString copyFailed(const QString& destination) {
    return QLatin1String("retrycancel/error:Can not copy file!\rSource: {own}\rDestionation: ") +
           destination;
}
QString upgraded(int oldVersion) {
    return message(QLatin1String("This new version (1300) had been updated on your drive.\r"
                                 "Old version (") +
                   QString::number(oldVersion) +
                   QLatin1String(") had been backuped up on the same folder."));
}

QString kindName(ScriptedDialogs::Kind kind) {
    switch (kind) {
    case ScriptedDialogs::Kind::Message:
        return QStringLiteral("message");
    case ScriptedDialogs::Kind::YesNo:
        return QStringLiteral("yesno");
    case ScriptedDialogs::Kind::RetryCancel:
        return QStringLiteral("retrycancel");
    case ScriptedDialogs::Kind::Folder:
        return QStringLiteral("folder");
    default:
        return QStringLiteral("other");
    }
}

// The box's icon is named where it is not the usual one of its kind.
QString boxName(const ScriptedDialogs::Record& record) {
    using Box = UserDialogs::BoxKind;
    const Box usual = record.kind == ScriptedDialogs::Kind::YesNo         ? Box::Question
                      : record.kind == ScriptedDialogs::Kind::RetryCancel ? Box::Warning
                                                                          : Box::Information;
    const QStringList names = {QStringLiteral("/information"), QStringLiteral("/question"),
                               QStringLiteral("/warning"), QStringLiteral("/error")};
    return record.box == usual ? QString() : names.at(int(record.box));
}

QStringList shown(const ScriptedDialogs& dialogs) {
    QStringList texts;
    for (const ScriptedDialogs::Record& record : dialogs.records())
        texts << kindName(record.kind) + boxName(record) + QLatin1Char(':') + record.text;
    return texts;
}

// "dword:1300", "sz:text", "expand:text", or "absent".
QString describe(const std::optional<RegistryValue>& value) {
    if (!value)
        return QStringLiteral("absent");
    switch (RegType(value->type)) {
    case RegType::Dword:
        return QLatin1String("dword:") + QString::number(value->dword);
    case RegType::Sz:
        return QLatin1String("sz:") + value->text;
    case RegType::ExpandSz:
        return QLatin1String("expand:") + value->text;
    default:
        return QLatin1String("type") + QString::number(value->type);
    }
}

RegistryValue parseValue(const QString& described) {
    const QString kind = described.section(QLatin1Char(':'), 0, 0);
    const QString data = described.section(QLatin1Char(':'), 1);
    if (kind == QLatin1String("dword"))
        return RegistryValue::fromDword(data.toUInt());
    if (kind == QLatin1String("expand"))
        return RegistryValue::fromString(data, RegType::ExpandSz);
    return RegistryValue::fromString(data, RegType::Sz);
}

} // namespace

// The installation and version check against a real system.reg, real program files in a
// temporary folder and scripted answers.
class TestInstallation : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }
    QString ownPath() const { return path(QStringLiteral("cd/Platterbox")); }
    QString higherPath() const { return path(QStringLiteral("higher version/Platterbox")); }

    QString expand(QString text) const {
        return text.replace(QLatin1String("{own}"), ownPath())
            .replace(QLatin1String("{installed}"),
                     path(QStringLiteral("apps/Platterbox/Platterbox")))
            .replace(QLatin1String("{higher}"), higherPath())
            .replace(QLatin1String("{tmp}"), dir_->path());
    }
    QStringList expand(const QStringList& texts) const {
        QStringList expanded;
        for (const QString& text : texts)
            expanded << expand(text);
        return expanded;
    }

    // Each entry "name=dword:n", "name=sz:text" or "name=expand:text".
    void writeRecord(const QStringList& values) const {
        RegistryFile file(ConfigLocations::systemRegistryFile());
        for (const QString& entry : values) {
            const QString name = entry.section(QLatin1Char('='), 0, 0);
            QVERIFY(file.setValue(InstallKey, name,
                                  parseValue(expand(entry.section(QLatin1Char('='), 1))))
                        .isOk());
        }
    }

    QStringList record() const {
        const RegistryFile file(ConfigLocations::systemRegistryFile());
        QStringList values;
        for (const QString& name : RecordNames)
            values << describe(file.value(InstallKey, name));
        return values;
    }

    // Script lines as ScriptFileDialogs reads them.
    std::unique_ptr<ScriptFileDialogs> script(const QStringList& answers) const {
        const QString scriptPath = path(QStringLiteral("answers"));
        writeBytes(scriptPath, expand(answers).join(QLatin1Char('\n')).toUtf8());
        QFile::remove(scriptPath + QLatin1String(".log"));
        return std::make_unique<ScriptFileDialogs>(scriptPath);
    }

    // "relative path=own", "=old", "=absent" or "=<other content>".
    void verifyFiles(const QStringList& files) const {
        for (const QString& entry : files) {
            const QString file = path(entry.section(QLatin1Char('='), 0, 0));
            const QString content = entry.section(QLatin1Char('='), 1);
            if (content == QLatin1String("absent"))
                QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
            else
                QCOMPARE(readBytes(file), content == QLatin1String("own")   ? OwnProgram
                                          : content == QLatin1String("old") ? OldProgram
                                                                            : content.toUtf8());
        }
    }

    InstallationOutcome runCheck(UserDialogs& dialogs) const {
        return runInstallationCheck(dialogs, ownPath(), ProgramStarter::startDetached);
    }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QDir(ConfigLocations::configFolder()).removeRecursively();
        writeBytes(ownPath(), OwnProgram);
        QVERIFY(QDir().mkpath(QFileInfo(higherPath()).path()));
        QVERIFY(QFile::copy(QStringLiteral(TOOL_recordargs), higherPath()));
    }

    void check_data() {
        QTest::addColumn<QStringList>("initialRecord");
        QTest::addColumn<bool>("installedFile"); // {installed} holds the old program
        QTest::addColumn<bool>("ownFile");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QStringList>("finalRecord"); // Version, EXE Location, NeverAsk(Ver)
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("startedWith"); // arguments of the higher version

        const QString absent = QStringLiteral("absent");
        const QStringList nothing;
        const QStringList installedHere = {QStringLiteral("dword:1300"),
                                           QStringLiteral("sz:{tmp}/apps/Platterbox/Platterbox"),
                                           QStringLiteral("dword:0"), QStringLiteral("dword:1300")};
        const QStringList declined = {absent, absent, QStringLiteral("dword:1"),
                                      QStringLiteral("dword:1300")};
        const QStringList noRecord = {absent, absent, absent, absent};
        const QStringList installedOld = {QStringLiteral("Version=dword:1200"),
                                          QStringLiteral("EXE Location=sz:{installed}")};

        QTest::newRow("first start, yes, installed into the chosen folder")
            << nothing << false << true
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/apps")}
            << QStringList{yesNo(InstallQuestion), folderChooser()} << installedHere
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own"),
                           QStringLiteral("cd/Platterbox=own")}
            << nothing;
        QTest::newRow("first start, no, not again")
            << nothing << false << true << QStringList{QStringLiteral("no"), QStringLiteral("no")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)} << declined
            << QStringList{QStringLiteral("apps=absent")} << nothing;
        QTest::newRow("first start, no, ask again")
            << nothing << false << true << QStringList{QStringLiteral("no"), QStringLiteral("yes")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)} << noRecord << nothing
            << nothing;
        QTest::newRow("declined for this version")
            << QStringList{QStringLiteral("NeverAsk=dword:1"),
                           QStringLiteral("NeverAskVer=dword:1300")}
            << false << true << nothing << nothing << declined << nothing << nothing;
        QTest::newRow("declined by a newer version")
            << QStringList{QStringLiteral("NeverAsk=dword:1"),
                           QStringLiteral("NeverAskVer=dword:1400")}
            << false << true << nothing << nothing
            << QStringList{absent, absent, QStringLiteral("dword:1"), QStringLiteral("dword:1400")}
            << nothing << nothing;
        QTest::newRow("declined for an older version asks again")
            << QStringList{QStringLiteral("NeverAsk=dword:1"),
                           QStringLiteral("NeverAskVer=dword:1200")}
            << false << true << QStringList{QStringLiteral("no"), QStringLiteral("yes")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)}
            << QStringList{absent, absent, QStringLiteral("dword:1"), QStringLiteral("dword:1200")}
            << nothing << nothing;
        QTest::newRow("not declined asks")
            << QStringList{QStringLiteral("NeverAsk=dword:0"),
                           QStringLiteral("NeverAskVer=dword:1300")}
            << false << true << QStringList{QStringLiteral("no"), QStringLiteral("no")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)} << declined << nothing
            << nothing;
        QTest::newRow("same version installed")
            << QStringList{QStringLiteral("Version=dword:1300"),
                           QStringLiteral("EXE Location=sz:{installed}")}
            << true << true << nothing << nothing
            << QStringList{QStringLiteral("dword:1300"), QStringLiteral("sz:{installed}"), absent,
                           absent}
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=old"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=absent")}
            << nothing;
        QTest::newRow("older version upgraded, old file kept as backup")
            << installedOld << true << true << nothing << QStringList{upgraded(1200)}
            << QStringList{QStringLiteral("dword:1300"), QStringLiteral("sz:{installed}"),
                           QStringLiteral("dword:0"), QStringLiteral("dword:1300")}
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=old")}
            << nothing;
        QTest::newRow("older version, this version declined")
            << installedOld + QStringList{QStringLiteral("NeverAsk=dword:1"),
                                          QStringLiteral("NeverAskVer=dword:1300")}
            << true << true << nothing << nothing
            << QStringList{QStringLiteral("dword:1200"), QStringLiteral("sz:{installed}"),
                           QStringLiteral("dword:1"), QStringLiteral("dword:1300")}
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=old"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=absent")}
            << nothing;
        QTest::newRow("older version whose file is gone: a new folder")
            << QStringList{QStringLiteral("Version=dword:1200"),
                           QStringLiteral("EXE Location=sz:{tmp}/gone/Platterbox")}
            << false << true << QStringList{QStringLiteral("folder={tmp}/apps")}
            << QStringList{folderChooser(), upgraded(1200)} << installedHere
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own")} << nothing;
        QTest::newRow("older version, copy cancelled: the old file goes back")
            << installedOld << true << false
            << QStringList{QStringLiteral("cancel"), QStringLiteral("no")}
            << QStringList{copyFailed(QStringLiteral("{installed}")), yesNo(DeclineQuestion)}
            << QStringList{QStringLiteral("dword:1200"), QStringLiteral("sz:{installed}"),
                           QStringLiteral("dword:1"), QStringLiteral("dword:1300")}
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=old"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=absent")}
            << nothing;
        QTest::newRow("higher version started in this copy's place")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{higher}")}
            << false << true << nothing << nothing
            << QStringList{QStringLiteral("dword:1400"), QStringLiteral("sz:{higher}"), absent,
                           absent}
            << nothing << QStringList{QStringLiteral("{own}"), QStringLiteral("1300")};
        QTest::newRow("higher version recorded as an expandable string")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=expand:{higher}")}
            << false << true << nothing << nothing
            << QStringList{QStringLiteral("dword:1400"), QStringLiteral("expand:{higher}"), absent,
                           absent}
            << nothing << QStringList{QStringLiteral("{own}"), QStringLiteral("1300")};
        QTest::newRow("higher version that cannot be started")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{tmp}/missing/Platterbox")}
            << false << true << nothing
            << QStringList{message(
                   QStringLiteral("Unable to run a higher version of the program!\r"
                                  "Location: {tmp}/missing/Platterbox\rVersion: 1400"))}
            << QStringList{QStringLiteral("dword:1400"),
                           QStringLiteral("sz:{tmp}/missing/Platterbox"), absent, absent}
            << nothing << nothing;
        QTest::newRow("version without location is no installation")
            << QStringList{QStringLiteral("Version=dword:1300")} << false << true
            << QStringList{QStringLiteral("no"), QStringLiteral("no")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)}
            << QStringList{QStringLiteral("dword:1300"), absent, QStringLiteral("dword:1"),
                           QStringLiteral("dword:1300")}
            << nothing << nothing;
        QTest::newRow("location without version is no installation")
            << QStringList{QStringLiteral("EXE Location=sz:{installed}")} << true << true
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/other")}
            << QStringList{yesNo(InstallQuestion), folderChooser()}
            << QStringList{QStringLiteral("dword:1300"),
                           QStringLiteral("sz:{tmp}/other/Platterbox/Platterbox"),
                           QStringLiteral("dword:0"), QStringLiteral("dword:1300")}
            << QStringList{QStringLiteral("other/Platterbox/Platterbox=own"),
                           QStringLiteral("apps/Platterbox/Platterbox=old")}
            << nothing;
        QTest::newRow("folder ending in a separator gets no second one")
            << nothing << false << true
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/apps/")}
            << QStringList{yesNo(InstallQuestion), folderChooser()} << installedHere
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own")} << nothing;
        QTest::newRow("folder dialog cancelled, not aborted")
            << nothing << false << true
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder-cancel"),
                           QStringLiteral("no"), QStringLiteral("folder={tmp}/apps")}
            << QStringList{yesNo(InstallQuestion), folderChooser(), abortQuestion(),
                           folderChooser()}
            << installedHere << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own")}
            << nothing;
        QTest::newRow("folder dialog cancelled and aborted")
            << nothing << false << true
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder-cancel"),
                           QStringLiteral("yes"), QStringLiteral("no")}
            << QStringList{yesNo(InstallQuestion), folderChooser(), abortQuestion(),
                           yesNo(DeclineQuestion)}
            << declined << nothing << nothing;
        QTest::newRow("copy fails, retried, cancelled")
            << nothing << false << false
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/apps"),
                           QStringLiteral("retry"), QStringLiteral("cancel"), QStringLiteral("yes")}
            << QStringList{yesNo(InstallQuestion), folderChooser(),
                           copyFailed(QStringLiteral("{tmp}/apps/Platterbox/Platterbox")),
                           copyFailed(QStringLiteral("{tmp}/apps/Platterbox/Platterbox")),
                           yesNo(DeclineQuestion)}
            << noRecord << QStringList{QStringLiteral("apps/Platterbox/Platterbox=absent")}
            << nothing;
        QTest::newRow("version of the wrong type")
            << QStringList{QStringLiteral("Version=sz:1400"),
                           QStringLiteral("EXE Location=sz:{higher}")}
            << false << true << nothing << QStringList{message(RegistryError)}
            << QStringList{QStringLiteral("sz:1400"), QStringLiteral("sz:{higher}"), absent, absent}
            << nothing << nothing;
        QTest::newRow("location of the wrong type")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=dword:5")}
            << false << true << nothing << QStringList{message(RegistryError)}
            << QStringList{QStringLiteral("dword:1400"), QStringLiteral("dword:5"), absent, absent}
            << nothing << nothing;
        QTest::newRow("refusal of the wrong type")
            << QStringList{QStringLiteral("NeverAsk=sz:1"),
                           QStringLiteral("NeverAskVer=dword:1300")}
            << false << true << nothing << QStringList{message(RegistryError)}
            << QStringList{absent, absent, QStringLiteral("sz:1"), QStringLiteral("dword:1300")}
            << nothing << nothing;
        QTest::newRow("refusal version of the wrong type, older version installed")
            << installedOld + QStringList{QStringLiteral("NeverAsk=dword:0"),
                                          QStringLiteral("NeverAskVer=sz:1300")}
            << true << true << nothing << QStringList{message(RegistryError)}
            << QStringList{QStringLiteral("dword:1200"), QStringLiteral("sz:{installed}"),
                           QStringLiteral("dword:0"), QStringLiteral("sz:1300")}
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=old"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=absent")}
            << nothing;
    }

    void check() {
        QFETCH(QStringList, initialRecord);
        QFETCH(bool, installedFile);
        QFETCH(bool, ownFile);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, dialogs);
        QFETCH(QStringList, finalRecord);
        QFETCH(QStringList, files);
        QFETCH(QStringList, startedWith);
        writeRecord(initialRecord);
        if (installedFile)
            writeBytes(expand(QStringLiteral("{installed}")), OldProgram);
        if (!ownFile)
            QVERIFY(QFile::remove(ownPath()));
        const std::unique_ptr<ScriptFileDialogs> scripted = script(answers);

        const InstallationOutcome outcome = runCheck(*scripted);

        QCOMPARE(shown(*scripted), expand(dialogs));
        QVERIFY(scripted->allAnswersUsed());
        QCOMPARE(record(), expand(finalRecord));
        verifyFiles(files);
        QCOMPARE(outcome, startedWith.isEmpty() ? InstallationOutcome::Continue
                                                : InstallationOutcome::HandedOver);
        const QString arguments = higherPath() + QLatin1String(".args");
        if (startedWith.isEmpty()) {
            QVERIFY(!QFileInfo::exists(arguments));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(arguments), 5000);
        QCOMPARE(
            QString::fromUtf8(readBytes(arguments)).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            expand(startedWith));
    }

    // Records and folders that would make the check lose the old program, claim a backup it
    // did not make, move the running program away or start copies forever.
    void hostileSituations_data() {
        QTest::addColumn<QStringList>("initialRecord");
        // "path=own", "=old", "=note", "=link:target", or "folder=readonly" during the check
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("chain"); // programs of the chain this copy belongs to
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("finalVersion");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("started"); // the program started, or empty

        const QStringList none;
        const QStringList installedOld = {QStringLiteral("Version=dword:1200"),
                                          QStringLiteral("EXE Location=sz:{installed}")};
        const QString old = QStringLiteral("apps/Platterbox/Platterbox=old");
        QTest::newRow("backup name taken: the next free one")
            << installedOld
            << QStringList{old, QStringLiteral("apps/Platterbox/Platterbox.1300=note"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300.1=note")}
            << none << QStringList{upgraded(1200)} << QStringLiteral("dword:1300")
            << QStringList{QStringLiteral("apps/Platterbox/Platterbox=own"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300=note"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300.1=note"),
                           QStringLiteral("apps/Platterbox/Platterbox.1300.2=old")}
            << QString();
        QTest::newRow("no backup possible: nothing replaced, nothing claimed")
            << installedOld
            << QStringList{old, QStringLiteral("apps/Platterbox/Platterbox.1300=link:/"),
                           QStringLiteral("apps/Platterbox=readonly")}
            << none
            << QStringList{message(QStringLiteral("Can not back up the old version!\r"
                                                  "Location: {installed}")),
                           yesNo(DeclineQuestion)}
            << QStringLiteral("dword:1200") << QStringList{old} << QString();
        QTest::newRow("running program is the recorded older one")
            << QStringList{QStringLiteral("Version=dword:1200"),
                           QStringLiteral("EXE Location=sz:{own}")}
            << none << none << none << QStringLiteral("dword:1300")
            << QStringList{QStringLiteral("cd/Platterbox=own"),
                           QStringLiteral("cd/Platterbox.1300=absent")}
            << QString();
        QTest::newRow("running program reached through a link")
            << QStringList{QStringLiteral("Version=dword:1200"),
                           QStringLiteral("EXE Location=sz:{tmp}/link/Platterbox")}
            << QStringList{QStringLiteral("link=link:{tmp}/cd")} << none << none
            << QStringLiteral("dword:1300")
            << QStringList{QStringLiteral("cd/Platterbox=own"),
                           QStringLiteral("cd/Platterbox.1300=absent")}
            << QString();
        QTest::newRow("higher version recorded at this program's own file")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{own}")}
            << none << none << none << QStringLiteral("dword:1400")
            << QStringList{QStringLiteral("cd/Platterbox=own")} << QString();
        QTest::newRow("higher version already started in this chain")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{higher}")}
            << none << QStringList{QStringLiteral("{tmp}/other"), QStringLiteral("{higher}")}
            << none << QStringLiteral("dword:1400") << none << QString();
        QTest::newRow("this program already started in this chain")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{higher}")}
            << none << QStringList{QStringLiteral("{own}")} << none << QStringLiteral("dword:1400")
            << none << QString();
        QTest::newRow("higher version started with the chain")
            << QStringList{QStringLiteral("Version=dword:1400"),
                           QStringLiteral("EXE Location=sz:{higher}")}
            << none << QStringList{QStringLiteral("{tmp}/first, with comma")} << none
            << QStringLiteral("dword:1400") << none << QStringLiteral("{higher}");
    }

    void hostileSituations() {
        QFETCH(QStringList, initialRecord);
        QFETCH(QStringList, before);
        QFETCH(QStringList, chain);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, finalVersion);
        QFETCH(QStringList, files);
        QFETCH(QString, started);
        writeRecord(initialRecord);
        std::optional<TestSupport::ReadOnlyFolder> locked;
        for (const QString& entry : before) {
            const QString file = path(entry.section(QLatin1Char('='), 0, 0));
            const QString content = expand(entry.section(QLatin1Char('='), 1));
            if (content == QLatin1String("readonly")) {
                locked.emplace(file);
                QVERIFY(locked->effective());
            } else if (content.startsWith(QLatin1String("link:")))
                QVERIFY(QFile::link(content.mid(5), file));
            else
                writeBytes(file, content == QLatin1String("own")   ? OwnProgram
                                 : content == QLatin1String("old") ? OldProgram
                                                                   : QByteArray("note"));
        }
        QByteArrayList encoded;
        for (const QString& program : expand(chain))
            encoded << program.toUtf8().toPercentEncoding();
        qputenv(InstallationCheck::HandOffChainVariable, encoded.join(','));
        QStringList startedPrograms;
        QByteArray chainSeen;
        ScriptedDialogs scripted;
        scripted.answerYesNo(false);
        const InstallationOutcome outcome = runInstallationCheck(
            scripted, ownPath(), [&](const QString& program, const QStringList&) {
                startedPrograms << program;
                chainSeen = qgetenv(InstallationCheck::HandOffChainVariable);
                return true;
            });
        locked.reset();

        QCOMPARE(shown(scripted), expand(dialogs));
        QCOMPARE(record().value(0), finalVersion);
        verifyFiles(files);
        QCOMPARE(startedPrograms, started.isEmpty() ? QStringList() : QStringList{expand(started)});
        QCOMPARE(outcome, started.isEmpty() ? InstallationOutcome::Continue
                                            : InstallationOutcome::HandedOver);
        // The started copy knows the whole chain; this process keeps no trace of it.
        if (!started.isEmpty())
            QCOMPARE(chainSeen, encoded.join(',') + ',' + ownPath().toUtf8().toPercentEncoding() +
                                    ',' + higherPath().toUtf8().toPercentEncoding());
        QVERIFY(!qEnvironmentVariableIsSet(InstallationCheck::HandOffChainVariable));
    }

    // A later start sees what the first one recorded.
    void laterStart_data() {
        QTest::addColumn<QStringList>("firstAnswers");
        QTest::addColumn<QStringList>("laterDialogs");
        QTest::newRow("declined for good: silent")
            << QStringList{QStringLiteral("no"), QStringLiteral("no")} << QStringList{};
        QTest::newRow("declined for now: asked again")
            << QStringList{QStringLiteral("no"), QStringLiteral("yes")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion)};
        QTest::newRow("installed: silent")
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/apps")}
            << QStringList{};
    }

    void laterStart() {
        QFETCH(QStringList, firstAnswers);
        QFETCH(QStringList, laterDialogs);
        QCOMPARE(runCheck(*script(firstAnswers)), InstallationOutcome::Continue);
        const std::unique_ptr<ScriptFileDialogs> later =
            script({QStringLiteral("no"), QStringLiteral("yes")});
        QCOMPARE(runCheck(*later), InstallationOutcome::Continue);
        QCOMPARE(shown(*later), laterDialogs);
    }

    // Retry copies again: the file that was missing is there now.
    void retryCopiesOnceTheCauseIsGone() {
        class RestoringDialogs : public ScriptedDialogs {
        public:
            RestoringDialogs(const QString& own) : own_(own) {}
            bool askRetryCancel(const QString& text, BoxKind kind) override {
                ScriptedDialogs::askRetryCancel(text, kind);
                writeBytes(own_, OwnProgram);
                return true;
            }

        private:
            QString own_;
        } dialogs(ownPath());
        QVERIFY(QFile::remove(ownPath()));
        dialogs.answerYesNo(true);
        dialogs.answerFolder(path(QStringLiteral("apps")));

        QCOMPARE(runCheck(dialogs), InstallationOutcome::Continue);

        QCOMPARE(
            shown(dialogs),
            expand(QStringList{yesNo(InstallQuestion), folderChooser(),
                               copyFailed(QStringLiteral("{tmp}/apps/Platterbox/Platterbox"))}));
        QCOMPARE(readBytes(path(QStringLiteral("apps/Platterbox/Platterbox"))), OwnProgram);
        QCOMPARE(record().value(0), QStringLiteral("dword:1300"));
    }

    // The machine-wide file cannot be written: one message, and this copy goes on.
    void refusedWrite_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<bool>("copied");
        QTest::newRow("declining")
            << QStringList{QStringLiteral("no"), QStringLiteral("no")}
            << QStringList{yesNo(InstallQuestion), yesNo(DeclineQuestion), message(RegistryError)}
            << false;
        QTest::newRow("installing")
            << QStringList{QStringLiteral("yes"), QStringLiteral("folder={tmp}/apps")}
            << QStringList{yesNo(InstallQuestion), folderChooser(), message(RegistryError)} << true;
    }

    void refusedWrite() {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, copied);
        // A folder where the file should be: it can be neither read nor replaced.
        QVERIFY(QDir().mkpath(ConfigLocations::systemRegistryFile()));
        const std::unique_ptr<ScriptFileDialogs> scripted = script(answers);

        QCOMPARE(runCheck(*scripted), InstallationOutcome::Continue);

        QCOMPARE(shown(*scripted), expand(dialogs));
        QCOMPARE(QFileInfo::exists(path(QStringLiteral("apps/Platterbox/Platterbox"))), copied);
    }
};

QTEST_GUILESS_MAIN(TestInstallation)
#include "tst_installation.moc"
