#include "desktop/autostart.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "table/safefile.h"
#endif

namespace natalix {

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

#ifndef Q_OS_WIN

// The desktop entry format has no way to carry these in an Exec line.
bool holdsControlCharacters(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// A folder of the XDG base directories counts only when it is absolute.
QString absoluteOr(const QString& path, const QString& fallback) {
    return QDir::isAbsolutePath(path) ? path : fallback;
}

enum class EntryState { Missing, Active, Hidden };

// Hidden=true switches an entry off for every desktop, the GNOME key for GNOME.
EntryState entryState(const QString& path) {
    if (!QFileInfo(path).isFile())
        return EntryState::Missing;
    const ReadResult read = readFileSafely(path, 1 << 20);
    if (!read.ok)
        return EntryState::Missing;
    bool inMainGroup = false;
    for (QByteArray line : read.bytes.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return EntryState::Hidden;
    }
    return EntryState::Active;
}

bool providedByTheSystem(const QStringList& paths) {
    for (const QString& path : paths) {
        if (entryState(path) == EntryState::Active)
            return true;
    }
    return false;
}

// A value of a desktop entry's string key: its backslashes escaped.
QString entryValue(const QString& text) {
    return QString(text).replace(u'\\', QStringLiteral("\\\\"));
}

#endif

} // namespace

Autostart::Autostart(const QString& programPath, const QString& dataDir)
    : m_program(QFileInfo(programPath).absoluteFilePath()),
      m_dataDir(dataDir.isEmpty() ? QString() : QDir::cleanPath(QDir(dataDir).absolutePath())) {
    if (!m_dataDir.isEmpty())
        m_arguments << QStringLiteral("--datadir") << QDir::toNativeSeparators(m_dataDir);
    m_arguments << QStringLiteral("/auto");
}

QString Autostart::folderKey() const {
    if (m_dataDir.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(m_dataDir.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(hash.left(12));
}

#ifndef Q_OS_WIN

QString Autostart::autostartFolder() {
    const QString configHome = absoluteOr(qEnvironmentVariable("XDG_CONFIG_HOME"),
                                          QDir::homePath() + QStringLiteral("/.config"));
    return configHome + QStringLiteral("/autostart");
}

QString Autostart::entryFileName() const {
    const QString key = folderKey();
    return key.isEmpty() ? QStringLiteral("natalix.desktop")
                         : QStringLiteral("natalix-%1.desktop").arg(key);
}

QString Autostart::entryPath() const {
    return autostartFolder() + u'/' + entryFileName();
}

QStringList Autostart::systemEntryPaths() const {
    // What the system provides starts the per-user folder, never another one.
    if (!m_dataDir.isEmpty())
        return {};
    QStringList dirs = qEnvironmentVariable("XDG_CONFIG_DIRS").split(u':', Qt::SkipEmptyParts);
    dirs.removeIf([](const QString& dir) { return !QDir::isAbsolutePath(dir); });
    if (dirs.isEmpty())
        dirs << QStringLiteral("/etc/xdg");
    QStringList paths;
    for (const QString& dir : dirs)
        paths << dir + QStringLiteral("/autostart/") + entryFileName();
    return paths;
}

QString Autostart::execArgument(const QString& argument, bool alwaysQuote) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = alwaysQuote || argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);
    QString text;
    if (quote) {
        text += u'"';
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                text += u'\\';
            text += c;
        }
        text += u'"';
    } else {
        text = argument;
    }
    // A literal "%" is "%%" (field codes), and the value as a whole escapes its backslashes.
    text.replace(u'%', QStringLiteral("%%"));
    text.replace(u'\\', QStringLiteral("\\\\"));
    return text;
}

