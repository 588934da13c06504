#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// One folder of the file system, named by its path's bytes (Linux names are bytes, so a name
// that is not valid UTF-8 survives). The folder is opened when the object is made and listed
// at most once, in the order the file system delivers the entries; "." and ".." are left out.
class NativeFolder {
public:
    explicit NativeFolder(const QByteArray& path);
    ~NativeFolder();
    NativeFolder(const NativeFolder&) = delete;
    NativeFolder& operator=(const NativeFolder&) = delete;

    struct Id {
        quint64 device = 0;
        quint64 inode = 0;
        friend bool operator==(const Id&, const Id&) = default;
    };
    struct Entry {
        QByteArray name;
        bool maybeFolder = false; // a folder, a link or of unknown type
        bool maybeLink = false;   // a link or of unknown type
    };

    // False when the path names no folder (or cannot be looked at at all).
    bool exists() const { return exists_; }
    Id id() const { return id_; }
    // False when the folder could not be opened for reading (no permission, not a folder).
    bool isReadable() const { return readable_; }
    // Reads the whole listing on the first call; a folder that cannot be read is empty.
    const QList<Entry>& entries();

private:
    void read();

    int fd_ = -1;
    bool exists_ = false;
    bool readable_ = false;
    bool read_ = false;
    Id id_;
    QList<Entry> entries_;
};

inline size_t qHash(const NativeFolder::Id& id, size_t seed = 0) {
    return qHashMulti(seed, id.device, id.inode);
}
