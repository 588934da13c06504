#pragma once

#include <QToolButton>

// A flat toolbar button of fixed size with its image above its caption, drawn by itself so the
// caption fits the small button whatever the widget style's margins are. The image is drawn
// normal, hot (under the mouse) or grey (disabled).
class ToolBarButton : public QToolButton {
    Q_OBJECT
public:
    ToolBarButton(const QSize& size, QWidget* parent = nullptr);

    QSize sizeHint() const override { return fixedSize_; }
    QSize minimumSizeHint() const override { return fixedSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSize fixedSize_;
};
