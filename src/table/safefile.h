#pragma once

#include "table/fileerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace natalix {

// Files the program keeps in its data directory are never reached through a symbolic link
// (someone else may have planted it there); a file the user picked may well be one.
enum class Links { Follow, DoNotFollow };
// Synced: on disk before the call returns. Unsynced only for what may be lost in a crash.
enum class Sync { Yes, No };

struct SaveResult {
    bool ok = true;
    int group = 0; // 101: the file could not be opened for writing, 103: writing it failed
    FileError error;
};

// Replaces the file at `path` by `bytes`: a temporary file beside it gets every byte, each
// write and the final sync and close are checked, and only then does it take the old file's
// place. Any failure leaves the old file byte for byte. A new file is readable by its owner
// only; an existing file keeps its mode. Only regular files are written: a device, a pipe or
// a folder at `path` is refused at once. Where the folder takes no new file but the old one
// may be written, the file is written in place, and put back as it was if that fails.
SaveResult saveFileSafely(const QString& path, QByteArrayView bytes, Links links = Links::Follow,
                          Sync sync = Sync::Yes);

struct ReadResult {
    bool ok = false;
    QByteArray bytes;
    FileError error;
    bool tooLarge = false;
};

// Reads a whole regular file of at most `maxBytes`. A pipe, a device or a folder is refused
// at once instead of blocking the program.
ReadResult readFileSafely(const QString& path, qint64 maxBytes, Links links = Links::Follow);

// Syncs the finished file `temp` to disk and puts it in the place of `target` in one step.
bool replaceFile(const QString& temp, const QString& target);

// True when `path` exists and is a symbolic link (not followed).
bool isSymbolicLink(const QString& path);
// Only the owner may read and write the file; a folder only its owner may enter.
bool makePrivate(const QString& path);
// Creates the folder (and its parents) readable by its owner only, where it is missing.
bool makePrivateFolder(const QString& path);

} // namespace natalix
