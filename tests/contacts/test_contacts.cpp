#include "contacts/contactimport.h"
#include "contacts/csvcontacts.h"
#include "contacts/vcard.h"
#include "support/testsupport.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using Status = ContactBirthday::Status;

Q_DECLARE_METATYPE(natalix::Contact)

namespace {

ContactBirthday known(int y, int m, int d) {
    return {Status::Known, y, m, d};
}
ContactBirthday status(Status s) {
    return {s, 0, 0, 0};
}
// "y-m-d", or only the verdict for a birthday that cannot be used.
QString show(const ContactBirthday& b) {
    return b.status == Status::Known ? QString::asprintf("%d-%d-%d", b.year, b.month, b.day)
                                     : QString::number(int(b.status));
}

Contact contact(const QString& fn, const ContactBirthday& b, const QString& given = {},
                const QString& family = {}) {
    Contact c;
    c.formattedName = fn;
    c.givenName = given;
    c.familyName = family;
    c.birthday = b;
    return c;
}

// name|year-month-day per contact with a birthday, "name|-" without one.
QStringList describe(const std::vector<Contact>& contacts) {
    QStringList out;
    for (const Contact& c : contacts)
        out << importedName(c) + u'|' + (c.birthday.readable() ? show(c.birthday) : "-");
    return out;
}

const ReminderDefaults defaults{QStringLiteral("2 Wochen vorher"), QStringLiteral("1 Tag vorher"),
                                QStringLiteral("Keine Erinnerung"),
                                QStringLiteral("18. Geburtstag"), QStringLiteral("alle 2 Jahre")};

} // namespace

class TestContacts : public QObject {
    Q_OBJECT
private slots:
    // Beside the files below (csvExports, vcardStructure, sampleFiles), which hold more forms.
    void birthdays() {
        // Each check compares "value -> verdict", so that a failure names its row.
        auto v = [](const char* value, ContactBirthday b, int omit = 0, bool text = false) {
            const QString in = QString::fromUtf8(value);
            QCOMPARE(in + " -> " + show(parseVCardBirthday(in, text, omit)), in + " -> " + show(b));
        };
        auto c = [](const char* value, ContactBirthday b, bool dayFirst = false) {
            const QString in = QString::fromUtf8(value);
            const DayOrder order = dayFirst ? DayOrder::DayFirst : DayOrder::MonthFirst;
            QCOMPARE(in + " -> " + show(parseCsvBirthday(in, order)), in + " -> " + show(b));
        };
        v("--0229", known(0, 2, 29));
        v("1980-08-15", known(1980, 8, 15), 1604);
        v("1980-03-07", status(Status::Unreadable), 0, true);
        v("2023-02-29", status(Status::Unreadable));
        v("1900-02-29", status(Status::Unreadable));
        v("1879-12-31", status(Status::YearOutOfRange));
        v("2100-01-01", status(Status::YearOutOfRange));
        v("2099-12-31", known(2099, 12, 31));
        v("1985-04", status(Status::Unreadable));
        v("--0230", status(Status::Unreadable));
        v("1980-13-01", status(Status::Unreadable));
        v("0000-03-07", status(Status::Unreadable));
        c("1980-03-07 00:00:00", known(1980, 3, 7));
        c("", status(Status::Missing));
        c("0.0.00", status(Status::Missing));
        c("29.2.2023", status(Status::Unreadable));
        c("24/12/1975", status(Status::Unreadable));
        c("20-01-1991", known(1991, 1, 20), true);
        c("1604-03-15", known(0, 3, 15));
        c("1.1.1850", status(Status::YearOutOfRange));
        c("7.3.80", status(Status::Unreadable));
    }

