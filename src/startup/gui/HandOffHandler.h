#pragma once

#include <QString>
#include <QStringList>

class MainWindow;

// The running copy's side of a hand-off: a second copy's command line arrives, and the user
// is asked whether to switch to that copy's INI file. Refused without a question (the window
// only comes back) while a hand-off question is open, when new instances are ignored, or for
// an empty command line.
class HandOffHandler {
public:
    explicit HandOffHandler(MainWindow& window) : window_(window) {}

    // Returns when done, after the user's answer.
    void handle(const QStringList& commandLine);

private:
    void refuse();
    void switchTo(const QString& iniPath);
    void bringToFront();

    MainWindow& window_;
    bool busy_ = false;
};
