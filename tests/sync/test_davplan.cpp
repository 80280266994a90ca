#include "sync/calendarplan.h"
#include "sync/contactplan.h"
#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "sync/davsession.h"
#include "sync/linkstore.h"

#include "contacts/contactimport.h"
#include "support/scriptedhttp.h"
#include "support/testsupport.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using natalix::test::makeRecord;
using natalix::test::ScriptedHttp;

namespace {

// A contact as the server reports it; `name` empty: fetched, no birthday; "-": not fetched.
RemoteContact remote(const QString& href, const QString& etag, const QString& name = "-",
                     int jahr = 0, int monat = 0, int tag = 0) {
    RemoteContact c;
    c.href = href;
    c.etag = etag;
    if (name == u"-")
        return c;
    ContactReading reading;
    reading.uid = href + QStringLiteral("-uid");
    if (!name.isEmpty())
        reading.record = makeRecord(0, name, jahr, monat, tag);
    c.reading = reading;
    return c;
}

RemoteContact gone(const QString& href) {
    return {href, {}, true, {}};
}

// The plan in words, so that a table row states the whole outcome.
QString render(const ContactPlan& p) {
    QStringList out;
    const auto date = [](const Record& r) {
        return QString::asprintf("%s %d-%d-%d", qUtf8Printable(r.name), r.jahr, r.monat, r.tag);
    };
    for (const Record& r : p.adds)
        out << QStringLiteral("add %1 ").arg(r.nummer) + date(r);
    for (const ContactPlan::Update& u : p.updates)
        out << QStringLiteral("update %1 %2 E%3")
                   .arg(u.rowid)
                   .arg(date(u.record))
                   .arg(u.record.marker[0]);
    for (qint64 rowid : p.removals)
        out << QStringLiteral("remove %1").arg(rowid);
    for (const ContactPlan::LinkWrite& w : p.linkWrites)
        out << QStringLiteral("link %1 %2 %3")
                   .arg(w.href, w.link.etag,
                        w.addIndex >= 0 ? QStringLiteral("add%1").arg(w.addIndex)
                                        : QString::number(w.link.record));
    for (const QString& href : p.linkRemovals)
        out << QStringLiteral("unlink %1").arg(href);
    out << QStringLiteral("linked %1 skipped %2").arg(p.linked).arg(p.skipped);
    return out.join(u'\n');
}

} // namespace

class TestDavPlan : public QObject {
    Q_OBJECT
private slots:
    // Fetched: what is new, what changed, and what comes without an ETag, linked or not.
    void fetchOnlyWhatChanged() {
        const ContactLinks links{{"/a/1.vcf", {"u1", "\"e1\"", 5}},
                                 {"/a/2.vcf", {"u2", "\"e2\"", 0}},
                                 {"/a/3.vcf", {"u3", "\"e3\"", 6}},
                                 {"/a/6.vcf", {"u6", "", 7}}};
        AddressBookState state;
        state.contacts = {
            remote("/a/1.vcf", "\"e1\""), remote("/a/2.vcf", "\"e2b\""), gone("/a/3.vcf"),
            remote("/a/4.vcf", "\"e4\""), remote("/a/5.vcf", ""),        remote("/a/6.vcf", "")};
        const std::vector<QString> expected{"/a/2.vcf", "/a/4.vcf", "/a/5.vcf", "/a/6.vcf"};
        QCOMPARE(hrefsToFetch(links, state), expected);
    }