QByteArray Autostart::desktopEntry(bool hidden) const {
    QString exec = execArgument(m_program, true);
    for (const QString& argument : m_arguments)
        exec += u' ' + execArgument(argument);
    // Where there are several, the comment tells them apart in the desktop's list.
    QString comment = QStringLiteral("Erinnert im Hintergrund an Geburtstage");
    if (!m_dataDir.isEmpty())
        comment += QStringLiteral(" (Datenordner %1)").arg(entryValue(m_dataDir));
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n"
                                  "Name=Natalix\n"
                                  "Name[de]=Natalix (Erinnerungen im Hintergrund)\n");
    text += QStringLiteral("Comment=%1\nComment[de]=%1\n").arg(comment);
    text += QStringLiteral("Exec=") + exec + u'\n';
    text += QStringLiteral("Icon=natalix\n"
                           "Terminal=false\n");
    if (hidden)
        text += QStringLiteral("Hidden=true\nX-GNOME-Autostart-enabled=false\n");
    else
        text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool Autostart::isEnabled() const {
    switch (entryState(entryPath())) {
    case EntryState::Active:
        return true;
    case EntryState::Hidden:
        return false;
    case EntryState::Missing:
        break;
    }
    return providedByTheSystem(systemEntryPaths());
}

namespace {

bool writeEntry(const QString& path, const QByteArray& bytes, QString* error) {
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        setError(error,
                 QStringLiteral("Der Autostart-Ordner %1 kann nicht angelegt werden.").arg(folder));
        return false;
    }
    const SaveResult saved = saveFileSafely(path, bytes);
    if (!saved.ok) {
        setError(error, QStringLiteral("Die Autostart-Datei %1 kann nicht geschrieben werden (%2).")
                            .arg(path, saved.error.description));
        return false;
    }
    return true;
}

} // namespace

bool Autostart::enable(QString* error) const {
    const QStringList parts = QStringList{m_program} + m_arguments;
    for (const QString& part : parts) {
        if (holdsControlCharacters(part)) {
            setError(error, QStringLiteral("Der Aufruf %1 enthält Steuerzeichen und kann nicht in "
                                           "den Autostart eingetragen werden.")
                                .arg(part));
            return false;
        }
    }
    return writeEntry(entryPath(), desktopEntry(), error);
}

bool Autostart::disable(QString* error) const {
    const QString path = entryPath();
    if (providedByTheSystem(systemEntryPaths()))
        return writeEntry(path, desktopEntry(true), error);
    QFile file(path);
    if ((file.exists() || QFileInfo(path).isSymLink()) && !file.remove()) {
        setError(error, QStringLiteral("Die Autostart-Datei %1 kann nicht entfernt werden (%2).")
                            .arg(path, file.errorString()));
        return false;
    }
    return true;
}

#else

namespace {
const QString runKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
} // namespace

QString Autostart::valueName() const {
    const QString key = folderKey();
    return key.isEmpty() ? QStringLiteral("Natalix") : QStringLiteral("Natalix %1").arg(key);
}

QString Autostart::runCommand() const {
    QString command = u'"' + QDir::toNativeSeparators(m_program) + u'"';
    for (const QString& argument : m_arguments)
        command += u' ' + (argument.contains(u' ') ? u'"' + argument + u'"' : argument);
    return command;
}

bool Autostart::isEnabled() const {
    QSettings run(runKey, QSettings::NativeFormat);
    return run.contains(valueName());
}

bool Autostart::enable(QString* error) const {
    QSettings run(runKey, QSettings::NativeFormat);
    run.setValue(valueName(), runCommand());
    run.sync();
    if (run.status() != QSettings::NoError) {
        setError(error, QStringLiteral("Der Autostart-Eintrag kann nicht geschrieben werden."));
        return false;
    }
    return true;
}

bool Autostart::disable(QString* error) const {
    QSettings run(runKey, QSettings::NativeFormat);
    run.remove(valueName());
    run.sync();
    if (run.status() != QSettings::NoError) {
        setError(error, QStringLiteral("Der Autostart-Eintrag kann nicht entfernt werden."));
        return false;
    }
    return true;
}

#endif

} // namespace natalix
