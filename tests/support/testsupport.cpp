#include "support/testsupport.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

namespace natalix::test {

TempDataDir::TempDataDir() : m_dir(QDir::tempPath() + QStringLiteral("/natalix-test-XXXXXX")) {}

QByteArray readFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    struct rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
}

QByteArray damagedDatabase(QByteArray bytes, const QString& damage) {
    const qsizetype page = 4096;
    if (bytes.size() <= 30 * page)
        return {};
    const auto header = [&](qsizetype at) {
        return qFromBigEndian<quint32>(bytes.constData() + at);
    };
    if (damage == u"free list") {
        // One trunk page lists them all; the sixth page in use takes the first free's place.
        const qsizetype trunk = (qsizetype(header(32)) - 1) * page;
        if (header(36) <= 10 || header(trunk) != 0)
            return {};
        QSet<quint32> free{header(32)};
        for (quint32 i = 0; i < header(trunk + 4); ++i)
            free.insert(header(trunk + 8 + 4 * i));
        QList<quint32> used;
        for (quint32 p = 3; p <= bytes.size() / page; ++p)
            if (!free.contains(p))
                used << p;
        if (used.size() <= 5)
            return {};
        qToBigEndian(used[5], bytes.data() + trunk + 8);
    } else if (damage == u"cell count") {
        const qsizetype leaf = 9 * page;
        if (bytes[leaf] != '\x0d')
            return {};
        qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes.constData() + leaf + 3) - 5,
                              bytes.data() + leaf + 3);
    } else if (damage == u"child twice") {
        // The table's root (page 2) points to its leaves; the second names the first.
        const qsizetype root = page;
        if (bytes[root] != '\x05')
            return {};
        const auto cell = [&](int i) {
            return root + qFromBigEndian<quint16>(bytes.constData() + root + 12 + 2 * i);
        };
        qToBigEndian(header(cell(0)), bytes.data() + cell(1));
    } else if (damage == u"half") {
        bytes.truncate(bytes.size() / 2);
    } else if (damage == u"garbage") {
        bytes = QByteArray(bytes.size(), '\x5a');
    } else {
        bytes.replace(damage == u"last page" ? bytes.size() - page
                                             : (damage.mid(5).toInt() - 1) * page,
                      page, QByteArray(page, '\xff'));
    }
    return bytes;
}

Record makeRecord(int nummer, const QString& name, int jahr, int monat, int tag) {
    Record r = newRecord(nummer, ReminderDefaults());
    r.name = name;
    r.jahr = jahr;
    r.monat = monat;
    r.tag = tag;
    return r;
}

} // namespace natalix::test