    void contactPlan() {
        std::vector<StoredRow> list{{11, makeRecord(1, "Anna Beispiel", 1980, 3, 7)},
                                    {12, makeRecord(4, "Bernd Brot", 1975, 6, 1)},
                                    {13, makeRecord(9, "Carla Cello", 0, 12, 24)}};
        list[0].record.marker = {2025, 2025, 0};
        const ContactLinks linked{{"/a/1.vcf", {"u1", "e1", 11}},
                                  {"/a/2.vcf", {"u2", "e2", 12}},
                                  {"/a/3.vcf", {"u3", "e3", 0}}};
        using Contacts = std::vector<RemoteContact>;
        const Contacts same{remote("/a/1.vcf", "e1"), remote("/a/2.vcf", "e2"),
                            remote("/a/3.vcf", "e3")};
        // The contacts unchanged but the one at `i`.
        auto but = [&](size_t i, const RemoteContact& c) {
            Contacts out = same;
            out[i] = c;
            return out;
        };
        // `complete`: the whole listing, else the changes since the last token. The row's name
        // heads both sides, so that a failure names it.
        auto row = [&](const char* name, const ContactLinks& links, bool complete,
                       const Contacts& contacts, const char* expected,
                       const std::set<qint64>& elsewhere = {}) {
            AddressBookState state;
            state.complete = complete;
            state.contacts = contacts;
            const ContactPlan plan = planContactSync(links, list, elsewhere, state, isSameBirthday);
            QCOMPARE(name + ("\n" + render(plan)), name + ("\n" + QString(expected)));
        };
        row("first run: link by the duplicate rule, add the rest, number on", {}, true,
            {remote("/a/1.vcf", "e1", "Anna Beispiel", 0, 3, 7),
             remote("/a/2.vcf", "e2", "Dora Dach", 1990, 2, 28), remote("/a/3.vcf", "e3", ""),
             remote("/a/4.vcf", "e4", "Emil Eis", 2001, 1, 2)},
            "add 10 Dora Dach 1990-2-28\nadd 11 Emil Eis 2001-1-2\nlink /a/1.vcf e1 11\n"
            "link /a/2.vcf e2 add0\nlink /a/3.vcf e3 0\nlink /a/4.vcf e4 add1\nlinked 1 skipped 1");
        row("nothing changed", linked, true, same, "linked 0 skipped 0");
        row("renamed: the markers stay", linked, true,
            but(0, remote("/a/1.vcf", "e1b", "Anna Muster", 1980, 3, 7)),
            "update 11 Anna Muster 1980-3-7 E2025\nlink /a/1.vcf e1b 11\nlinked 0 skipped 0");
        row("new date: the markers go", linked, true,
            but(0, remote("/a/1.vcf", "e1b", "Anna Beispiel", 1980, 3, 8)),
            "update 11 Anna Beispiel 1980-3-8 E0\nlink /a/1.vcf e1b 11\nlinked 0 skipped 0");
        row("changed elsewhere (phone number): record untouched", linked, true,
            but(1, remote("/a/2.vcf", "e2b", "Bernd Brot", 1975, 6, 1)),
            "link /a/2.vcf e2b 12\nlinked 0 skipped 0");
        row("birthday removed: record removed, contact kept known", linked, true,
            but(1, remote("/a/2.vcf", "e2b", "")),
            "remove 12\nlink /a/2.vcf e2b 0\nlinked 0 skipped 1");
        row("delta: deleted contacts", linked, false,
            {gone("/a/1.vcf"), gone("/a/3.vcf"), gone("/a/9.vcf")},
            "remove 11\nunlink /a/1.vcf\nunlink /a/3.vcf\nlinked 0 skipped 0");
        row("full listing: missing contacts are deleted ones", linked, true,
            {remote("/a/3.vcf", "e3")},
            "remove 11\nremove 12\nunlink /a/1.vcf\nunlink /a/2.vcf\nlinked 0 skipped 0");
        row("delta: a missing contact is an unchanged one", linked, false,
            {remote("/a/3.vcf", "e3")}, "linked 0 skipped 0");
        row("record of another address book: not linked, not doubled", {}, false,
            {remote("/a/7.vcf", "e7", "Bernd Brot", 1975, 6, 1)},
            "link /a/7.vcf e7 0\nlinked 0 skipped 1", {12});
        row("record about to go is no duplicate", linked, false,
            {gone("/a/2.vcf"), remote("/a/8.vcf", "e8", "Bernd Brot", 1975, 6, 1)},
            "add 10 Bernd Brot 1975-6-1\nremove 12\nlink /a/8.vcf e8 add0\n"
            "unlink /a/2.vcf\nlinked 0 skipped 0");
        row("empty address book: the user's own records stay", {{"/a/3.vcf", {"u3", "e3", 0}}},
            true, {}, "unlink /a/3.vcf\nlinked 0 skipped 0");
    }

