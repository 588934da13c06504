#include "MainWindowFixture.h"

#include "platform/ShellExecute.h"

#include <QTest>

MainWindowFixture::MainWindowFixture(const QString& temporaryPlayList)
    : playing(std::make_unique<PlayingModule>(dialogs, Shell::ShellExecute, temporaryPlayList)) {}

MainWindow& MainWindowFixture::create(const QString& programPath, const QStringList& parameters) {
    window = std::make_unique<MainWindow>(
        ProgramContext{vars, dialogs, hints, *playing, programPath, parameters});
    return *window;
}

namespace {
QStringList textsOf(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}
} // namespace

QStringList MainWindowFixture::playListNames() const {
    return textsOf(window->lbPlayLists);
}

QStringList MainWindowFixture::songTexts() const {
    return textsOf(window->lbMP3Songs);
}

void MainWindowFixture::clickPlayList(int row) {
    QListWidget* list = window->lbPlayLists;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, itemCentre(list, row));
    // The click handler runs after the list has moved its focus.
    QCoreApplication::processEvents();
}

QPoint MainWindowFixture::itemCentre(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}
