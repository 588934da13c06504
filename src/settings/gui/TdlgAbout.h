#pragma once

#include <QDialog>

// The help dialog: created once at start-up, shown modeless on demand.
class TdlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit TdlgAbout(QWidget* parent = nullptr);
};
