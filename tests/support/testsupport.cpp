#include "support/testsupport.h"

#include <QFile>

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

Record makeRecord(int nummer, const QString& name, int jahr, int monat, int tag) {
    Record r = newRecord(nummer, ReminderDefaults());
    r.name = name;
    r.jahr = jahr;
    r.monat = monat;
    r.tag = tag;
    return r;
}

} // namespace natalix::test