    void calendarPlan() {
        auto want = [](const QString& name, const QString& digest) {
            return DesiredEvent{"/k/" + name, name, "ics", digest};
        };
        const std::vector<DesiredEvent> desired{want("n-1.ics", "d1"), want("n-2.ics", "d2"),
                                                want("n-3.ics", "d3"), want("n-4.ics", "d4"),
                                                want("n-5.ics", "d5"), want("n-6.ics", "d6"),
                                                want("n-1.ics", "dup")};
        const PublishedEvents published{
            {"/k/n-1.ics", {"n-1", "\"a\"", "d1"}}, {"/k/n-2.ics", {"n-2", "\"b\"", "old"}},
            {"/k/n-3.ics", {"n-3", "\"c\"", "d3"}}, {"/k/n-4.ics", {"n-4", "", "d4"}},
            {"/k/n-5.ics", {"n-5", "\"e\"", "d5"}}, {"/k/n-8.ics", {"n-8", "\"h\"", "d8"}},
            {"/k/n-9.ics", {"n-9", "\"i\"", "d9"}}};
        const std::map<QString, QString> server{{"/k/n-1.ics", "\"a\""},  {"/k/n-2.ics", "\"b\""},
                                                {"/k/n-3.ics", "\"c2\""}, {"/k/n-4.ics", "\"d\""},
                                                {"/k/n-6.ics", "\"f\""},  {"/k/n-8.ics", "\"h2\""},
                                                {"/k/fremd.ics", "\"x\""}};
        const CalendarPlan plan = planCalendarSync(desired, published, server);
        QStringList out;
        for (const CalendarPlan::Put& p : plan.puts)
            out << QStringLiteral("put %1 %2 %3%4")
                       .arg(p.event.href, QString::fromUtf8(p.ifMatch),
                            p.update ? QStringLiteral("update") : QStringLiteral("new"),
                            p.overwrite ? QStringLiteral(" overwrite") : QString());
        for (const CalendarPlan::Delete& d : plan.deletes)
            out << QStringLiteral("delete %1 %2").arg(d.href, QString::fromUtf8(d.etag));
        for (const QString& f : plan.forget)
            out << QStringLiteral("forget %1").arg(f);
        for (const auto& [href, etag] : plan.learnEtags)
            out << QStringLiteral("learn %1 %2").arg(href, etag);
        for (const QString& f : plan.foreign)
            out << QStringLiteral("foreign %1").arg(f);
        out << QStringLiteral("unchanged %1").arg(plan.unchanged);
        const QStringList expected{
            "put /k/n-2.ics \"b\" update",            // the record changed: the stored ETag
            "put /k/n-3.ics \"c2\" update overwrite", // edited in the calendar: put back
            "put /k/n-5.ics  new overwrite",          // deleted in the calendar: put back
            "delete /k/n-8.ics \"h2\"",               // the record is gone: the server's ETag
            "forget /k/n-9.ics",                      // gone from both
            "learn /k/n-4.ics \"d\"",                 // published before ETags were kept
            "foreign /k/n-6.ics", // the name is taken by an event we did not make
            "unchanged 2",
        };
        QCOMPARE(out, expected);
    }

    // An answer of the calendar's members to a request whose own answer never came: the
    // action (0 PUT, 1 DELETE), the ETag published and on the server ("-": not there).
    void pendingRequests() {
        const auto notArrived = PendingFate::NotArrived, done = PendingFate::Done,
                   verify = PendingFate::Verify;
        const std::tuple<int, QString, QString, PendingFate> rows[] = {
            {0, "", "-", notArrived},           // new event, not there
            {0, "", "\"e\"", verify},           // new event, there
            {0, "\"e\"", "\"e\"", notArrived},  // update, ETag as published
            {0, "\"e\"", "\"f\"", verify},      // update, ETag changed
            {0, "\"e\"", "-", notArrived},      // update, gone
            {1, "\"e\"", "-", done},            // delete, gone
            {1, "\"e\"", "\"e\"", notArrived}}; // delete, still there
        for (const auto& [action, published, server, fate] : rows) {
            const PendingEvent pending{
                "n-1", action ? PendingEvent::Action::Delete : PendingEvent::Action::Put, "d"};
            const PublishedEvent p{"n-1", published, "d0"};
            QCOMPARE(settlePending(pending, published.isEmpty() ? nullptr : &p,
                                   server == u"-" ? nullptr : &server),
                     fate);
        }
    }

    void eventUids() {
        QCOMPARE(calendarObjectUid("BEGIN:VEVENT\nuid;X-A=b:natalix\n -7\nEND:VEVENT\n"),
                 "natalix-7"); // folded, with a parameter, LF only
        QCOMPARE(calendarObjectUid("BEGIN:VEVENT\nUIDX:a\nEND:VEVENT\n"), "");
        QCOMPARE(eventResourceName("a/b c@natalix"), "a%2Fb%20c@natalix.ics");
    }

    // Every linked record, or more than half of at least five, waits for the user's word.
    void removalGuard() {
        // removals, linked records, whether the user must confirm
        const std::tuple<int, int, bool> rows[] = {{0, 0, false}, {4, 4, true}, {3, 4, false},
                                                   {3, 6, false}, {3, 5, true}, {2, 5, false}};
        for (const auto& [removals, linked, confirm] : rows)
            QCOMPARE(removalsNeedConfirmation(removals, linked), confirm);
    }

