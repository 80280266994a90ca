#include "app/modules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace natalix {

// The folder of the running program, without an application object (a module creates its
// own).
QString programDirectory(const char* argv0) {
#ifdef Q_OS_WIN
    Q_UNUSED(argv0);
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return QFileInfo(QString::fromWCharArray(path.data(), static_cast<int>(n))).absolutePath();
#else
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    return argv0 ? QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath() : QString();
#endif
}

namespace {

void printError(const QString& text) {
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

} // namespace

QStringList moduleCandidates(const QString& programDir, const QString& moduleFile,
                             const QString& installedDir) {
    const QDir dir(programDir);
    QStringList out{dir.filePath(moduleFile)};
    if (!installedDir.isEmpty())
        out << QDir::cleanPath(dir.filePath(installedDir + u'/' + moduleFile));
    return out;
}

QFunctionPointer resolveModuleEntry(const QString& programDir, const ModuleStart& module,
                                    QString* message) {
    const QStringList candidates = moduleCandidates(programDir, module.file, module.installedDir);
    QString why;
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: the module's objects live until the program ends.
        QLibrary library(path);
        if (const QFunctionPointer entry = library.resolve(module.entry))
            return entry;
        why = library.errorString();
        break;
    }
    if (why.isEmpty())
        why = QStringLiteral("nicht gefunden in %1")
                  .arg(QDir::toNativeSeparators(candidates.join(QStringLiteral(", "))));
    if (message)
        *message = QStringLiteral("%1: Das Modul \"%2\" fehlt oder ist beschädigt (%3).")
                       .arg(module.cannot, module.file, why);
    return nullptr;
}

int runModule(int argc, char** argv, const ModuleStart& module) {
    QString message;
    const auto entry = reinterpret_cast<ModuleEntry>(
        resolveModuleEntry(programDirectory(argc > 0 ? argv[0] : nullptr), module, &message));
    if (entry)
        return entry(argc, argv);
    printError(message);
    return 1;
}

} // namespace natalix
