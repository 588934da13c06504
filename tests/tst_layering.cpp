#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

// How the folders of src/ include each other (each subsystem's core and its gui/ apart): every
// include points one way, so no circle of folders forms that a newcomer could not draw.
class TestLayering : public QObject {
    Q_OBJECT

    using Edges = QMap<QString, QMap<QString, int>>; // folder -> folder it includes -> how often

    static QString sourceRoot() { return QStringLiteral(PLATTERBOX_SOURCE_DIR "/src"); }

    static QString folderOf(const QString& file) {
        const QString folder = QFileInfo(file).path();
        return folder == QLatin1String(".") ? QStringLiteral("src") : folder;
    }

    // Every #include "..." that names a file of src/, found beside the including file first
    // and then from src/, as the compiler finds it.
    static Edges includeEdges() {
        const QDir root(sourceRoot());
        QSet<QString> files;
        QDirIterator it(root.path(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files.insert(root.relativeFilePath(it.next()));
        static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                                QRegularExpression::MultilineOption);
        Edges edges;
        for (const QString& file : std::as_const(files)) {
            QFile source(root.filePath(file));
            if (!source.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(source.readAll());
            for (const QRegularExpressionMatch& match : include.globalMatch(text)) {
                QString target = QDir::cleanPath(QFileInfo(file).path() + u'/' + match.captured(1));
                if (!files.contains(target))
                    target = QDir::cleanPath(match.captured(1));
                if (files.contains(target) && folderOf(target) != folderOf(file))
                    ++edges[folderOf(file)][folderOf(target)];
            }
        }
        return edges;
    }

    // Whether `from` reaches back to `start` through the edges, and the way it went.
    static bool reaches(const Edges& edges, const QString& from, const QString& start,
                        QSet<QString>& seen, QStringList& way) {
        const QMap<QString, int> targets = edges.value(from);
        for (auto it = targets.cbegin(); it != targets.cend(); ++it) {
            const QString& next = it.key();
            if (next != start) {
                if (seen.contains(next))
                    continue;
                seen.insert(next);
                if (!reaches(edges, next, start, seen, way))
                    continue;
            }
            way.prepend(next);
            return true;
        }
        return false;
    }

private Q_SLOTS:
    void includesPointOneWay() {
        const Edges edges = includeEdges();
        QVERIFY2(edges.contains(QStringLiteral("shell")), "no includes found under src/");
        for (auto from = edges.cbegin(); from != edges.cend(); ++from)
            for (auto to = from->cbegin(); to != from->cend(); ++to)
                qInfo().noquote() << from.key() << "->" << to.key() << to.value();
        for (auto from = edges.cbegin(); from != edges.cend(); ++from) {
            QSet<QString> seen;
            QStringList way;
            QVERIFY2(
                !reaches(edges, from.key(), from.key(), seen, way),
                qPrintable(from.key() + QLatin1String(" -> ") + way.join(QLatin1String(" -> "))));
        }
    }
};

QTEST_GUILESS_MAIN(TestLayering)
#include "tst_layering.moc"
