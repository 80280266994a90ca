#include "contacts/contactimport.h"

#include "contacts/csvcontacts.h"
#include "contacts/vcard.h"
#include "listfile/transliterate.h"
#include "table/safefile.h"
#include "table/tablestore.h"

#include <QHash>

#include <climits>

namespace natalix {

namespace {

constexpr int maxNameLength = 40;

QString notAContactsFile() {
    return QStringLiteral("Die Datei ist weder eine vCard-Datei noch eine CSV-Kontaktliste.");
}

struct DuplicateKey {
    QString name;
    int monat;
    int tag;
    bool operator==(const DuplicateKey&) const = default;
};
size_t qHash(const DuplicateKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.name, k.monat, k.tag);
}

} // namespace

QString fullImportedName(const Contact& contact) {
    QString name = transliterateName(contact.formattedName).trimmed();
    if (name.isEmpty()) {
        QStringList parts;
        for (const QString& p : {contact.givenName, contact.familyName})
            if (const QString part = transliterateName(p).trimmed(); !part.isEmpty())
                parts << part;
        name = parts.join(u' ');
    }
    return name;
}

QString importedName(const Contact& contact) {
    const QString name = fullImportedName(contact).left(maxNameLength).trimmed();
    return name.isEmpty() ? QStringLiteral(" ") : name;
}

bool isSameBirthday(const Record& a, const Record& b) {
    return a.name == b.name && a.monat == b.monat && a.tag == b.tag &&
           (a.jahr == b.jahr || a.jahr == 0 || b.jahr == 0);
}

ImportPlan planContactImport(const std::vector<Contact>& contacts, const Snapshot& existing,
                             const ReminderDefaults& defaults) {
    ImportPlan plan;
    QMultiHash<DuplicateKey, int> years; // what the list holds, and what this import adds
    for (const Record& r : existing) {
        plan.highestNummer = std::max(plan.highestNummer, r.nummer);
        years.insert({r.name, r.monat, r.tag}, r.jahr);
    }
    long long next = static_cast<long long>(plan.highestNummer) + 1;
    for (size_t i = 0; i < contacts.size(); ++i) {
        const Contact& c = contacts[i];
        ImportRow row;
        row.contact = static_cast<int>(i);
        if (!c.birthday.readable()) {
            ++plan.withoutBirthday;
            plan.rows.push_back(std::move(row));
            continue;
        }
        Record r = newRecord(0, defaults);
        r.name = importedName(c);
        if (const QString full = fullImportedName(c); full.size() > maxNameLength)
            row.uncutName = full;
        r.jahr = c.birthday.year;
        r.monat = c.birthday.month;
        r.tag = c.birthday.day;
        const DuplicateKey key{r.name, r.monat, r.tag};
        bool duplicate = false;
        for (auto it = years.constFind(key); it != years.cend() && it.key() == key; ++it)
            duplicate = duplicate || *it == r.jahr || *it == 0 || r.jahr == 0;
        if (duplicate) {
            row.outcome = ImportRow::Outcome::Duplicate;
            ++plan.duplicates;
        } else {
            row.outcome = ImportRow::Outcome::Add;
            r.nummer = next <= INT_MAX ? static_cast<int>(next) : 0;
            ++next;
            ++plan.added;
            years.insert(key, r.jahr);
        }
        row.record = std::move(r);
        plan.rows.push_back(std::move(row));
    }
    return plan;
}

std::vector<Record> chosenRecords(const ImportPlan& plan, const std::vector<bool>& chosen) {
    std::vector<Record> out;
    int next = plan.highestNummer;
    for (size_t i = 0; i < plan.rows.size() && i < chosen.size(); ++i) {
        const ImportRow& row = plan.rows[i];
        if (!chosen[i] || row.outcome == ImportRow::Outcome::NoBirthday)
            continue;
        if (next == INT_MAX)
            break;
        Record r = row.record;
        r.nummer = ++next;
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<Record> recordsToAdd(const ImportPlan& plan) {
    std::vector<bool> chosen;
    for (const ImportRow& row : plan.rows)
        chosen.push_back(row.outcome == ImportRow::Outcome::Add);
    return chosenRecords(plan, chosen);
}

QString importSummary(int added, int duplicates, int withoutBirthday) {
    return QStringLiteral("%1 Geburtstage übernommen, %2 schon in der Liste, %3 ohne lesbares "
                          "Geburtsdatum")
        .arg(added)
        .arg(duplicates)
        .arg(withoutBirthday);
}

ContactFile parseContactFile(QByteArrayView bytes) {
    ContactFile file;
    if (bytes.trimmed().isEmpty()) {
        file.error = QStringLiteral("Die Datei ist leer.");
        return file;
    }
    if (bytes.size() > maxContactFileBytes) {
        file.error = QStringLiteral("Die Datei ist für eine Kontaktdatei zu groß.");
        return file;
    }
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    // A stray NUL byte (a phone's padding, a cut transfer) is skipped like any control
    // character; a binary file is still refused, for it has no contacts header.
    QByteArray withoutNul;
    if (!utf16 && bytes.contains('\0')) {
        withoutNul = bytes.toByteArray();
        withoutNul.removeIf([](char c) { return c == '\0'; });
        bytes = withoutNul;
    }
    if (!utf16 && looksLikeVCard(bytes)) {
        file.kind = ContactFile::Kind::VCard;
        file.contacts = readVCards(bytes);
        file.ok = true;
        return file;
    }
    CsvContacts csv = readCsvContacts(bytes);
    if (!csv.ok) {
        file.error = notAContactsFile();
        return file;
    }
    file.kind = ContactFile::Kind::Csv;
    file.contacts = std::move(csv.contacts);
    file.ok = true;
    return file;
}

ContactFile readContactFile(const QString& path) {
    const ReadResult read = readFileSafely(path, maxContactFileBytes);
    if (read.ok)
        return parseContactFile(read.bytes);
    ContactFile file;
    file.error = read.tooLarge ? QStringLiteral("Die Datei ist für eine Kontaktdatei zu groß.")
                               : QStringLiteral("Die Datei kann nicht gelesen werden (%1 : %2).")
                                     .arg(read.error.code)
                                     .arg(read.error.description);
    return file;
}

bool appendRecords(TableStore& store, const std::vector<Record>& records, QString* error) {
    if (!store.begin()) {
        if (error)
            *error = store.lastError();
        return false;
    }
    for (const Record& r : records) {
        if (store.insert(r) == 0) {
            if (error)
                *error = store.lastError();
            store.rollback();
            return false;
        }
    }
    if (!store.commit()) {
        if (error)
            *error = store.lastError();
        store.rollback();
        return false;
    }
    return true;
}

} // namespace natalix