    // A PUT or DELETE is done only when the server says so, inside a 207 too.
    void writeAnswers() {
        const std::tuple<int, QByteArray, QString> rows[] = {
            {207,
             "<multistatus xmlns='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'><response><href>"
             "/k/n-1.ics</href><status>HTTP/1.1 412 Precondition Failed</status><error>"
             "<C:no-uid-conflict/></error></response></multistatus>",
             "412 Precondition Failed (no-uid-conflict)"},
            {207,
             "<multistatus xmlns='DAV:'><response><href>/k/n-1.ics</href><status>HTTP/1.1 201 "
             "Created</status></response></multistatus>",
             "done"},
            {207, "<html/>", "207 kein WebDAV-Multistatus"},
            {409,
             "<D:error xmlns:D='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'><C:no-uid-conflict>"
             "<D:href>/k/x.ics</D:href></C:no-uid-conflict></D:error>",
             "409 Conflict (no-uid-conflict)"}};
        for (const auto& [status, body, outcome] : rows) {
            DavResponse r;
            r.status = status;
            r.reason = status == 409 ? "Conflict" : "Multi-Status";
            r.body = body;
            const WriteAnswer a = judgeWrite(r);
            QCOMPARE(a.done ? QStringLiteral("done") : describeRefusal(a), outcome);
        }
    }

    // The answer to PROPFIND /a: `how` is "big", "endless" (a big body without a length) or
    // the Location of a redirect (PORT: the server's); /b/ answers. `message`: what the user
    // reads; `answers`: whole answers received, redirects included.
    void answers() {
        auto row = [](const char* name, int code, QString how, DavFailure failure,
                      const QString& message, const QStringList& requests, int answers) {
            ScriptedHttp server;
            const bool big = how == u"big" || how == u"endless";
            ScriptedHttp::Answer a{
                code, {}, big ? QByteArray(1536 * 1024, 'x') : "", false, how == u"endless"};
            if (!big && !how.isEmpty())
                a.headers = "Location: " +
                            how.replace("PORT", QString::number(server.url("/").port())).toUtf8() +
                            "\r\n";
            server.on("PROPFIND", "/a", a);
            server.on("PROPFIND", "/b/", {207, {}, "<multistatus xmlns='DAV:'/>", false, false});
            DavClient client;
            client.setTimeout(500);
            client.setMaxResponseBytes(1024 * 1024);
            client.setCredentials("anna", "geheim");
            DavResponse r;
            client.send("PROPFIND", server.url("/a"), "<propfind xmlns='DAV:'/>", {{"Depth", "0"}},
                        [&](const DavResponse& answer) { r = answer; });
            QVERIFY2(
                QTest::qWaitFor([&] { return r.failure != DavFailure::None || r.status; }, 10000),
                name);
            const QString said = describeFailure(r, client.timeout(), client.maxResponseBytes());
            QVERIFY2(r.failure == failure && said.contains(message),
                     qPrintable(name + (": " + said)));
            QCOMPARE(server.requests(), requests);
            // Nothing counts as received that was not a whole answer.
            QCOMPARE(client.requestCount(), answers);
        };
        const QStringList once{"PROPFIND /a"};
        const QString tooLarge =
            "Die Antwort des Servers 127.0.0.1 ist größer als 1 MB; sie wurde abgebrochen.";
        row("announced too large", 207, "big", DavFailure::TooLarge, tooLarge, once, 0);
        row("too large without a length", 207, "endless", DavFailure::TooLarge, tooLarge, once, 0);
        row("redirect to another port", 301, "http://127.0.0.1:9/a", DavFailure::ForeignRedirect,
            "Der Server 127.0.0.1 leitet zu einer anderen Adresse um (http://127.0.0.1:9/a); "
            "dem wird nicht gefolgt.",
            once, 1);
        row("redirect to another host name", 302, "http://localhost:PORT/b/",
            DavFailure::ForeignRedirect, "leitet zu einer anderen Adresse um", once, 1);
        row("redirect loop", 307, "/a", DavFailure::TooManyRedirects,
            "Der Server 127.0.0.1 leitet zu oft um", QStringList(6, "PROPFIND /a"), 6);
        row("redirect within the host keeps the method", 301, "/b/", DavFailure::None, "",
            {"PROPFIND /a", "PROPFIND /b/"}, 2);
        row("other status", 500, "", DavFailure::None,
            "Der Server 127.0.0.1 antwortet auf /a mit dem Status 500 Scripted.", once, 1);
    }
};

QTEST_GUILESS_MAIN(TestDavPlan)
#include "test_davplan.moc"
