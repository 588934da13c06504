#pragma once

#include <QWidget>

// The invisible placeholder created before the main window; never shown. Should it ever be
// activated, it shows the main window instead.
class NullMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit NullMainWindow(QWidget* mainWindow = nullptr);
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* mainWindow_;
};
