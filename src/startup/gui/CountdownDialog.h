#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

// The auto-play countdown: N, N - 1, ..., 1, one per second, then it closes with OK.
class CountdownDialog : public QDialog {
    Q_OBJECT
public:
    CountdownDialog(int seconds, const QString& message, QWidget* owner);

protected:
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    // One tick of the second timer.
    void countOneSecond();

private:
    void createControls();

    QLabel* iconLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QLabel* secondsLabel_ = nullptr;
    QLabel* remainingLabel_ = nullptr;
    QPushButton* playNowButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QTimer* secondTimer_ = nullptr;
    int secondsLeft_ = 0;
};

// True when playing should start now: the count ran out or "Play Now" was pressed.
bool runCountdown(int seconds, const QString& message, QWidget* owner);
