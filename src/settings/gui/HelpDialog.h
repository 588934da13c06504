#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

// "Platterbox Help": the product name, a short manual in three tabs and the version number as
// the hint of the program image. Created once at start-up and shown modeless on demand;
// closing only hides it, so its tab and scroll position are still there the next time.
class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(QWidget* parent = nullptr);

    enum Tab { Instructions, History, Future };

    // Components, named as the program refers to them.
    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QTabBar* tcText = nullptr;
    QPlainTextEdit* memoVisual = nullptr;
    QPushButton* btnClose = nullptr;

    // The text that a tab shows.
    QString tabText(int tab) const;

    // Shows the text of the selected tab.
    void tcTextChange();
    void btnCloseClick();

    // Showing also brings the window to the front, when it is already visible too; the
    // first showing centres it on the desktop.
    void setVisible(bool visible) override;

private:
    void fillTexts();
    void createPanel();
    void createText();
    void arrangeLayout();
    void centreOnDesktop();

    // The hidden holders of the three texts.
    QString memoInfo_;
    QString memoHistory_;
    QString memoFuture_;
    bool placed_ = false;
};
