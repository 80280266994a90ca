#include "table/fileerror.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

namespace natalix {

QString fileErrorDescription(int code) {
    switch (code) {
    case filecode::outOfMemory:
        return QStringLiteral("Nicht genügend Speicher");
    case filecode::badFileName:
        return QStringLiteral("Dateiname oder Dateinummer ungültig");
    case filecode::fileNotFound:
        return QStringLiteral("Datei nicht gefunden");
    case filecode::deviceIo:
        return QStringLiteral("Ein-/Ausgabefehler des Geräts");
    case filecode::diskFull:
        return QStringLiteral("Datenträger voll");
    case filecode::permissionDenied:
        return QStringLiteral("Zugriff verweigert");
    case filecode::diskNotReady:
        return QStringLiteral("Datenträger nicht bereit");
    case filecode::pathFileAccess:
        return QStringLiteral("Fehler beim Zugriff auf Pfad oder Datei");
    case filecode::pathNotFound:
        return QStringLiteral("Pfad nicht gefunden");
    default:
        return QStringLiteral("Unbekannter Dateifehler");
    }
}

FileError fileErrorFor(int code) {
    return {code, fileErrorDescription(code)};
}

bool isBadFileName(const QString& path) {
    if (path.trimmed().isEmpty())
        return true;
    for (const QChar c : path) {
        if (c.unicode() < 32)
            return true;
#ifdef Q_OS_WIN
        if (c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*')
            return true;
#endif
    }
    return QFileInfo(path).fileName().isEmpty();
}

FileError classifyPath(const QString& path, FileAccess access) {
    if (isBadFileName(path))
        return fileErrorFor(filecode::badFileName);
    const QFileInfo info(path);
    const QFileInfo dir(info.absolutePath());
    if (!dir.exists() || !dir.isDir())
        return fileErrorFor(filecode::pathNotFound);
    if (info.isDir())
        return fileErrorFor(filecode::pathFileAccess);
    if (access == FileAccess::Read) {
        if (!info.exists())
            return fileErrorFor(filecode::fileNotFound);
        if (!info.isReadable())
            return fileErrorFor(filecode::permissionDenied);
    } else {
        if (info.exists() ? !info.isWritable() : !dir.isWritable())
            return fileErrorFor(filecode::permissionDenied);
    }
    return fileErrorFor(filecode::deviceIo);
}

FileError classifyFileError(const QFileDevice& file, FileAccess access) {
    // A write that ran out of room is a full disk, whatever the path looks like.
    if (file.error() == QFileDevice::ResourceError)
        return fileErrorFor(filecode::diskFull);
    return classifyPath(file.fileName(), access);
}

} // namespace natalix