    void vcardStructure_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("cards"); // uid|FN|given|family|birthday
        const QByteArray mini = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mini\r\nEND:VCARD\r\n";
        QTest::newRow("folded with blank and tab, inside a UTF-8 character")
            << QByteArray("BEGIN:VCARD\r\nFN:Maximiliane von\r\n  Hohen\r\n\tstein J\xC3\r\n "
                          "\xBCrgen\r\nBDAY:1971-12-\r\n 22\r\nEND:VCARD\r\n")
            << QStringList{"|Maximiliane von Hohenstein Jürgen|||1971-12-22"};
        QTest::newRow("LF and CR line ends, lower-case names, groups")
            << QByteArray("begin:vcard\nitem1.fn:Anna\nbday:--0307\nend:vcard\rBEGIN:VCARD\r"
                          "FN:Ben\rEND:VCARD\r")
            << QStringList{"|Anna|||0-3-7", "|Ben|||-"};
        QTest::newRow("escapes, quoted parameter, UID, the first FN wins")
            << QByteArray("\xEF\xBB\xBF"
                          "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:42\r\nFN;X-A=\"a:b;c\":"
                          "Sean O\\;Brien\\, jun.\r\nFN:Zweiter\r\nN:O\\;Brien;Sean;;;\r\n"
                          "BDAY;VALUE=date-and-or-time:19800307\r\nEND:VCARD\r\n")
            << QStringList{"urn:uuid:42|Sean O;Brien, jun.|Sean|O;Brien|1980-3-7"};
        QTest::newRow("line breaks escaped as \\n and \\N")
            << QByteArray("BEGIN:VCARD\r\nFN:Anna\\NMaria\\nBerg\r\nN:Berg\\Nx;Anna;;;\r\n"
                          "END:VCARD\r\n")
            << QStringList{"|Anna\nMaria\nBerg|Anna|Berg\nx|-"};
        QTest::newRow("a last card without END") << mini + "BEGIN:VCARD\r\nFN:Offen\r\nBDAY:--1224"
                                                 << QStringList{"|Mini|||-", "|Offen|||0-12-24"};
        QTest::newRow("no card at all") << QByteArray("FN:Niemand\r\n") << QStringList{};
        QTest::newRow("a CR inside a name, Apple's year 1604 without its marker")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\rMaria Berg\r\n"
                          "BDAY:1604-03-15\r\nEND:VCARD\r\n")
            << QStringList{"|Anna\rMaria Berg|||0-3-15"};
    }

    void vcardStructure() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cards);
        QStringList got;
        for (const Contact& c : readVCards(bytes))
            got << QStringList{c.uid, c.formattedName, c.givenName, c.familyName,
                               c.birthday.readable() ? show(c.birthday) : "-"}
                       .join(u'|');
        QCOMPARE(got, cards);
        QCOMPARE(readVCard(bytes).has_value(), !cards.isEmpty());
    }

    void csvExports_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("contacts"); // as describe() writes them
        QTest::newRow("Google Contacts")
            << QByteArray(
                   "First Name,Middle Name,Last Name,Name Prefix,Organization Name,Birthday,Notes,"
                   "Labels,E-mail 1 - Value\r\n"
                   "Anna,,Beispiel,,,1980-03-07,,* myContacts,a@example.org\r\n"
                   "J\xC3\xBCrgen,Karl,M\xC3\xBCller,Dr.,, --12-24,\"Notiz, mit\n"
                   "Zeilenumbruch\",* myContacts,\r\n"
                   ",,,,Firma GmbH,,,* myContacts,\r\n")
            << QStringList{"Anna Beispiel|1980-3-7", "Jürgen Karl Müller|0-12-24", " |-"};
        QTest::newRow("Outlook, English, Windows-1252")
            << QByteArray("\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\","
                          "\"Company\",\"Department\",\"Job Title\",\"Birthday\",\"Gender\","
                          "\"E-mail Address\",\"E-mail Display Name\",\"Notes\"\r\n"
                          "\"Mr.\",\"Bj\xF6rn\",\"\",\"J\xE4ger\",\"\",\"\",\"\",\"\","
                          "\"7/1/1968\",\"Male\",\"b@example.org\",\"Bj\xF6rn J\xE4ger\",\"\"\r\n"
                          "\"\",\"Eve\",\"\",\"Smith\",\"\",\"\",\"\",\"\",\"0/0/00\","
                          "\"Female\",\"\",\"\",\"Says \"\"hi\"\"\"\r\n")
            << QStringList{"Björn Jäger|1968-7-1", "Eve Smith|-"};
        QTest::newRow("Outlook, German, re-saved with semicolons")
            << QByteArray("Anrede;Vorname;Weitere Vornamen;Nachname;Suffix;Firma;Geburtstag;"
                          "E-Mail: Angezeigter Name;Notizen\r\n"
                          "Herr;J\xFCrgen;;M\xFC"
                          "ller;;M\xFCller & S\xF6hne, K\xF6ln;24.12.1975;J\xFCrgen;\"a;b\"\r\n"
                          ";;;Schmidt;;;3.10.1990;;\r\n")
            << QStringList{"Jürgen Müller|1975-12-24", "Schmidt|1990-10-3"};
        QByteArray utf16("\xFF\xFE");
        for (QChar c : QStringLiteral("Vorname,Nachname,Geburtstag\r\nÄnne,Özil,1.2.1983\r\n")) {
            utf16 += char(c.unicode() & 0xFF);
            utf16 += char(c.unicode() >> 8);
        }
        QTest::newRow("UTF-16 with byte order mark") << utf16 << QStringList{"Änne Özil|1983-2-1"};
        QTest::newRow("Thunderbird, a column each for year, month and day")
            << QByteArray(
                   "First Name,Last Name,Display Name,Primary Email,Birth Year,Birth Month,"
                   "Birth Day,Notes,\r\nAnna,Beispiel,Anna Beispiel,a@example.org,1980,03,"
                   "07,,\r\nPaul,Sommer,,,,8,15,,\r\nLea,Ohne,,,1990,,,,\r\n,,Niemand,,,,,,\r\n")
            << QStringList{"Anna Beispiel|1980-3-7", "Paul Sommer|0-8-15", "Lea Ohne|-",
                           "Niemand|-"};
        QTest::newRow("Thunderbird, German: Geburtstag is the day")
            << QByteArray("Vorname,Nachname,Anzeigename,Spitzname,Geburtsjahr,Geburtsmonat,"
                          "Geburtstag,Notizen,\r\n"
                          "J\xC3\xBCrgen,M\xC3\xBCller,,,1975,12,24,,\r\n")
            << QStringList{"Jürgen Müller|1975-12-24"};
        QTest::newRow("day first, told by a day above 12 in a later row")
            << QByteArray("First Name,Last Name,Birthday\r\nAnna,Beispiel,05/03/1980\r\n"
                          "Paul,Sommer,20/01/1991\r\n")
            << QStringList{"Anna Beispiel|1980-3-5", "Paul Sommer|1991-1-20"};
        QTest::newRow("month first, told by a day above 12")
            << QByteArray("Vorname;Nachname;Geburtstag\r\nAnna;Beispiel;05/03/1980\r\n"
                          "Paul;Sommer;12/24/1975\r\n")
            << QStringList{"Anna Beispiel|1980-5-3", "Paul Sommer|1975-12-24"};
        QTest::newRow("no day above 12: German columns read day first")
            << QByteArray("Vorname;Nachname;Geburtstag\r\nAnna;Beispiel;05/03/1980\r\n")
            << QStringList{"Anna Beispiel|1980-3-5"};
        QTest::newRow("a NUL byte is skipped")
            << QByteArray("Name,Birthday\r\nAnna Beispiel,1980-03-\0"
                          "07\r\n",
                          42)
            << QStringList{"Anna Beispiel|1980-3-7"};
    }

    void csvExports() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, contacts);
        const ContactFile file = parseContactFile(bytes);
        QVERIFY2(file.ok, qPrintable(file.error));
        QCOMPARE(file.kind, ContactFile::Kind::Csv);
        QCOMPARE(describe(file.contacts), contacts);
    }

    void refusedFiles() {
        const QString neither =
            QStringLiteral("Die Datei ist weder eine vCard-Datei noch eine CSV-Kontaktliste.");
        const std::pair<QByteArray, QString> files[] = {
            {"", "Die Datei ist leer."},
            {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), neither},
            {"Artikel;Preis;Menge\r\nApfel;1,20;3\r\n", neither}}; // CSV of something else
        for (const auto& [bytes, error] : files) {
            const ContactFile file = parseContactFile(bytes);
            QCOMPARE(std::tuple(file.ok, file.error, file.contacts.size()),
                     std::tuple(false, error, size_t(0)));
        }
    }

    void names() {
        // `cut`: the preview marks the name as shortened.
        auto check = [](const QString& fn, const QString& name, bool cut, const QString& given = {},
                        const QString& family = {}) {
            const ImportPlan p =
                planContactImport({contact(fn, known(1980, 1, 1), given, family)}, {}, defaults);
            const ImportRow& row = p.rows.front();
            QCOMPARE(std::tuple(row.record.name, !row.uncutName.isEmpty()), std::tuple(name, cut));
            if (cut)
                QCOMPARE(row.uncutName.left(40).trimmed(), name);
        };
        check("  Anna Beispiel \t", "Anna Beispiel", false, "X", "Y"); // FN, trimmed
        check(" ", "Paul Sommer", false, " Paul ", "Sommer");          // N when FN is blank
        check({}, " ", false);                                         // nothing at all
        check(QString(40, u'x'), QString(40, u'x'), false);
        check(QString(45, u'x'), QString(40, u'x'), true);
        check(QString(39, u'x') + "  Rest", QString(39, u'x'), true); // no blank left at the cut
        // Transliterated, "?" only without a Latin form.
        check(QStringLiteral("Şükrü Yılmaz Иван 李 ❤️ €Š"),
              "Sükrü Yilmaz ???? ? ? €Š", false);
        // An FN of invisible characters gives way to N.
        check(QStringLiteral("\u200B"), "Paul Sommer", false, "Paul", "Sommer");
        // A character beyond the BMP counts once.
        check(QString(39, u'x') + QStringLiteral("😀z"), QString(39, u'x') + "?", true);
        check("Anna\r\nMaria\rB\tC", "Anna Maria B C", false); // line breaks and tabs
    }

    void plan_data() {
        QTest::addColumn<QList<Record>>("existing");
        QTest::addColumn<QList<Contact>>("contacts");
        QTest::addColumn<QStringList>("outcomes"); // per contact: Nummer, "dup" or "none"
        QTest::addColumn<QString>("summary");
        auto rec = [](int nummer, const char* name, int y, int m, int d) {
            return natalix::test::makeRecord(nummer, QString::fromUtf8(name), y, m, d);
        };
        const QList<Record> list{rec(1, "Anna", 1980, 3, 7), rec(7, "Paul", 0, 8, 15)};
        QTest::newRow("numbers from the highest, gaps kept")
            << list
            << QList<Contact>{contact("Neu", known(1990, 1, 2)), contact("Neuer", known(0, 2, 29))}
            << QStringList{"8", "9"}
            << "2 Geburtstage übernommen, 0 schon in der Liste, 0 ohne lesbares Geburtsdatum";
        QTest::newRow("the duplicate rule")
            << list << QList<Contact>{contact(" Anna ", known(1980, 3, 7)),
                                      contact("Anna", known(0, 3, 7)),
                                      contact("Anna", known(1981, 3, 7)),
                                      contact("Anna", known(1980, 3, 8)),
                                      contact("anna", known(1980, 3, 7)),
                                      contact("Paul", known(1999, 8, 15)),
                                      contact("Paul", known(1999, 8, 16))}
            << QStringList{"dup", "dup", "8", "9", "10", "dup", "11"}
            << "4 Geburtstage übernommen, 3 schon in der Liste, 0 ohne lesbares Geburtsdatum";
        QTest::newRow("twice in one file")
            << list
            << QList<Contact>{contact("Lea", known(1992, 11, 3)),
                              contact("Lea", known(1992, 11, 3)), contact("Lea", known(0, 11, 3))}
            << QStringList{"8", "dup", "dup"}
            << "1 Geburtstage übernommen, 2 schon in der Liste, 0 ohne lesbares Geburtsdatum";
        QTest::newRow("no readable birthday")
            << list
            << QList<Contact>{contact("A", status(Status::Missing)),
                              contact("B", status(Status::Unreadable)),
                              contact("C", status(Status::YearOutOfRange)),
                              contact("D", known(2001, 1, 1))}
            << QStringList{"none", "none", "none", "8"}
            << "1 Geburtstage übernommen, 0 schon in der Liste, 3 ohne lesbares Geburtsdatum";
    }

    void plan() {
        QFETCH(QList<Record>, existing);
        QFETCH(QList<Contact>, contacts);
        QFETCH(QStringList, outcomes);
        QFETCH(QString, summary);
        const ImportPlan p = planContactImport({contacts.begin(), contacts.end()},
                                               {existing.begin(), existing.end()}, defaults);
        QStringList got;
        for (const ImportRow& row : p.rows) {
            QCOMPARE(row.contact, int(got.size()));
            if (row.outcome == ImportRow::Outcome::NoBirthday) {
                got << "none";
                continue;
            }
            const Contact& c = contacts[row.contact];
            Record expected = newRecord(row.record.nummer, defaults);
            expected.name = importedName(c);
            expected.jahr = c.birthday.year;
            expected.monat = c.birthday.month;
            expected.tag = c.birthday.day;
            QCOMPARE(row.record, expected); // reminder defaults, markers 0
            got << (row.outcome == ImportRow::Outcome::Duplicate
                        ? QStringLiteral("dup")
                        : QString::number(row.record.nummer));
        }
        QCOMPARE(got, outcomes);
        QCOMPARE(importSummary(p.added, p.duplicates, p.withoutBirthday), summary);
        QCOMPARE(int(recordsToAdd(p).size()), p.added);
    }

    // Exports of real address books, what is added and the summary; what they hold was read
    // with python3-vobject.
    void sampleFiles() {
        const std::pair<const char*, QStringList> files[] = {
            {"android-2.1.vcf",
             {"Anna Beispiel|1980-3-7", "Jürgen Müller|1975-12-24",
              "Zoë Groß-Öztürk ? mit einem sehr langen|2000-2-29", "Björn Jäger|1968-7-1",
              "Eva Schmidt|1899-4-30",
              "5 Geburtstage übernommen, 0 schon in der Liste, 1 ohne lesbares Geburtsdatum"}},
            {"apple-3.0.vcf",
             {"Paul Sommer|0-8-15", "Lea Winter|1992-11-3", "Kim Schaltjahr|0-2-29",
              "Dr. Hans Müller, jun.|1955-1-31",
              "Maximiliane Theodora von und zu Hohenste|1971-12-22",
              "5 Geburtstage übernommen, 0 schon in der Liste, 1 ohne lesbares Geburtsdatum"}},
            {"nextcloud-4.0.vcf",
             {"Ida Nussbaum|0-4-12", "Uhrzeit Mensch|1990-5-6", "Emil Ätzend|0-10-3",
              "Ida Nussbaum|0-4-13",
              "4 Geburtstage übernommen, 1 schon in der Liste, 5 ohne lesbares Geburtsdatum"}}};
        for (const auto& [file, expected] : files) {
            const ContactFile f = parseContactFile(
                natalix::test::readFileBytes(NATALIX_TEST_DATA "/contacts/" + QString(file)));
            const ImportPlan p = planContactImport(f.contacts, {}, defaults);
            QStringList got;
            for (const Record& r : recordsToAdd(p))
                got << QStringLiteral("%1|%2-%3-%4")
                           .arg(r.name)
                           .arg(r.jahr)
                           .arg(r.monat)
                           .arg(r.tag);
            QCOMPARE(got << importSummary(p.added, p.duplicates, p.withoutBirthday), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestContacts)
#include "test_contacts.moc"
