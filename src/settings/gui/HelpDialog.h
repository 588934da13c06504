#pragma once

#include <QDialog>

#include <array>

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

    // The text that a tab shows.
    QString tabText(int tab) const;

    // Showing also brings the window to the front, when it is already visible too; the
    // first showing centres it on the desktop.
    void setVisible(bool visible) override;

private:
    void createPanel();
    void createText();
    void arrangeLayout();
    void centreOnDesktop();
    void showCurrentTabText();

    QFrame* panel_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QPlainTextEdit* textView_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    // The texts of the three tabs, indexed by Tab.
    std::array<QString, 3> texts_;
    bool placed_ = false;
};
