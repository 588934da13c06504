#include "common/ScriptedDialogs.h"

#include <QtTest>

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
        QCOMPARE(dialogs.askText(QStringLiteral("Cap"), QStringLiteral("Prompt"),
                                 QStringLiteral("old")),
                 std::optional<QString>(QStringLiteral("new")));
        dialogs.showMessage(QStringLiteral("line\rline"));
        QCOMPARE(dialogs.questions(), QStringList({QStringLiteral("first?"),
                                                   QStringLiteral("second?")}));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("line\rline")});
        QCOMPARE(dialogs.records().at(2).caption, QStringLiteral("Cap"));
        QCOMPARE(dialogs.records().at(2).defaultText, QStringLiteral("old"));
        QVERIFY(dialogs.allAnswersUsed());
    }

    void unexpectedQuestionsAreRefused() {
        ScriptedDialogs dialogs;
        QVERIFY(!dialogs.askYesNo(QStringLiteral("?")));
        QVERIFY(!dialogs.askRetryCancel(QStringLiteral("?")));
        QVERIFY(!dialogs.chooseFolder(QStringLiteral("Where?"), QString()).has_value());
        QCOMPARE(dialogs.records().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestDialogs)
#include "tst_dialogs.moc"
