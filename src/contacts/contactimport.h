#pragma once

#include "contacts/contact.h"
#include "table/record.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace natalix {

class TableStore;

// The name a contact gets in the list: FN, else given and family name from N (or the CSV
// name columns), transliterated to Windows-1252 (line breaks and tabs a blank) and trimmed;
// cut to 40 characters, " " when nothing is left.
QString importedName(const Contact& contact);
// The same before the cut.
QString fullImportedName(const Contact& contact);

// The duplicate rule: same name, same day and month, and the same year or either unknown.
bool isSameBirthday(const Record& a, const Record& b);

// What one contact becomes, for the command line and for the window's preview.
struct ImportRow {
    enum class Outcome {
        Add,        // a new record
        Duplicate,  // already in the list (or earlier in the same file)
        NoBirthday, // missing, unreadable or out of range: see contact.birthday.status
    };
    int contact = 0; // index into the contacts read
    Outcome outcome = Outcome::NoBirthday;
    Record record;     // what it becomes (not for NoBirthday); Nummer 0 for a duplicate
    QString uncutName; // the name before the cut to 40 characters; empty when it fits
};

struct ImportPlan {
    std::vector<ImportRow> rows; // one per contact, in file order
    int added = 0;
    int duplicates = 0;
    int withoutBirthday = 0;
    int highestNummer = 0; // of the list before the import
};

// Every contact with a readable birthday becomes a record with the reminder defaults and
// markers 0; new ones are numbered from the highest number in `existing` + 1, in file order.
ImportPlan planContactImport(const std::vector<Contact>& contacts, const Snapshot& existing,
                             const ReminderDefaults& defaults);

// The records of the rows chosen in the preview (chosen[i] for rows[i]; every row that has a
// record may be chosen, a duplicate too), numbered again from the highest + 1.
std::vector<Record> chosenRecords(const ImportPlan& plan, const std::vector<bool>& chosen);
// The rows the plan adds by itself: every Add row.
std::vector<Record> recordsToAdd(const ImportPlan& plan);

// "N Geburtstage übernommen, M schon in der Liste, K ohne lesbares Geburtsdatum"
QString importSummary(int added, int duplicates, int withoutBirthday);

// A contacts file, read whole: a vCard file or a CSV export, anything else is refused.
struct ContactFile {
    enum class Kind { VCard, Csv };
    bool ok = false;
    QString error; // German, for the user, when !ok
    Kind kind = Kind::VCard;
    std::vector<Contact> contacts;
};
// Larger files are refused before they are read.
constexpr qint64 maxContactFileBytes = 64LL * 1024 * 1024;
ContactFile parseContactFile(QByteArrayView bytes);
ContactFile readContactFile(const QString& path);

// Appends the records in one transaction: all of them or, with *error set, none.
bool appendRecords(TableStore& store, const std::vector<Record>& records, QString* error);

} // namespace natalix
