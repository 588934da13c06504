#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

// The auto-play countdown: N, N - 1, ..., 1, one per second, then it closes with OK.
class CountdownDialog : public QDialog {
    Q_OBJECT
public:
    explicit CountdownDialog(QWidget* owner);

    QLabel* lblMsg = nullptr;
    QLabel* lblNum = nullptr;
    QLabel* lblSecondsRemaining = nullptr;
    QLabel* imgIcon = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* RunTimer = nullptr;
    int secondsLeft = 0;

    // One tick of RunTimer.
    void countDown();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
};

// True when playing should start now: the count ran out or "Play Now" was pressed.
bool runCountdown(int seconds, const QString& message, QWidget* owner);
