#include "app/datadir.h"

#include "app/modules.h"
#include "options/options.h"
#include "table/safefile.h"
#include "table/tablestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <QLockFile>
#include <QSettings>
#endif

namespace natalix {

namespace {

const QString lockFileName = QStringLiteral("natalix.lock");
constexpr qint64 maxSettingsBytes = 1024 * 1024;

QString withGroup(const QString& key) {
    return key.contains(u'/') ? key : QStringLiteral("Global/") + key;
}

// Qt's ini values: optionally quoted, with backslash escapes; "@@" stands for a leading "@".
QString unescapeIniValue(QStringView raw) {
    QString out;
    bool quoted = false;
    const QStringView v = raw.trimmed();
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (c == u'\\' && i + 1 < v.size()) {
            const QChar e = v[++i];
            switch (e.unicode()) {
            case u'n':
                out += u'\n';
                break;
            case u'r':
                out += u'\r';
                break;
            case u't':
                out += u'\t';
                break;
            case u'a':
                out += u'\a';
                break;
            case u'b':
                out += u'\b';
                break;
            case u'f':
                out += u'\f';
                break;
            case u'v':
                out += u'\v';
                break;
            default:
                out += e;
            }
            continue;
        }
        out += c;
    }
    if (out.startsWith(QStringLiteral("@@")))
        out.remove(0, 1);
    return out;
}

QString escapeIniValue(const QString& value) {
    QString out = QStringLiteral("\"");
    if (value.startsWith(u'@'))
        out += u'@';
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            // No value the program stores holds other control characters.
            if (c.unicode() >= 0x20)
                out += c;
        }
    }
    return out + u'"';
}

} // namespace

QString DataDir::file(const QString& name) const {
    return QDir(path).filePath(name);
}

QString DataDir::databasePath() const {
    return file(TableStore::databaseFileName());
}

QString DataDir::optionsPath() const {
    return file(optionsFileName());
}

QString DataDir::defaultListPath() const {
    return file(QStringLiteral("natalix.nxd"));
}

QString DataDir::settingsPath() const {
    if (explicitlyGiven)
        return file(QStringLiteral("NX.ini"));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/NX/Natalix.conf");
}

void setProgramIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("NX"));
    QCoreApplication::setApplicationName(QStringLiteral("Natalix"));
}

DataDir resolveDataDir(const QString& fromCommandLine, QString* error) {
    setProgramIdentity();
    DataDir dir;
    const QString fromEnv = qEnvironmentVariable("NATALIX_DATADIR");
    if (!fromCommandLine.isEmpty()) {
        dir.path = fromCommandLine;
        dir.explicitlyGiven = true;
    } else if (!fromEnv.isEmpty()) {
        dir.path = fromEnv;
        dir.explicitlyGiven = true;
    } else {
        dir.path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    dir.path = QDir(dir.path).absolutePath();
    if (!makePrivateFolder(dir.path) && error)
        *error = QStringLiteral("Der Datenordner \"%1\" kann nicht angelegt werden.")
                     .arg(QDir::toNativeSeparators(dir.path));
    return dir;
}

QString optionsTemplatePath() {
    // The command line runs without an application object.
    const QString program =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : programDirectory();
    const QString path = QDir(program).filePath(QStringLiteral("../share/natalix/natalix.ini"));
    return QFileInfo(path).isFile() ? QDir::cleanPath(path) : QString();
}

void protectDataFiles(const DataDir& dir) {
    if (!dir.explicitlyGiven)
        makePrivate(dir.path);
    for (const QString& f :
         {dir.databasePath(), dir.optionsPath(), dir.settingsPath(), dir.file(lockFileName)})
        makePrivate(f);
}

// The settings store ----------------------------------------------------------------------

#ifdef Q_OS_WIN
struct SettingsStore::Native {
    QSettings settings{QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("NX"),
                       QStringLiteral("Natalix")};
};
#endif

SettingsStore::SettingsStore(const DataDir& dir) : m_path(dir.settingsPath()) {
#ifdef Q_OS_WIN
    if (!dir.explicitlyGiven)
        m_native = std::make_unique<Native>();
#endif
}

SettingsStore::~SettingsStore() = default;

QMap<QString, QString> SettingsStore::parseIni(QByteArrayView bytes) {
    QMap<QString, QString> values;
    QString group;
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2).trimmed().toString();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.first(eq).trimmed().toString();
        const QString full = group.isEmpty() || group == u"General" ? key : group + u'/' + key;
        values.insert(full, unescapeIniValue(line.sliced(eq + 1)));
    }
    return values;
}

QByteArray SettingsStore::renderIni(const QMap<QString, QString>& values) {
    QMap<QString, QMap<QString, QString>> groups;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString group = slash < 0 ? QStringLiteral("General") : it.key().first(slash);
        groups[group].insert(slash < 0 ? it.key() : it.key().sliced(slash + 1), it.value());
    }
    QString out;
    for (auto g = groups.cbegin(); g != groups.cend(); ++g) {
        if (!out.isEmpty())
            out += u'\n';
        out += u'[' + g.key() + QStringLiteral("]\n");
        for (auto it = g->cbegin(); it != g->cend(); ++it)
            out += it.key() + u'=' + escapeIniValue(it.value()) + u'\n';
    }
    return out.toUtf8();
}

