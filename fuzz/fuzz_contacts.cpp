// Feeds arbitrary bytes to the contacts readers (vCard or CSV, chosen by the build), then
// plans an import and writes the calendar of the result. Whatever comes out must keep the
// rules a stored record keeps, and every calendar line must be folded.
#include "calendar/icalendar.h"
#include "contacts/contactimport.h"
#include "contacts/csvcontacts.h"
#include "contacts/vcard.h"
#include "listfile/cp1252.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace natalix;

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_contacts: %s\n", what);
        std::abort();
    }
}

std::vector<Contact> read(const QByteArray& bytes) {
#ifdef NATALIX_FUZZ_CSV
    const CsvContacts csv = readCsvContacts(bytes);
    check(csv.ok || csv.contacts.empty(), "contacts from a file that is no export");
    return csv.contacts;
#else
    std::vector<Contact> cards = readVCards(bytes);
    const std::optional<Contact> first = readVCard(bytes);
    check(first.has_value() == !cards.empty(), "one card and all cards disagree");
    check(!first || *first == cards.front(), "the first card differs");
    return cards;
#endif
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ContactFile file = parseContactFile(bytes);
    check(file.ok != !file.error.isEmpty(), "an error text without a refusal, or none with one");
    const std::vector<Contact> contacts = read(bytes);

    for (const Contact& c : contacts) {
        const QString name = importedName(c);
        check(!name.isEmpty() && name.size() <= 40, "name empty or longer than 40");
        check(name == u" " || name == name.trimmed(), "name with blanks around it");
        check(isCp1252(name), "name outside Windows-1252");
        check(!name.contains(u'\n') && !name.contains(u'\r'), "line break in a name");
        const ContactBirthday& b = c.birthday;
        if (b.readable())
            check(checkedBirthday(b.year, b.month, b.day).readable(), "a date that is none");
    }

    Snapshot existing{newRecord(3, ReminderDefaults())};
    existing.front().name = QStringLiteral("Anna");
    const ImportPlan plan = planContactImport(contacts, existing, ReminderDefaults());
    check(plan.added + plan.duplicates + plan.withoutBirthday == int(contacts.size()),
          "the counts do not add up");
    const std::vector<Record> added = recordsToAdd(plan);
    check(int(added.size()) == plan.added, "records to add differ from the count");
    for (size_t i = 0; i < added.size(); ++i)
        check(added[i].nummer == 4 + int(i), "numbers not consecutive from the highest + 1");

    const QByteArray ics = renderCalendar(added, {QDate(2025, 3, 7), QDateTime(), 1});
    check(ics.endsWith("END:VCALENDAR\r\n"), "calendar not closed");
    qsizetype start = 0;
    while (start < ics.size()) {
        const qsizetype end = ics.indexOf("\r\n", start);
        check(end >= 0 && end - start <= 75, "calendar line unterminated or longer than 75");
        start = end + 2;
    }
    return 0;
}
