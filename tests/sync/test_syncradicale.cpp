#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "sync/linkstore.h"

#include "contacts/contactimport.h"
#include "support/radicale.h"
#include "support/testsupport.h"
#include "table/tablestore.h"

#include <QLockFile>
#include <QProcess>
#include <QtTest>

using namespace natalix;
using natalix::test::Radicale;
using natalix::test::readFileBytes;
using natalix::test::TempDataDir;
using natalix::test::vcard;
using natalix::test::writeFileBytes;

namespace {

struct Result {
    int code = -1;
    QString out, err;
};

// A list file of records "Nummer|Name|Jahr|Monat|Tag|reminder 1|reminder 2|reminder 3|start|cycle".
QByteArray listFile(const QStringList& records) {
    QByteArray out = ' ' + QByteArray::number(records.size()) + " \r\n";
    for (const QString& r : records) {
        const QStringList f = r.split(u'|');
        for (int i = 0; i < 10; ++i) {
            const QString v = i == 0 || (i >= 2 && i <= 4) ? u' ' + f[i] + u' ' : f[i];
            out += v.toLatin1() + "\r\n";
        }
    }
    return out;
}

const QString usual =
    "|1 Woche vorher|1 Tag vorher|Am Tage des Geburtstages|1. Geburtstag|jährlich";

// The program run as a user would, with its own data folder and the server's credentials.
class Program {
public:
    explicit Program(const QString& password = QString::fromLatin1(Radicale::password))
        : m_password(password) {}
    QString data() const { return m_dir.file("daten"); }

    Result run(const QStringList& args, const QString& now = "2026-01-10T09:00:00") const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            env.insert(QString::fromLatin1(name), m_dir.path());
        env.insert("NATALIX_NOW", now);
        env.insert("NATALIX_DAV_USER", QString::fromLatin1(Radicale::user));
        env.insert("NATALIX_DAV_PASSWORD", m_password);
        env.insert("LC_ALL", "C.UTF-8");
        env.remove("NATALIX_DATADIR");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(NATALIX_BINARY), QStringList{"--datadir", data()} + args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished(5000);
            return {};
        }
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    bool load(const QStringList& records) const {
        const QString file = m_dir.file("liste.nxd");
        return writeFileBytes(file, listFile(records)) && run({"--import", file}).code == 0;
    }

    // The list as "Nummer Name Jahr-Monat-Tag" lines, in number order.
    QStringList list() const {
        const QString file = m_dir.file("export.nxd");
        if (run({"--export", file}).code != 0)
            return {"export failed"};
        const QStringList lines = QString::fromLatin1(readFileBytes(file)).split("\r\n");
        QStringList out;
        for (int i = 1; i + 9 < lines.size(); i += 10)
            out << QStringLiteral("%1 %2 %3-%4-%5")
                       .arg(lines[i].trimmed(), lines[i + 1], lines[i + 2].trimmed(),
                            lines[i + 3].trimmed(), lines[i + 4].trimmed());
        return out;
    }

private:
    TempDataDir m_dir;
    QString m_password;
};

ContactSyncOutcome syncInProcess(TableStore& store, const QUrl& url,
                                 const std::function<void(ContactSync&)>& hook = {}) {
    ContactSync sync(store, importRulesReader({}), isSameBirthday);
    sync.client().setCredentials(Radicale::user, Radicale::password);
    sync.client().setTimeout(5000);
    if (hook)
        hook(sync);
    ContactSyncOutcome outcome;
    bool done = false;
    QObject::connect(&sync, &ContactSync::finished, [&](const ContactSyncOutcome& o) {
        outcome = o;
        done = true;
    });
    sync.start(url);
    QDeadlineTimer deadline(30000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!done)
        outcome.message = "no answer in time";
    return outcome;
}

QString dumpCalendar(const Radicale& server, const QString& path) {
    QProcess p;
    p.start("/usr/bin/python3", {QStringLiteral(NATALIX_TEST_SOURCES "/sync/calendar_dump.py"),
                                 server.url(path).toString(), Radicale::user, Radicale::password,
                                 "2026-01-01", "2029-01-01"});
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        return "verifier hangs";
    }
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

} // namespace

