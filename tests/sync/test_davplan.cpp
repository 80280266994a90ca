#include "sync/calendarplan.h"
#include "sync/contactplan.h"
#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "sync/davsession.h"
#include "sync/davxml.h"
#include "sync/linkstore.h"

#include "contacts/contactimport.h"
#include "support/scriptedhttp.h"
#include "support/testsupport.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using natalix::test::makeRecord;
using natalix::test::multistatus;
using natalix::test::ScriptedHttp;

namespace {

// A multistatus as lines "href status key=text [elements] {hrefs}", in document order.
QString render(const Multistatus& m) {
    if (!m.ok)
        return QStringLiteral("error: ") + m.error;
    QStringList out;
    for (const DavResource& r : m.responses) {
        QStringList keys = r.props.keys();
        keys.sort();
        QString line = QStringLiteral("%1 %2").arg(r.href).arg(r.status);
        for (const QString& k : keys) {
            const DavProperty& p = r.props[k];
            line += QStringLiteral(" %1=%2").arg(k.section(u'|', -1), p.text.trimmed());
            if (!p.elements.isEmpty())
                line += u'[' + p.elements.join(u',') + u']';
            if (!p.hrefs.isEmpty())
                line += u'{' + p.hrefs.join(u',') + u'}';
        }
        out << line;
    }
    if (!m.syncToken.isEmpty())
        out << QStringLiteral("token ") + m.syncToken;
    return out.join(u'\n');
}

Record entry(int nummer, const QString& name, int jahr, int monat, int tag,
             std::array<int, 3> markers = {0, 0, 0}) {
    Record r = makeRecord(nummer, name, jahr, monat, tag);
    r.marker = markers;
    return r;
}

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
        reading.record = entry(0, name, jahr, monat, tag);
    c.reading = reading;
    return c;
}

RemoteContact gone(const QString& href) {
    RemoteContact c;
    c.href = href;
    c.removed = true;
    return c;
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

using Script = std::function<void(ScriptedHttp&)>;

DavResponse send(DavClient& client, const QUrl& url) {
    DavResponse out;
    bool done = false;
    client.send("PROPFIND", url, "<propfind xmlns='DAV:'/>", {{"Depth", "0"}},
                [&](const DavResponse& r) {
                    out = r;
                    done = true;
                });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return out;
}

ScriptedHttp::Answer answer(int status, const QByteArray& body = {},
                            const QByteArray& headers = {}) {
    ScriptedHttp::Answer a;
    a.status = status;
    a.body = body;
    a.headers = headers;
    return a;
}

ScriptedHttp::Answer endless(const QByteArray& body) {
    ScriptedHttp::Answer a = answer(207, body);
    a.noLength = true;
    return a;
}

const QByteArray book =
    multistatus("/ab/", "<d:resourcetype><d:collection/><card:addressbook/></d:resourcetype>");

struct Rows {
    std::vector<StoredRow> rows;
};

} // namespace

Q_DECLARE_METATYPE(ContactLinks)
Q_DECLARE_METATYPE(Rows)
Q_DECLARE_METATYPE(AddressBookState)
Q_DECLARE_METATYPE(std::set<qint64>)
Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(DavFailure)

