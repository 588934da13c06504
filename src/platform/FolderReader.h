#pragma once

#include "FileHandle.h"

#include <QByteArray>
#include <QByteArrayView>

// Lists a folder and keeps it open until the next one, so that a file of it is then opened
// from the folder: its path is not looked up again, part by part.
class FolderReader {
public:
    // The names in `folder` ("." and ".." left out), each followed by a NUL, appended to
    // `names`; false when it cannot be read. Tells whether the listing shows `file` as a
    // regular file (not a link to one): a reader need not ask for its status first.
    bool list(const QByteArray& folder, QByteArray& names, QByteArrayView file,
              bool& fileIsRegular);
    // Opens a file of the folder listed last for reading (a FIFO is not waited on, a link is
    // not followed); not open when it cannot be.
    FileHandle openListedFile(QByteArrayView name) const;

private:
    FileHandle folder_;
};