class TestSyncRadicale : public QObject {
    Q_OBJECT
    Radicale m_server;

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }

    void contactsFollowTheAddressBook() {
        QVERIFY(m_server.makeAddressBook("/anna/kontakte/"));
        Program program;
        // The user's own list: Anna is also in the address book, Otto only here.
        QVERIFY(
            program.load({"1|Anna Beispiel|1980|3|7" + usual, "2|Otto Eigen|1960|5|5" + usual}));
        // Anna gets her first reminder on 28 February 2026, before anything is synced.
        QCOMPARE(program.run({"--scan"}, "2026-02-28T08:00:00").out,
                 "Anna Beispiel wird am 7.3.2026 46 Jahre alt ...\n");

        struct Step {
            const char* what;
            std::function<bool()> change; // on the server, with curl
            QStringList list;
            QString scanOn; // then a scan on this day prints exactly `scan`
            QString scan;
        };
        const QString k = "/anna/kontakte/";
        const Radicale& s = m_server;
        const std::vector<Step> steps{
            {"first run links Anna and adds the others",
             [&] {
                 return s.putVCard(k + "a.vcf", vcard("a", "Anna Beispiel", "1980-03-07")) == 201 &&
                        s.putVCard(k + "b.vcf", vcard("b", "Bernd Brot", "--0601")) == 201 &&
                        s.putVCard(k + "c.vcf", vcard("c", "Carla Cello", "")) == 201;
             },
             {"1 Anna Beispiel 1980-3-7", "2 Otto Eigen 1960-5-5", "3 Bernd Brot 0-6-1"},
             "2026-02-28T09:00:00",
             ""},
            {"renamed: markers stay, no second reminder",
             [&] {
                 return s.putVCard(k + "a.vcf", vcard("a", "Anna Muster", "1980-03-07")) == 201 ||
                        s.putVCard(k + "a.vcf", vcard("a", "Anna Muster", "1980-03-07")) == 204;
             },
             {"1 Anna Muster 1980-3-7", "2 Otto Eigen 1960-5-5", "3 Bernd Brot 0-6-1"},
             "2026-02-28T10:00:00",
             ""},
            {"new date: markers cleared, reminded again",
             [&] {
                 const int st = s.putVCard(k + "a.vcf", vcard("a", "Anna Muster", "1980-03-06"));
                 return st == 201 || st == 204;
             },
             {"1 Anna Muster 1980-3-6", "2 Otto Eigen 1960-5-5", "3 Bernd Brot 0-6-1"},
             "2026-02-28T11:00:00",
             "Anna Muster wird am 6.3.2026 46 Jahre alt ...\n"},
            {"deleted contact, new birthday on a known one, a new contact",
             [&] {
                 const int st = s.putVCard(k + "c.vcf", vcard("c", "Carla Cello", "2001-12-24"));
                 return s.remove(k + "b.vcf") == 200 && (st == 201 || st == 204) &&
                        s.putVCard(k + "d.vcf", vcard("d", "Dora Dach", "1999-01-31")) == 201;
             },
             {"1 Anna Muster 1980-3-6", "2 Otto Eigen 1960-5-5", "4 Carla Cello 2001-12-24",
              "5 Dora Dach 1999-1-31"},
             "",
             ""},
            {"birthday removed on the server",
             [&] {
                 const int st = s.putVCard(k + "d.vcf", vcard("d", "Dora Dach", ""));
                 return st == 201 || st == 204;
             },
             {"1 Anna Muster 1980-3-6", "2 Otto Eigen 1960-5-5", "4 Carla Cello 2001-12-24"},
             "",
             ""},
            {"everything deleted: Otto, the user's own, stays",
             [&] {
                 return s.remove(k + "a.vcf") == 200 && s.remove(k + "c.vcf") == 200 &&
                        s.remove(k + "d.vcf") == 200;
             },
             {"2 Otto Eigen 1960-5-5"},
             "",
             ""},
        };
        for (const Step& step : steps) {
            QVERIFY2(step.change(), step.what);
            // The server root: discovery finds the address book.
            const Result r = program.run({"--sync-contacts", m_server.url("/").toString()});
            QVERIFY2(r.code == 0 && r.err.isEmpty(), qPrintable(step.what + (": " + r.err)));
            QVERIFY2(r.out.startsWith("Adressbuch " + m_server.url(k).toString() + ": "),
                     qPrintable(r.out));
            QCOMPARE(program.list(), step.list);
            if (!step.scanOn.isEmpty())
                QCOMPARE(program.run({"--scan"}, step.scanOn).out, step.scan);
        }
    }

    void severalAddressBooksAreNamed() {
        QVERIFY(m_server.makeAddressBook("/anna/x-zweites/"));
        QVERIFY(m_server.makeAddressBook("/anna/a-erstes/"));
        Program program;
        const Result r = program.run({"--sync-contacts", m_server.url("/").toString()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.startsWith("Adressbuch " + m_server.url("/anna/a-erstes/").toString()),
                 qPrintable(r.out));
        QVERIFY2(r.out.contains("\nWeitere Adressbücher, nicht abgeglichen: " +
                                m_server.url("/anna/kontakte/").toString() + ", " +
                                m_server.url("/anna/x-zweites/").toString()),
                 qPrintable(r.out));
    }

    void nothingChangedTransfersNoVCard() {
        const QString k = "/anna/inkrementell/";
        QVERIFY(m_server.makeAddressBook(k));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(m_server.putVCard(
                         k + QString::number(i) + ".vcf",
                         vcard(QString::number(i), "Person " + QString::number(i),
                               QStringLiteral("1990-01-%1").arg(i + 1, 2, 10, QChar('0')))),
                     201);
        TempDataDir dir;
        QString error;
        auto store = TableStore::open(dir.file("Geburtstage.db"),
                                      natalix::test::makeRecord(1, "Probe", 1980, 3, 7), &error);
        QVERIFY(store);
        struct Round {
            const char* what;
            std::function<void()> before;
            int fetched, added, updated, removed;
            int maxRequests;
            qint64 maxBytes; // twenty vCards as XML are about 11 kB
        };
        const std::vector<Round> rounds{
            {"first sync", [] {}, 20, 20, 0, 0, 5, 20000},
            {"nothing changed", [] {}, 0, 0, 0, 0, 3, 2000},
            {"one changed",
             [&] { m_server.putVCard(k + "3.vcf", vcard("3", "Person Drei", "1990-01-04")); }, 1, 0,
             1, 0, 4, 3000},
            {"one deleted", [&] { m_server.remove(k + "4.vcf"); }, 0, 0, 0, 1, 3, 2000},
            // A token the server no longer knows: the full listing, and still no vCard.
            {"stale token",
             [&] {
                 DavLinkStore(*store).setSyncToken(m_server.url(k).toString(),
                                                   "http://radicale.org/ns/sync/0000");
             },
             0, 0, 0, 0, 4, 8000},
            {"nothing changed after the stale token", [] {}, 0, 0, 0, 0, 3, 2000},
        };
        for (const Round& round : rounds) {
            round.before();
            const ContactSyncOutcome o = syncInProcess(*store, m_server.url(k));
            QVERIFY2(o.ok, qPrintable(o.message));
            QCOMPARE(o.fetched, round.fetched);
            QCOMPARE(o.added, round.added);
            QCOMPARE(o.updated, round.updated);
            QCOMPARE(o.removed, round.removed);
            QVERIFY2(o.requests <= round.maxRequests,
                     qPrintable(QStringLiteral("%1: %2 requests").arg(round.what).arg(o.requests)));
            // Twenty vCards are about 2.5 kB as XML; a round without one stays well below.
            QVERIFY2(o.bytes <= round.maxBytes,
                     qPrintable(QStringLiteral("%1: %2 bytes").arg(round.what).arg(o.bytes)));
        }
        QCOMPARE(store->loadAll().size(), size_t(20));
    }

    void failuresLeaveTheList_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password")
            << "password"
            << "hat die Anmeldung abgelehnt (401). Benutzername und Passwort prüfen";
        QTest::newRow("nobody listens") << "closed"
                                        << "ist nicht erreichbar (Verbindung abgelehnt).";
        QTest::newRow("untrusted certificate")
            << "tls"
            << "Die verschlüsselte Verbindung zu 127.0.0.1 ist gescheitert; das "
               "Zertifikat des Servers wurde nicht anerkannt (";
        QTest::newRow("not a DAV address") << "nodav"
                                           << "\"ftp://127.0.0.1/\" ist keine http- oder "
                                              "https-Adresse.";
    }

    void failuresLeaveTheList() {
        QFETCH(QString, how);
        QFETCH(QString, message);
        const QString k = "/anna/fehler/";
        m_server.makeAddressBook(k);
        QVERIFY(m_server.putVCard(k + "n.vcf", vcard("n", "Neu Hinzu", "1990-02-02")) >= 200);
        Program program(how == "password" ? "falsch" : Radicale::password);
        QVERIFY(program.load({"1|Anna Beispiel|1980|3|7" + usual}));
        const QByteArray before = readFileBytes(program.data() + "/Geburtstage.db");
        Radicale tls;
        QUrl url = m_server.url(k);
        if (how == "tls") {
            QVERIFY2(tls.start(true), qPrintable(tls.error()));
            url = tls.url(k);
        } else if (how == "closed") {
            Radicale stopped;
            QVERIFY(stopped.start());
            url = stopped.url(k);
        } else if (how == "nodav") {
            url = QUrl("ftp://127.0.0.1/");
        }
        const Result r = program.run({"--sync-contacts", url.toString()});
        QVERIFY2(r.code == 1, qPrintable(QString::number(r.code) + ": " + r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        if (how != "nodav")
            QVERIFY2(r.err.endsWith(" Die Liste bleibt unverändert.\n"), qPrintable(r.err));
        QCOMPARE(readFileBytes(program.data() + "/Geburtstage.db"), before);
    }

    void serverGoneAfterDiscovery() {
        Radicale doomed;
        QVERIFY2(doomed.start(), qPrintable(doomed.error()));
        QVERIFY(doomed.makeAddressBook("/anna/buch/"));
        QCOMPARE(doomed.putVCard("/anna/buch/x.vcf", vcard("x", "Xaver Zeh", "1970-07-07")), 201);
        TempDataDir dir;
        QString error;
        auto store = TableStore::open(dir.file("Geburtstage.db"),
                                      natalix::test::makeRecord(1, "Probe", 1980, 3, 7), &error);
        QVERIFY(store);
        const ContactSyncOutcome o = syncInProcess(*store, doomed.url("/"), [&](ContactSync& sync) {
            QObject::connect(&sync, &ContactSync::discovered, [&] { doomed.kill(); });
        });
        QVERIFY(!o.ok);
        QCOMPARE(o.book, doomed.url("/anna/buch/"));
        QVERIFY2(o.message.startsWith("Der Server 127.0.0.1 ist nicht erreichbar (") &&
                     o.message.endsWith(" Die Liste bleibt unverändert."),
                 qPrintable(o.message));
        const std::vector<StoredRow> rows = store->loadAll();
        QCOMPARE(rows.size(), size_t(1));
        QCOMPARE(rows.front().record.name, QString("Probe"));
    }

    void refusedWhileTheWindowRuns() {
        Program program;
        QVERIFY(program.load({"1|Anna Beispiel|1980|3|7" + usual}));
        QLockFile lock(program.data() + "/natalix.lock");
        QVERIFY(lock.tryLock(0));
        for (const char* mode : {"--sync-contacts", "--sync-calendar"}) {
            const Result r = program.run({mode, m_server.url("/").toString()});
            QCOMPARE(r.code, 2);
            QVERIFY2(r.err.startsWith("Natalix läuft bereits mit diesem Datenordner. Ein Abgleich "
                                      "mit dem"),
                     qPrintable(r.err));
        }
    }

    void calendarHoldsTheBirthdays() {
        const QString k = "/anna/kalender/";
        QVERIFY(m_server.makeCalendar(k));
        const QByteArray foreign = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//DE\r\n"
                                   "BEGIN:VEVENT\r\nUID:zahnarzt-1\r\nDTSTAMP:20260101T000000Z\r\n"
                                   "DTSTART;VALUE=DATE:20260505\r\nSUMMARY:Zahnarzt\r\n"
                                   "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QCOMPARE(m_server.curl("PUT", k + "zahnarzt.ics", foreign, "text/calendar"), 201);
        QByteArray stored; // as the server keeps it
        QCOMPARE(m_server.curl("GET", k + "zahnarzt.ics", {}, {}, &stored), 200);
        Program program;
        const QStringList list{
            "1|Anna Beispiel|1980|3|7" + usual,
            "2|Lea Schalt|2000|2|29|Am Tage des Geburtstages|Keine Erinnerung|Keine "
            "Erinnerung|1. Geburtstag|jährlich",
            "3|Zora Zyklus|1968|7|15|1 Woche vorher|Keine Erinnerung|Keine Erinnerung|10. "
            "Geburtstag|alle 10 Jahre",
            "4|Ohne Jahr|0|12|24|1 Tag vorher|Keine Erinnerung|Keine Erinnerung|1. "
            "Geburtstag|jährlich"};
        QVERIFY(program.load(list));
        struct Step {
            const char* what;
            QStringList list; // empty: unchanged
            QString summary;
            QString calendar; // occurrences in 2026 to 2028, with the alarm days
        };
        const QString zahnarzt = "zahnarzt-1 2026-05-05 Zahnarzt |\n";
        const std::vector<Step> steps{
            {"first publication",
             {},
             "4 neu, 0 geändert, 0 gelöscht, 0 unverändert.",
             "natalix-1 2026-03-07 Anna Beispiel (*1980) | 2026-02-28,2026-03-06,2026-03-07\n"
             "natalix-1 2027-03-07 Anna Beispiel (*1980) | 2027-02-28,2027-03-06,2027-03-07\n"
             "natalix-1 2028-03-07 Anna Beispiel (*1980) | 2028-02-29,2028-03-06,2028-03-07\n"
             "natalix-2 2026-03-01 Lea Schalt (*2000) | 2026-03-01\n"
             "natalix-2 2027-03-01 Lea Schalt (*2000) | 2027-03-01\n"
             "natalix-2 2028-02-29 Lea Schalt (*2000) | 2028-02-29\n"
             "natalix-3 2028-07-15 Zora Zyklus (*1968) | 2028-07-08\n"
             "natalix-4 2026-12-24 Ohne Jahr | 2026-12-23\n"
             "natalix-4 2027-12-24 Ohne Jahr | 2027-12-23\n"
             "natalix-4 2028-12-24 Ohne Jahr | 2028-12-23\n" +
                 zahnarzt},
            {"nothing changed", {}, "0 neu, 0 geändert, 0 gelöscht, 4 unverändert.", ""},
            {"one renamed, one removed",
             {"1|Anna Muster|1980|3|7" + usual, list[2], list[3]},
             "0 neu, 1 geändert, 1 gelöscht, 2 unverändert.",
             "natalix-1 2026-03-07 Anna Muster (*1980) | 2026-02-28,2026-03-06,2026-03-07\n"
             "natalix-1 2027-03-07 Anna Muster (*1980) | 2027-02-28,2027-03-06,2027-03-07\n"
             "natalix-1 2028-03-07 Anna Muster (*1980) | 2028-02-29,2028-03-06,2028-03-07\n"
             "natalix-3 2028-07-15 Zora Zyklus (*1968) | 2028-07-08\n"
             "natalix-4 2026-12-24 Ohne Jahr | 2026-12-23\n"
             "natalix-4 2027-12-24 Ohne Jahr | 2027-12-23\n"
             "natalix-4 2028-12-24 Ohne Jahr | 2028-12-23\n" +
                 zahnarzt},
        };
        QString last;
        for (const Step& step : steps) {
            if (!step.list.isEmpty())
                QVERIFY(program.load(step.list));
            const Result r = program.run({"--sync-calendar", m_server.url(k).toString()});
            QVERIFY2(r.code == 0, qPrintable(step.what + (": " + r.err)));
            QCOMPARE(r.out, "Kalender " + m_server.url(k).toString() + ": " + step.summary + "\n");
            const QString now = dumpCalendar(m_server, k);
            QCOMPARE(now + "\n", step.calendar.isEmpty() ? last + "\n" : step.calendar);
            last = now;
        }
        QByteArray still;
        QCOMPARE(m_server.curl("GET", k + "zahnarzt.ics", {}, {}, &still), 200);
        QCOMPARE(still, stored);
    }

    void foreignEventWithOurNameIsLeftAlone() {
        const QString k = "/anna/besetzt/";
        QVERIFY(m_server.makeCalendar(k));
        const QByteArray foreign = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Hand//DE\r\n"
                                   "BEGIN:VEVENT\r\nUID:von-hand\r\nDTSTAMP:20260101T000000Z\r\n"
                                   "DTSTART;VALUE=DATE:20260606\r\nSUMMARY:Eigener Termin\r\n"
                                   "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QCOMPARE(m_server.curl("PUT", k + "natalix-1.ics", foreign, "text/calendar"), 201);
        QByteArray stored;
        QCOMPARE(m_server.curl("GET", k + "natalix-1.ics", {}, {}, &stored), 200);
        Program program;
        QVERIFY(program.load({"1|Anna Beispiel|1980|3|7" + usual, "2|Bert|1990|1|1" + usual}));
        const Result r = program.run({"--sync-calendar", m_server.url(k).toString()});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, "Kalender " + m_server.url(k).toString() +
                            ": 1 neu, 0 geändert, 0 gelöscht, 0 unverändert.\nNicht geschrieben, "
                            "weil im Kalender schon ein fremder Eintrag dieses Namens steht: "
                            "natalix-1.ics\n");
        QByteArray still;
        QCOMPARE(m_server.curl("GET", k + "natalix-1.ics", {}, {}, &still), 200);
        QCOMPARE(still, stored);
    }

    void calendarUrlMustBeACalendar() {
        Program program;
        const Result r =
            program.run({"--sync-calendar", m_server.url("/anna/kontakte/").toString()});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, "Unter " + m_server.url("/anna/kontakte/").toString() +
                            " liegt kein CalDAV-Kalender.\nBis dahin: Kalender " +
                            m_server.url("/anna/kontakte/").toString() +
                            ": 0 neu, 0 geändert, 0 gelöscht, 0 unverändert.\n");
    }
};

QTEST_GUILESS_MAIN(TestSyncRadicale)
#include "test_syncradicale.moc"
