#pragma once

#include <QObject>

// The application-wide hint switch: while off, no control shows a tooltip.
class HintSwitch : public QObject {
    Q_OBJECT
public:
    explicit HintSwitch(QObject* parent = nullptr);
    ~HintSwitch() override;

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enabled_ = true;
};
