#pragma once

#include <QString>

class QFileDevice;

namespace natalix {

// File failures as the program numbers them in its messages, with a German description.
namespace filecode {
constexpr int outOfMemory = 7;
constexpr int badFileName = 52;
constexpr int fileNotFound = 53;
constexpr int deviceIo = 57;
constexpr int diskFull = 61;
constexpr int permissionDenied = 70;
constexpr int diskNotReady = 71;
constexpr int pathFileAccess = 75;
constexpr int pathNotFound = 76;
} // namespace filecode

struct FileError {
    int code = 0;
    QString description;
};

enum class FileAccess { Read, Write };

QString fileErrorDescription(int code);
FileError fileErrorFor(int code);

// Works out why `file` could not be opened (or written, after a failed write).
FileError classifyFileError(const QFileDevice& file, FileAccess access);
FileError classifyPath(const QString& path, FileAccess access);

// A file name that no file system here can hold (empty, control characters, and on
// Windows the characters it reserves).
bool isBadFileName(const QString& path);

} // namespace natalix