QString SettingsStore::value(const QString& key) {
#ifdef Q_OS_WIN
    if (m_native) {
        m_native->settings.sync();
        return m_native->settings.value(withGroup(key)).toString();
    }
#endif
    return currentValues().value(withGroup(key));
}

const QMap<QString, QString>& SettingsStore::currentValues() {
    QByteArray seen = QByteArrayLiteral("-");
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(m_path).constData(), &st) == 0)
        seen = QByteArray::number(quint64(st.st_dev)) + ' ' +
               QByteArray::number(quint64(st.st_ino)) + ' ' +
               QByteArray::number(qint64(st.st_size)) + ' ' +
               QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
               QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' +
               QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' +
               QByteArray::number(qint64(st.st_ctim.tv_nsec));
    if (seen == m_seen)
        return m_values;
#endif
    const ReadResult read = readFileSafely(m_path, maxSettingsBytes, Links::DoNotFollow);
    m_values = read.ok ? parseIni(read.bytes) : QMap<QString, QString>();
    m_seen = seen;
    return m_values;
}

bool SettingsStore::setValue(const QString& key, const QString& value) {
    m_lastError.clear();
#ifdef Q_OS_WIN
    if (m_native) {
        m_native->settings.setValue(withGroup(key), value);
        m_native->settings.sync();
        if (m_native->settings.status() == QSettings::NoError)
            return true;
        m_lastError =
            QStringLiteral("Die Einstellung \"%1\" konnte nicht gespeichert werden.").arg(key);
        return false;
    }
#endif
    const ReadResult read = readFileSafely(m_path, maxSettingsBytes, Links::DoNotFollow);
    QMap<QString, QString> values;
    if (read.ok) {
        values = parseIni(read.bytes);
    } else if (QFileInfo::exists(m_path) && !isSymbolicLink(m_path)) {
        // The other settings in a file we cannot read must not be written over.
        m_lastError = QStringLiteral("Die Einstellungen in der Datei \"%1\" können nicht gelesen "
                                     "werden (%2 : %3); sie bleiben unverändert.")
                          .arg(QDir::toNativeSeparators(m_path))
                          .arg(read.error.code)
                          .arg(read.error.description);
        return false;
    }
    const QString full = withGroup(key);
    if (read.ok && values.contains(full) && values.value(full) == value)
        return true;
    values.insert(full, value);
    makePrivateFolder(QFileInfo(m_path).absolutePath());
    m_seen.clear();
    const SaveResult saved = saveFileSafely(m_path, renderIni(values), Links::DoNotFollow);
    if (saved.ok)
        return true;
    m_lastError = QStringLiteral("Die Einstellungen konnten nicht in der Datei \"%1\" gespeichert "
                                 "werden (%2 : %3).")
                      .arg(QDir::toNativeSeparators(m_path))
                      .arg(saved.error.code)
                      .arg(saved.error.description);
    return false;
}

// The instance lock -----------------------------------------------------------------------

#ifdef Q_OS_WIN
struct InstanceLock::Native {
    explicit Native(const QString& path) : lock(path) { lock.setStaleLockTime(0); }
    QLockFile lock;
};
#endif

InstanceLock::InstanceLock(const DataDir& dir) : m_path(dir.file(lockFileName)) {}

InstanceLock::~InstanceLock() {
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        // The file stays: removing it could race a starting instance that opened it.
        ::close(m_fd);
    }
#endif
}

InstanceLock::State InstanceLock::acquire() {
    if (m_held)
        return State::Acquired;
    m_error.clear();
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(m_path);
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == ELOOP) {
        // A link planted in our place is nobody's lock.
        ::unlink(native.constData());
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        const int err = errno;
        m_error =
            QStringLiteral("Natalix kann nicht feststellen, ob es mit diesem Datenordner "
                           "bereits läuft: Die Sperrdatei \"%1\" lässt sich nicht öffnen "
                           "(%2).")
                .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(err)));
        return State::Undecided;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return State::HeldByOther;
        m_error =
            QStringLiteral("Natalix kann nicht feststellen, ob es mit diesem Datenordner "
                           "bereits läuft: Die Sperrdatei \"%1\" lässt sich nicht sperren "
                           "(%2).")
                .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(err)));
        return State::Undecided;
    }
    // The process id is for people who look; the lock itself is the flock. A full disk
    // that refuses it changes nothing.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.constData(), pid.size(), 0);
    }
    m_fd = fd;
    m_held = true;
    return State::Acquired;
#else
    if (!m_native)
        m_native = std::make_unique<Native>(m_path);
    if (m_native->lock.tryLock(0)) {
        m_held = true;
        return State::Acquired;
    }
    if (m_native->lock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, app;
        // A lock without a readable owner cannot be a live instance's.
        if (!m_native->lock.getLockInfo(&pid, &host, &app) &&
            m_native->lock.removeStaleLockFile() && m_native->lock.tryLock(0)) {
            m_held = true;
            return State::Acquired;
        }
        return State::HeldByOther;
    }
    m_error = QStringLiteral("Natalix kann nicht feststellen, ob es mit diesem Datenordner "
                             "bereits läuft: Die Sperrdatei \"%1\" lässt sich nicht anlegen.")
                  .arg(QDir::toNativeSeparators(m_path));
    return State::Undecided;
#endif
}

} // namespace natalix
