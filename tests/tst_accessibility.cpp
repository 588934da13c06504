#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "collection/gui/AddPlaylistsDialog.h"
#include "collection/MissingSongsModel.h"
#include "collection/gui/CreatePlaylistsDialog.h"
#include "collection/gui/FindMissingSongsDialog.h"
#include "collection/gui/Mp3CdWizard.h"
#include "common/gui/WaitWindow.h"
#include "settings/gui/HelpDialog.h"
#include "settings/gui/PreferencesDialog.h"
#include "startup/gui/CountdownDialog.h"

#include <QAccessible>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

// What a screen reader meets in every window: each control it can operate has a name, and each
// is reached with Tab.
class TestAccessibility : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    QTemporaryDir dir_;

    static bool isInteractive(QAccessible::Role role) {
        using A = QAccessible;
        return QList<A::Role>{A::PushButton,  A::ButtonMenu,   A::CheckBox,
                              A::RadioButton, A::EditableText, A::SpinBox,
                              A::List,        A::ComboBox,     A::PageTabList}
            .contains(role);
    }

    // Radio buttons of one group are one Tab stop (the checked one); arrows move within it.
    static bool reachedByTab(const QWidget* widget) {
        if (!qobject_cast<const QRadioButton*>(widget))
            return widget && (widget->focusPolicy() & Qt::TabFocus);
        const QList<QRadioButton*> group =
            widget->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        return std::any_of(group.cbegin(), group.cend(), [](const QRadioButton* radio) {
            return radio->focusPolicy() & Qt::TabFocus;
        });
    }

    // "name: problem" for every interactive element below `node` that lacks a name or
    // cannot be reached by Tab; `found` counts them all.
    static void walk(QAccessibleInterface* node, QStringList& problems, int& found) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface* child = node->child(i);
            if (!child || child->state().invisible)
                continue;
            if (isInteractive(child->role())) {
                ++found;
                const auto* widget = qobject_cast<const QWidget*>(child->object());
                const QString what = widget ? widget->objectName() : QStringLiteral("?");
                if (child->text(QAccessible::Name).trimmed().isEmpty())
                    problems << what + QStringLiteral(": no name");
                if (!reachedByTab(widget))
                    problems << what + QStringLiteral(": not reached by Tab");
            }
            walk(child, problems, found);
        }
    }

