#include "support/testsupport.h"

#include <QFile>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>

namespace natalix::test {

TempDataDir::TempDataDir() : m_dir(QDir::tempPath() + QStringLiteral("/natalix-test-XXXXXX")) {}

TestTable::TestTable(const std::vector<Record>& records)
    : store(TableStore::open(path, records.front(), nullptr)) {
    if (!store || !store->replaceAll(records))
        qFatal("cannot set up the test database");
}

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
    if (damage == u"cells") {
        // A leaf's cell count lowered: reading the rows alone does not see it.
        const qsizetype leaf = 9 * page;
        if (bytes[leaf] != '\x0d')
            return {};
        qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes.constData() + leaf + 3) - 5,
                              bytes.data() + leaf + 3);
    } else if (damage == u"half") {
        bytes.truncate(bytes.size() / 2);
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

Record makeRecord(int nummer, const QString& name, int jahr, int monat, int tag,
                  const QStringList& settings) {
    Record r = makeRecord(nummer, name, jahr, monat, tag);
    for (int k = 0; k < 3; ++k)
        r.erinnerung[k] = settings.value(k, QStringLiteral("Keine Erinnerung"));
    r.erinnerungsbeginn = settings.value(3, QStringLiteral("1. Geburtstag"));
    r.erinnerungszyklus = settings.value(4, QStringLiteral("jährlich"));
    return r;
}

std::vector<Record> manyRecords(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1940 + i, 8, i % 28 + 1));
    return out;
}

} // namespace natalix::test
