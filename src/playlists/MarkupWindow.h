#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <atomic>
#include <functional>
#include <optional>

// Where the text of an XML playlist comes from: held whole (a UTF-16 file made UTF-8, a text
// given in memory), or read a part at a time, so a file of hundreds of megabytes is never in
// memory at once.
struct MarkupSource {
    // Appends up to `bytes` bytes from `offset` to `into`, fewer only at the end; false when
    // the read failed.
    using Read = std::function<bool(qint64 offset, qsizetype bytes, QByteArray& into)>;

    static MarkupSource whole(QByteArray text) { return {std::move(text), {}, 0}; }
    static MarkupSource parts(Read read, qsizetype windowBytes) {
        return {{}, std::move(read), windowBytes};
    }
    bool isWhole() const { return !read; }

    QByteArray text;
    Read read;
    qsizetype windowBytes = 0;
    // Set from another thread: the text reads as cut short at the next window.
    const std::atomic<bool>* stopped = nullptr;
};

// A stretch of a playlist's text, addressed by byte offsets from the text's start. Readers
// move it on as they go and say what they no longer need; a NUL byte ends the text, as it
// does in every playlist.
class MarkupWindow {
public:
    MarkupWindow(const MarkupSource& source, qsizetype from);

    QByteArrayView view() const { return view_; }
    // Where the view begins and ends in the text.
    qsizetype base() const { return base_; }
    qsizetype end() const { return base_ + view_.size(); }
    // Nothing follows end().
    bool atEnd() const { return ended_; }
    // The text was cut short: a NUL byte or a failed read.
    bool cut() const { return cut_; }
    QByteArrayView sliced(qsizetype from, qsizetype to) const {
        return view_.sliced(from - base_, to - from);
    }

    // Adds the next part; false when nothing was added (the text ended).
    bool readMore();
    // The bytes before `offset` are no longer needed.
    void release(qsizetype offset);

private:
    const MarkupSource& source_;
    QByteArray bytes_;
    QByteArrayView view_;
    qsizetype base_ = 0;
    bool ended_ = false;
    bool cut_ = false;
};