private Q_SLOTS:
    void everyControlIsNamedAndReachable_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("controls");  // interactive elements
        QTest::addColumn<QString>("first"); // the control a keyboard user starts in
        QTest::newRow("main window") << "main" << 9 << "playlistView";
        QTest::newRow("Add Playlists") << "add" << 9 << "fileRadio";
        QTest::newRow("Create Playlists") << "create" << 9 << "baseFolderEdit";
        QTest::newRow("MP3CD wizard") << "mp3cd" << 5 << "folderEdit";
        QTest::newRow("Preferences") << "preferences" << 24 << "verbGroupItem0";
        QTest::newRow("Help") << "help" << 3 << "textTabs";
        QTest::newRow("wait window") << "wait" << 1 << "abortButton";
        QTest::newRow("countdown") << "countdown" << 2 << "okButton";
    }

    void everyControlIsNamedAndReachable() {
        QFETCH(QString, window);
        QFETCH(int, controls);
        QFETCH(QString, first);
        ScriptedDialogs dialogs;
        Settings settings;
        CreatePlaylistsInputs createInputs;
        const QString program = dir_.filePath(QStringLiteral("Platterbox"));
        MainWindowFixture main(dir_.filePath(QStringLiteral("~PLATBX~.M3U")));
        std::unique_ptr<QWidget> owned;
        QWidget* shown = nullptr;
        if (window == QLatin1String("main"))
            shown = &main.create(program);
        else if (window == QLatin1String("add"))
            owned = std::make_unique<AddPlaylistsDialog>(AddPlaylistsInputs{}, dialogs);
        else if (window == QLatin1String("create"))
            owned = std::make_unique<CreatePlaylistsDialog>(createInputs, dialogs);
        else if (window == QLatin1String("mp3cd"))
            owned = std::make_unique<Mp3CdWizard>(settings, dialogs, program);
        else if (window == QLatin1String("preferences"))
            owned = std::make_unique<PreferencesDialog>();
        else if (window == QLatin1String("help"))
            owned = std::make_unique<HelpDialog>();
        else if (window == QLatin1String("wait"))
            owned = std::make_unique<WaitWindow>();
        else
            owned = std::make_unique<CountdownDialog>(60, QStringLiteral("Playing soon"), nullptr);
        if (owned)
            shown = owned.get();
        shown->show();
        shown->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), first);

        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(shown);
        QVERIFY(root);
        QStringList problems;
        int found = 0;
        walk(root, problems, found);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        QCOMPARE(found, controls);
    }

    void windowsAreWindows_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("wait window") << "wait";
        QTest::newRow("Find Missing Songs review") << "review";
    }

    // A screen reader names each top-level window as one, with its title, not as a filler.
    void windowsAreWindows() {
        QFETCH(QString, window);
        MissingSongsModel model(reviewedPlaylists());
        std::unique_ptr<QWidget> shown;
        if (window == QLatin1String("wait"))
            shown = std::make_unique<WaitWindow>();
        else
            shown = std::make_unique<FindMissingSongsDialog>(model);
        shown->setWindowTitle(QStringLiteral("Looking"));
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(shown.get());
        QVERIFY(node);
        QVERIFY2(QList<QAccessible::Role>({QAccessible::Window, QAccessible::Dialog})
                     .contains(node->role()),
                 qPrintable(QString::number(node->role())));
        QCOMPARE(node->text(QAccessible::Name), QStringLiteral("Looking"));
    }

    void reviewTickBoxes_data() {
        QTest::addColumn<int>("song");
        QTest::addColumn<bool>("tickBox");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("found, to be written") << 0 << true << true;
        QTest::newRow("found, left out") << 1 << true << false;
        QTest::newRow("a tie: nothing to tick") << 2 << false << false;
        QTest::newRow("not found: nothing to tick") << 3 << false << false;
    }

    // Each song's tick box is read out as one that can be ticked, with its state; the new entry
    // beside it is no tick box.
    void reviewTickBoxes() {
        QFETCH(int, song);
        QFETCH(bool, tickBox);
        QFETCH(bool, ticked);
        MissingSongsModel model(reviewedPlaylists());
        FindMissingSongsDialog dialog(model);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("missingView"));
        QVERIFY(view);
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(view);
        QVERIFY(tree && tree->tableInterface());
        const QModelIndex entry = model.index(song, MissingSongsModel::OldEntry, model.index(0, 0));
        // Below the playlist's row.
        QAccessibleInterface* cell = tree->tableInterface()->cellAt(1 + song, 0);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), entry.data().toString());
        QCOMPARE(bool(cell->state().checkable), tickBox);
        QCOMPARE(bool(cell->state().checked), ticked);
        QCOMPARE(cell->parent(), tree);
        QAccessibleInterface* newEntry = tree->tableInterface()->cellAt(1 + song, 1);
        QVERIFY(newEntry && !newEntry->state().checkable);
    }

private:
    // One playlist with a song found and written, one found and left out, a tie and one not
    // found.
    static QList<PlaylistRelocation> reviewedPlaylists() {
        PlaylistRelocation playlist;
        playlist.listPath = "/music/list.m3u";
        const auto song = [](const char* entry, QList<QByteArray> candidates, bool checked) {
            SongRelocation relocation = SongRelocation::of(0, entry, QByteArray("/old/") + entry);
            relocation.candidateCount = candidates.size();
            relocation.candidates = std::move(candidates);
            relocation.chosen = relocation.candidates.size() == 1 ? 0 : -1;
            relocation.checked = checked;
            return relocation;
        };
        playlist.songs = {song("a.mp3", {"/new/a.mp3"}, true), song("b.mp3", {"/new/b.mp3"}, false),
                          song("c.mp3", {"/new/1/c.mp3", "/new/2/c.mp3"}, false),
                          song("d.mp3", {}, false)};
        return {playlist};
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
