#include "VlcItemList.h"

#include "MarkupPlaylistReader.h"

#include "base/TextDecoding.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>

namespace {

constexpr QByteArrayView VlcApplication("http://www.videolan.org/vlc/playlist/0");

// One <vlc:item>: where it lies in the text (characters) and the id of its track.
struct Item {
    qsizetype start = 0;
    qsizetype end = 0;
    QString tid;
    bool holdsElements = false;
};
// The items directly in the list, or directly in one of its nodes.
using Group = QList<Item>;

struct VlcList {
    QStringList trackIds; // in the order of the tracks
    QList<Group> groups;
    bool readable = true;
};

bool isVlcExtension(const QXmlStreamReader& reader) {
    return reader.qualifiedName() == u"extension" &&
           reader.attributes().value(QLatin1StringView("application")).trimmed() ==
               QLatin1StringView(VlcApplication);
}

// Walks the elements of an XSPF's text, noting its tracks' ids and the items of its list.
class VlcListScan {
public:
    explicit VlcListScan(const QString& text) : text_(text), reader_(text) {
        reader_.setNamespaceProcessing(false);
    }

    VlcList read() {
        while (!reader_.atEnd()) {
            switch (reader_.readNext()) {
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                endElement();
                break;
            case QXmlStreamReader::Characters:
                if (inTrackId_)
                    trackId_ += reader_.text();
                break;
            default:
                break;
            }
        }
        list_.readable = !reader_.hasError();
        return list_;
    }

private:
    void startElement() {
        // VLC writes an item empty; one holding elements is left where it is.
        if (item_)
            item_->holdsElements = true;
        names_.append(reader_.qualifiedName().toString());
        const qsizetype depth = names_.size();
        const QStringView name = reader_.qualifiedName();
        if (isVlcExtension(reader_)) {
            if (depth == 2) {
                listDepth_ = depth;
                openGroup();
            } else if (depth == 4 && names_.at(1) == u"trackList" && names_.at(2) == u"track") {
                trackExtensionDepth_ = depth;
            }
        } else if (listDepth_ > 0 && name == u"vlc:node") {
            openGroup();
        } else if (listDepth_ > 0 && name == u"vlc:item" && !item_) {
            const qsizetype end = qsizetype(reader_.characterOffset());
            itemDepth_ = depth;
            item_ = Item{text_.lastIndexOf(u'<', end - 1), end,
                         reader_.attributes().value(QLatin1StringView("tid")).trimmed().toString()};
        } else if (trackExtensionDepth_ > 0 && depth == trackExtensionDepth_ + 1 &&
                   name == u"vlc:id") {
            inTrackId_ = true;
            trackId_.clear();
        }
    }

    void endElement() {
        const qsizetype depth = names_.size();
        const QStringView name = reader_.qualifiedName();
        if (inTrackId_ && depth == trackExtensionDepth_ + 1) {
            inTrackId_ = false;
            list_.trackIds.append(trackId_.trimmed());
        }
        if (depth == trackExtensionDepth_)
            trackExtensionDepth_ = -1;
        if (item_ && depth == itemDepth_) {
            item_->end = qsizetype(reader_.characterOffset());
            if (!item_->holdsElements)
                list_.groups[openGroups_.last()].append(*item_);
            item_.reset();
        } else if (listDepth_ > 0 && (name == u"vlc:node" || depth == listDepth_)) {
            openGroups_.removeLast();
            if (depth == listDepth_)
                listDepth_ = -1;
        }
        names_.removeLast();
    }

    void openGroup() {
        list_.groups.append(Group());
        openGroups_.append(list_.groups.size() - 1);
    }

    const QString& text_;
    QXmlStreamReader reader_;
    VlcList list_;
    QStringList names_;
    QList<qsizetype> openGroups_;
    qsizetype listDepth_ = -1;
    qsizetype trackExtensionDepth_ = -1;
    std::optional<Item> item_;
    qsizetype itemDepth_ = -1;
    bool inTrackId_ = false;
    QString trackId_;
};

qsizetype blanksBefore(const QString& text, qsizetype start) {
    while (start > 0 && QStringView(u" \t\r\n").contains(text.at(start - 1)))
        --start;
    return start;
}

struct Change {
    qsizetype start;
    qsizetype end;
    QString text;
};

// The changes that put the items of one group in step with the tracks.
void changeGroup(const QString& text, const Group& group, const QSet<QString>& removed,
                 const QHash<QString, qsizetype>* place, QList<Change>& changes) {
    QList<const Item*> placed;
    for (const Item& item : group) {
        if (removed.contains(item.tid))
            changes.append({blanksBefore(text, item.start), item.end, QString()});
        else if (place && place->contains(item.tid))
            placed.append(&item);
    }
    QList<const Item*> ordered = placed;
    std::stable_sort(ordered.begin(), ordered.end(), [&](const Item* a, const Item* b) {
        return place->value(a->tid) < place->value(b->tid);
    });
    for (qsizetype i = 0; i < placed.size(); ++i)
        if (ordered.at(i) != placed.at(i))
            changes.append(
                {placed.at(i)->start, placed.at(i)->end,
                 text.sliced(ordered.at(i)->start, ordered.at(i)->end - ordered.at(i)->start)});
}

QString applied(const QString& text, QList<Change> changes) {
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.start < b.start; });
    QString out;
    out.reserve(text.size());
    qsizetype copied = 0;
    for (const Change& change : changes) {
        out += QStringView(text).sliced(copied, change.start - copied);
        out += change.text;
        copied = change.end;
    }
    out += QStringView(text).sliced(copied);
    return out;
}

} // namespace

namespace VlcItemList {

QByteArray inStep(QByteArrayView before, QByteArray after) {
    if (!before.contains(VlcApplication) || !before.isValidUtf8() ||
        !QByteArrayView(after).isValidUtf8())
        return after;
    const qsizetype start = markupStart(after);
    const QString text = QString::fromUtf8(QByteArrayView(after).sliced(start));
    const VlcList old = VlcListScan(QString::fromUtf8(before.sliced(markupStart(before)))).read();
    const VlcList now = VlcListScan(text).read();
    if (!old.readable || !now.readable || now.groups.isEmpty())
        return after;
    const QSet<QString> kept(now.trackIds.cbegin(), now.trackIds.cend());
    QSet<QString> removed;
    QStringList keptInOldOrder;
    for (const QString& tid : old.trackIds) {
        if (!kept.contains(tid))
            removed.insert(tid);
        else
            keptInOldOrder.append(tid);
    }
    const bool reordered = keptInOldOrder != now.trackIds;
    if (removed.isEmpty() && !reordered)
        return after;
    QHash<QString, qsizetype> place;
    for (qsizetype i = 0; i < now.trackIds.size(); ++i)
        place.insert(now.trackIds.at(i), qMin(i, place.value(now.trackIds.at(i), i)));
    QList<Change> changes;
    for (const Group& group : now.groups)
        changeGroup(text, group, removed, reordered ? &place : nullptr, changes);
    return after.first(start) + applied(text, changes).toUtf8();
}

} // namespace VlcItemList
