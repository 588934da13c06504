#include "ScriptedDialogs.h"
#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

namespace {
// Looks at the program's box once it is open, then closes it with Enter.
void whenOpen(std::function<void(QWidget*)> look) {
    QTimer::singleShot(10, [look] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return whenOpen(look);
        look(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
}
} // namespace

// The scripted seam answers in order and records every text, and an unexpected question
// never blocks.
class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersInOrderAndRecords() {
        ScriptedDialogs dialogs;
        dialogs.answerYesNo(true);
        dialogs.answerYesNo(false);
        dialogs.answerText(QStringLiteral("new"));
        QVERIFY(dialogs.askYesNo(QStringLiteral("first?")));
        QVERIFY(!dialogs.askYesNo(QStringLiteral("second?")));
        QCOMPARE(
            dialogs.askText(QStringLiteral("Cap"), QStringLiteral("Prompt"), QStringLiteral("old")),
            std::optional<QString>(QStringLiteral("new")));
        dialogs.showMessage(QStringLiteral("line\rline"));
        QCOMPARE(dialogs.questions(),
                 QStringList({QStringLiteral("first?"), QStringLiteral("second?")}));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("line\rline")});
        QCOMPARE(dialogs.records().at(2).caption, QStringLiteral("Cap"));
        QCOMPARE(dialogs.records().at(2).defaultText, QStringLiteral("old"));
        QVERIFY(dialogs.allAnswersUsed());
    }

    // Each kind of box has its icon, and its caption is the program's text, whole.
    void boxesShowTheirKind_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("caption");
        QTest::newRow("report") << "message" << int(QMessageBox::Information) << "Platterbox";
        QTest::newRow("failure") << "error" << int(QMessageBox::Critical) << "Platterbox";
        QTest::newRow("question") << "yesno" << int(QMessageBox::Question) << "Confirm";
        QTest::newRow("warning question")
            << "yesno warning" << int(QMessageBox::Warning) << "Confirm";
        QTest::newRow("retry") << "retrycancel" << int(QMessageBox::Warning) << "Platterbox";
        QTest::newRow("retry after an error")
            << "retrycancel error" << int(QMessageBox::Critical) << "Platterbox";
    }

    void boxesShowTheirKind() {
        QFETCH(QString, kind);
        QFETCH(int, icon);
        QFETCH(QString, caption);
        QtDialogs dialogs;
        int shownIcon = -1;
        QString shownCaption;
        whenOpen([&](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box))
                shownIcon = int(message->icon());
            shownCaption = box->windowTitle();
        });
        const QString text = QStringLiteral("Folder specified was not found!");
        if (kind == QLatin1String("message"))
            dialogs.showMessage(text);
        else if (kind == QLatin1String("error"))
            dialogs.showError(text);
        else if (kind == QLatin1String("yesno"))
            dialogs.askYesNo(text);
        else if (kind == QLatin1String("yesno warning"))
            dialogs.askYesNo(text, UserDialogs::BoxKind::Warning);
        else if (kind == QLatin1String("retrycancel"))
            dialogs.askRetryCancel(text);
        else
            dialogs.askRetryCancel(text, UserDialogs::BoxKind::Error);
        QCOMPARE(shownIcon, icon);
        QCOMPARE(shownCaption, caption);
    }

    // The input box shows its whole caption and a full path without scrolling.
    void inputBoxFitsAFullPath() {
        QtDialogs dialogs;
        const QString caption = QStringLiteral("Edit playlist file name");
        const QString path =
            QStringLiteral("/home/listener/Music/Playlists/Jazz Classics/Best of 1959.m3u");
        int editWidth = 0, textWidth = 0, boxWidth = 0, captionWidth = 0;
        QString shownCaption;
        whenOpen([&](QWidget* box) {
            auto* edit = box->findChild<QLineEdit*>();
            editWidth = edit->width();
            textWidth = edit->fontMetrics().horizontalAdvance(edit->text());
            boxWidth = box->width();
            captionWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
            shownCaption = box->windowTitle();
        });
        const std::optional<QString> answer = dialogs.askText(
            caption, QStringLiteral("Please enter the new name for the playlist: "), path);
        QCOMPARE(answer, std::optional<QString>(path));
        QCOMPARE(shownCaption, caption);
        QVERIFY2(editWidth > textWidth,
                 qPrintable(QStringLiteral("%1 <= %2").arg(editWidth).arg(textWidth)));
        QVERIFY(boxWidth > captionWidth + 100);
    }

    void scriptedErrorsAreMessagesToo() {
        ScriptedDialogs dialogs;
        dialogs.showMessage(QStringLiteral("fine"));
        dialogs.showError(QStringLiteral("broken"));
        QCOMPARE(dialogs.messages(),
                 QStringList({QStringLiteral("fine"), QStringLiteral("broken")}));
        QCOMPARE(dialogs.errors(), QStringList{QStringLiteral("broken")});
    }

    void unexpectedQuestionsAreRefused() {
        ScriptedDialogs dialogs;
        QVERIFY(!dialogs.askYesNo(QStringLiteral("?")));
        QVERIFY(!dialogs.askRetryCancel(QStringLiteral("?")));
        QVERIFY(!dialogs.chooseFolder(QStringLiteral("Where?"), QString()).has_value());
        QCOMPARE(dialogs.records().size(), 3);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
