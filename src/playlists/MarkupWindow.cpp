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
    // Read into the window itself: a file's bytes are copied once.
    const qsizetype before = bytes_.size();
    const bool read = source_.read(end(), source_.windowBytes, bytes_);
    if (!read || bytes_.size() == before) {
        ended_ = true;
        cut_ = !read;
    } else if (const qsizetype nul = bytes_.indexOf('\0', before); nul >= 0) {
        bytes_.truncate(nul);
        ended_ = true;
        cut_ = true;
    }
    view_ = bytes_;
    return bytes_.size() > before;
}

void MarkupWindow::release(qsizetype offset) {
    if (source_.isWhole() || offset <= base_)
        return;
    const qsizetype dropped = qMin(offset, end()) - base_;
    bytes_.remove(0, dropped);
    base_ += dropped;
    view_ = bytes_;
}
