#pragma once

#include <QPixmap>
#include <QWidget>

class QSvgRenderer;
class QTimer;

// Our own stand-in for the system's find-folder clip: a lens circling over a folder, 30 frames
// that repeat for as long as it runs.
class FindFolderAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int FrameCount = 30;

    explicit FindFolderAnimation(QWidget* parent = nullptr);
    void start();
    void stop();
    bool isActive() const;
    int frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nextFrame();
    QPixmap renderElement(const QString& element, qreal ratio);

    QSvgRenderer* renderer_;
    QTimer* timer_;
    int frame_ = 0;
    QPixmap folder_;
    QPixmap lens_;
    QSizeF lensSize_;
};
