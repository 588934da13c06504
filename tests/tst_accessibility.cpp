#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "collection/gui/AddPlaylistsDialog.h"
#include "collection/gui/CreatePlaylistsDialog.h"
#include "collection/gui/Mp3CdWizard.h"
#include "collection/gui/WaitWindow.h"
#include "settings/gui/HelpDialog.h"
#include "settings/gui/PreferencesDialog.h"
#include "startup/gui/CountdownDialog.h"

#include <QAccessible>
#include <QRadioButton>
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
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