class TestDavPlan : public QObject {
    Q_OBJECT
private slots:
    void multistatus_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const QString listing = "/a/ 200 resourcetype=[DAV:|collection,"
                                "urn:ietf:params:xml:ns:carddav|addressbook]\n"
                                "/a/1.vcf 200 getetag=\"e1\"";
        QTest::newRow("prefixes d and card")
            << QByteArray("<?xml version='1.0'?><d:multistatus xmlns:d='DAV:' "
                          "xmlns:card='urn:ietf:params:xml:ns:carddav'><d:response><d:href>/a/"
                          "</d:href><d:propstat><d:prop><d:resourcetype><d:collection/>"
                          "<card:addressbook/></d:resourcetype></d:prop><d:status>HTTP/1.1 200 "
                          "OK</d:status></d:propstat></d:response><d:response><d:href>/a/1.vcf"
                          "</d:href><d:propstat><d:prop><d:getetag>\"e1\"</d:getetag></d:prop>"
                          "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
                          "</d:multistatus>")
            << listing;
        QTest::newRow("404 propstat left out, principal href, sync token")
            << QByteArray("<D:multistatus xmlns:D='DAV:'><D:response><D:href>/</D:href>"
                          "<D:propstat><D:prop><D:current-user-principal><D:href>/anna/"
                          "</D:href></D:current-user-principal></D:prop><D:status>HTTP/1.1 200"
                          " OK</D:status></D:propstat><D:propstat><D:prop><D:displayname/>"
                          "</D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
                          "</D:response><D:sync-token>tok-7</D:sync-token></D:multistatus>")
            << "/ 200 current-user-principal=/anna/[DAV:|href]{/anna/}\ntoken tok-7";
        QTest::newRow("member gone in a delta")
            << QByteArray("<d:multistatus xmlns:d='DAV:'><d:response><d:href>/a/2.vcf</d:href>"
                          "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
                          "</d:multistatus>")
            << "/a/2.vcf 404";
        QTest::newRow("address data with entities")
            << QByteArray("<d:multistatus xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:"
                          "carddav'><d:response><d:href>/a/1.vcf</d:href><d:propstat><d:prop>"
                          "<c:address-data>BEGIN:VCARD&#13;\nFN:A &amp; B&#13;\n"
                          "END:VCARD</c:address-data></d:prop><d:status>HTTP/1.1 200 OK"
                          "</d:status></d:propstat></d:response></d:multistatus>")
            << "/a/1.vcf 200 address-data=BEGIN:VCARD\r\nFN:A & B\r\nEND:VCARD";
        QTest::newRow("empty, the root closed at once")
            << QByteArray(
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<multistatus xmlns=\"DAV:\"/>")
            << "";
        QTest::newRow("cut off")
            << QByteArray("<d:multistatus xmlns:d='DAV:'><d:response><d:href>/a/")
            << "error: kein wohlgeformtes XML (Premature end of document., Zeile 1)";
        QTest::newRow("html page")
            << QByteArray("<html><body>Login</body></html>") << "error: kein WebDAV-Multistatus";
    }

    void multistatus() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QCOMPARE(render(parseMultistatus(body)), expected);
    }

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

    void contactPlan_data() {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<ContactLinks>("links");
        QTest::addColumn<std::set<qint64>>("elsewhere");
        QTest::addColumn<AddressBookState>("state");
        QTest::addColumn<QString>("expected");
        const Rows list{{{11, entry(1, "Anna Beispiel", 1980, 3, 7, {2025, 2025, 0})},
                         {12, entry(4, "Bernd Brot", 1975, 6, 1)},
                         {13, entry(9, "Carla Cello", 0, 12, 24)}}};
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
        // `complete`: the whole listing, else the changes since the last token.
        auto row = [&](const char* name, const ContactLinks& links, bool complete,
                       const Contacts& contacts, const char* expected,
                       const std::set<qint64>& elsewhere = {}) {
            AddressBookState state;
            state.complete = complete;
            state.contacts = contacts;
            QTest::newRow(name) << list << links << elsewhere << state << QString(expected);
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
        row("the same person twice in the address book", {}, false,
            {remote("/a/5.vcf", "e5", "Emil Eis", 2001, 1, 2),
             remote("/a/6.vcf", "e6", "Emil Eis", 0, 1, 2)},
            "add 10 Emil Eis 2001-1-2\nlink /a/5.vcf e5 add0\nlink /a/6.vcf e6 0\n"
            "linked 0 skipped 1");
        row("empty address book: the user's own records stay", {{"/a/3.vcf", {"u3", "e3", 0}}},
            true, {}, "unlink /a/3.vcf\nlinked 0 skipped 0");
    }

    void contactPlan() {
        QFETCH(Rows, rows);
        QFETCH(ContactLinks, links);
        QFETCH(std::set<qint64>, elsewhere);
        QFETCH(AddressBookState, state);
        QFETCH(QString, expected);
        QCOMPARE(render(planContactSync(links, rows.rows, elsewhere, state, isSameBirthday)),
                 expected);
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

    // An answer of the calendar's members to a request whose own answer never came.
    void pendingRequests_data() {
        QTest::addColumn<int>("action"); // 0 PUT, 1 DELETE
        QTest::addColumn<QString>("published");
        QTest::addColumn<QString>("server"); // "-": not on the server
        QTest::addColumn<int>("fate");
        const auto notArrived = PendingFate::NotArrived, done = PendingFate::Done,
                   verify = PendingFate::Verify;
        const std::tuple<const char*, int, const char*, const char*, PendingFate> rows[] = {
            {"new event, not there", 0, "", "-", notArrived},
            {"new event, there", 0, "", "\"e\"", verify},
            {"update, ETag as published", 0, "\"e\"", "\"e\"", notArrived},
            {"update, ETag changed", 0, "\"e\"", "\"f\"", verify},
            {"update, gone", 0, "\"e\"", "-", notArrived},
            {"delete, gone", 1, "\"e\"", "-", done},
            {"delete, still there", 1, "\"e\"", "\"e\"", notArrived}};
        for (const auto& [name, action, published, server, fate] : rows)
            QTest::newRow(name) << action << QString(published) << QString(server) << int(fate);
    }

    void pendingRequests() {
        QFETCH(int, action);
        QFETCH(QString, published);
        QFETCH(QString, server);
        QFETCH(int, fate);
        const PendingEvent pending{
            "n-1", action ? PendingEvent::Action::Delete : PendingEvent::Action::Put, "d"};
        const PublishedEvent p{"n-1", published, "d0"};
        QCOMPARE(int(settlePending(pending, published.isEmpty() ? nullptr : &p,
                                   server == u"-" ? nullptr : &server)),
                 fate);
    }

    void eventUids_data() {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<QString>("uid");
        QTest::newRow("plain") << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:natalix-"
                                             "12\r\nEND:VEVENT\r\n")
                               << "natalix-12";
        QTest::newRow("folded, with a parameter, LF only")
            << QByteArray("BEGIN:VEVENT\nuid;X-A=b:natalix\n -7\nEND:VEVENT\n") << "natalix-7";
        QTest::newRow("UID-like property is no UID")
            << QByteArray("BEGIN:VEVENT\nUIDX:a\nEND:VEVENT\n") << "";
    }

    void eventUids() {
        QFETCH(QByteArray, ics);
        QFETCH(QString, uid);
        QCOMPARE(calendarObjectUid(ics), uid);
    }

    // Every linked record, or more than half of at least five, waits for the user's word.
    void removalGuard_data() {
        QTest::addColumn<int>("removals");
        QTest::addColumn<int>("linked");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("none") << 0 << 0 << false;
        QTest::newRow("the only one") << 1 << 1 << true;
        QTest::newRow("all of four") << 4 << 4 << true;
        QTest::newRow("three of four") << 3 << 4 << false;
        QTest::newRow("half of six") << 3 << 6 << false;
        QTest::newRow("four of six") << 4 << 6 << true;
        QTest::newRow("three of five") << 3 << 5 << true;
        QTest::newRow("two of five") << 2 << 5 << false;
    }

    void removalGuard() {
        QFETCH(int, removals);
        QFETCH(int, linked);
        QFETCH(bool, confirm);
        QCOMPARE(removalsNeedConfirmation(removals, linked), confirm);
    }

    // A PUT or DELETE is done only when the server says so, inside a 207 too.
    void writeAnswers_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("created") << 201 << QByteArray() << "done";
        QTest::newRow("412 inside a 207")
            << 207
            << QByteArray("<multistatus xmlns='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'>"
                          "<response><href>/k/n-1.ics</href><status>HTTP/1.1 412 Precondition "
                          "Failed</status><error><C:no-uid-conflict/></error></response>"
                          "</multistatus>")
            << "412 Precondition Failed (no-uid-conflict)";
        QTest::newRow("207 of successes")
            << 207
            << QByteArray("<multistatus xmlns='DAV:'><response><href>/k/n-1.ics</href><status>"
                          "HTTP/1.1 201 Created</status></response></multistatus>")
            << "done";
        QTest::newRow("207 that is no multistatus")
            << 207 << QByteArray("<html/>") << "207 kein WebDAV-Multistatus";
        QTest::newRow("409 with a precondition")
            << 409
            << QByteArray("<D:error xmlns:D='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'>"
                          "<C:no-uid-conflict><D:href>/k/x.ics</D:href></C:no-uid-conflict>"
                          "</D:error>")
            << "409 Conflict (no-uid-conflict)";
    }

    void writeAnswers() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        DavResponse r;
        r.status = status;
        r.reason = status == 409 ? "Conflict" : status == 201 ? "Created" : "Multi-Status";
        r.body = body;
        const WriteAnswer a = judgeWrite(r);
        QCOMPARE(a.done ? QStringLiteral("done") : describeRefusal(a), outcome);
    }

    void resourceNames_data() {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "natalix-12"
                               << "natalix-12.ics";
        QTest::newRow("slash and blank") << "a/b c"
                                         << "a%2Fb%20c.ics";
        QTest::newRow("at sign kept") << "x@natalix"
                                      << "x@natalix.ics";
    }

    void resourceNames() {
        QFETCH(QString, uid);
        QFETCH(QString, name);
        QCOMPARE(eventResourceName(uid), name);
    }

    // The answer to PROPFIND /a: `how` is "big", "endless" (a big body without a length) or
    // the Location of a redirect (PORT: the server's); /b/ is an address book.
    void answers_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("how");
        QTest::addColumn<DavFailure>("failure");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // what the user reads
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("answers"); // whole answers received, redirects included
        auto row = [](const char* name, int code, const char* how, DavFailure failure, int status,
                      const QString& message, const QStringList& requests, int answers) {
            QTest::newRow(name) << code << QString(how) << failure << status << message << requests
                                << answers;
        };
        const QStringList once{"PROPFIND /a"};
        const QString tooLarge =
            "Die Antwort des Servers 127.0.0.1 ist größer als 1 MB; sie wurde abgebrochen.";
        row("announced too large", 207, "big", DavFailure::TooLarge, 0, tooLarge, once, 0);
        row("too large without a length", 207, "endless", DavFailure::TooLarge, 0, tooLarge, once,
            0);
        row("redirect to another port", 301, "http://127.0.0.1:9/a", DavFailure::ForeignRedirect, 0,
            "Der Server 127.0.0.1 leitet zu einer anderen Adresse um (http://127.0.0.1:9/a); "
            "dem wird nicht gefolgt.",
            once, 1);
        row("redirect to another host name", 302, "http://localhost:PORT/b/",
            DavFailure::ForeignRedirect, 0, "leitet zu einer anderen Adresse um", once, 1);
        row("redirect loop", 307, "/a", DavFailure::TooManyRedirects, 0,
            "Der Server 127.0.0.1 leitet zu oft um", QStringList(6, "PROPFIND /a"), 6);
        row("redirect within the host keeps the method", 301, "/b/", DavFailure::None, 207, "",
            {"PROPFIND /a", "PROPFIND /b/"}, 2);
        row("other status", 500, "", DavFailure::None, 500,
            "Der Server 127.0.0.1 antwortet auf /a mit dem Status 500 Scripted.", once, 1);
    }

    void answers() {
        QFETCH(int, code);
        QFETCH(QString, how);
        QFETCH(DavFailure, failure);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(QStringList, requests);
        QFETCH(int, answers);
        ScriptedHttp server;
        const QByteArray big(1536 * 1024, 'x');
        const QByteArray location =
            how.replace("PORT", QString::number(server.url("/").port())).toUtf8();
        server.on("PROPFIND", "/a",
                  how == u"big"       ? answer(code, big)
                  : how == u"endless" ? endless(big)
                  : how.isEmpty()     ? answer(code)
                                      : answer(code, {}, "Location: " + location + "\r\n"));
        server.on("PROPFIND", "/b/", answer(207, book));
        DavClient client;
        client.setTimeout(500);
        client.setMaxResponseBytes(1024 * 1024);
        client.setCredentials("anna", "geheim");
        const DavResponse r = send(client, server.url("/a"));
        QCOMPARE(r.failure, failure);
        QCOMPARE(r.status, status);
        const QString said = describeFailure(r, client.timeout(), client.maxResponseBytes());
        QVERIFY2(said.contains(message), qPrintable(said));
        QCOMPARE(server.requests(), requests);
        // Nothing counts as received that was not a whole answer.
        QCOMPARE(client.requestCount(), answers);
    }

    void brokenServerLeavesTheList_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("message");
        const Script listing = [](ScriptedHttp& s) {
            s.on("PROPFIND", "/ab/", answer(207, book), "0");
            s.on("PROPFIND", "/ab/",
                 answer(207, test::multistatus("/ab/1.vcf", "<d:getetag>\"1\"</d:getetag>")), "1");
        };
        QTest::newRow("listing is no XML")
            << Script([](ScriptedHttp& s) {
                   s.on("PROPFIND", "/ab/", answer(207, book), "0");
                   s.on("PROPFIND", "/ab/", answer(207, "<d:multistatus xmlns:d="), "1");
               })
            << "Die Antwort des Servers 127.0.0.1 auf /ab/ ist unbrauchbar: kein wohlgeformtes "
               "XML";
        QTest::newRow("vCard that does not parse")
            << Script([listing](ScriptedHttp& s) {
                   listing(s);
                   s.on("REPORT", "/ab/",
                        answer(207, test::multistatus("/ab/1.vcf", "<d:getetag>\"1\"</d:getetag>"
                                                                   "<card:address-data>Hallo"
                                                                   "</card:address-data>")));
               })
            << "Der Kontakt http://127.0.0.1:%1/ab/1.vcf ist keine lesbare vCard: BEGIN:VCARD "
               "fehlt. Die Liste bleibt unverändert.";
        QTest::newRow("fetch answers 207 with an HTML page") << Script([listing](ScriptedHttp& s) {
            listing(s);
            s.on("REPORT", "/ab/", answer(207, "<html>Fehler</html>"));
        }) << "ist unbrauchbar: kein WebDAV-Multistatus. Die Liste bleibt unverändert.";
    }

    void brokenServerLeavesTheList() {
        QFETCH(Script, script);
        QFETCH(QString, message);
        ScriptedHttp server;
        script(server);
        natalix::test::TempDataDir dir;
        auto store = TableStore::open(dir.file("Geburtstage.db"),
                                      natalix::test::makeRecord(1, "Anna", 1980, 3, 7), nullptr);
        QVERIFY(store);
        const std::vector<StoredRow> before = store->loadAll();
        const ContactSyncOutcome outcome = natalix::test::syncContacts(*store, server.url("/ab/"));
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.message.contains(
                     QString(message).replace("%1", QString::number(server.url("/").port()))),
                 qPrintable(outcome.message));
        const std::vector<StoredRow> after = store->loadAll();
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.front().record, before.front().record);
        DavLinkStore links(*store);
        ContactLinks stored;
        QVERIFY(links.contactLinks(outcome.book.toString(), &stored));
        QVERIFY(stored.empty());
    }
};

QTEST_GUILESS_MAIN(TestDavPlan)
#include "test_davplan.moc"
