#include "MarkupWindow.h"

MarkupWindow::MarkupWindow(const MarkupSource& source, qsizetype from) : source_(source) {
    if (source.isWhole()) {
        view_ = source.text;
        ended_ = true;
        return;
    }
    base_ = from;
    readMore();
}

bool MarkupWindow::readMore() {
    if (ended_)
        return false;
    if (source_.stopped && source_.stopped->load(std::memory_order_relaxed)) {
        ended_ = cut_ = true;
        return false;
    }
    std::optional<QByteArray> part = source_.read(end(), source_.windowBytes);
    if (!part || part->isEmpty()) {
        ended_ = true;
        cut_ = !part;
        return false;
    }
    if (const qsizetype nul = part->indexOf('\0'); nul >= 0) {
        part->truncate(nul);
        ended_ = true;
        cut_ = true;
    }
    bytes_ += *part;
    view_ = bytes_;
    return !part->isEmpty();
}

void MarkupWindow::release(qsizetype offset) {
    if (source_.isWhole() || offset <= base_)
        return;
    const qsizetype dropped = qMin(offset, end()) - base_;
    bytes_.remove(0, dropped);
    base_ += dropped;
    view_ = bytes_;
}
