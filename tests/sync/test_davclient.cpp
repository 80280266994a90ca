#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "sync/linkstore.h"

#include "support/scriptedhttp.h"
#include "support/testsupport.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using natalix::test::multistatus;
using natalix::test::ScriptedHttp;

namespace {

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

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(DavFailure)

class TestDavClient : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<DavFailure>("failure");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // what the user reads
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("answers"); // whole answers received, redirects included
        const QStringList once{"PROPFIND /a"};
        const QString big(1536 * 1024, u'x');
        QTest::newRow("announced too large")
            << Script(
                   [big](ScriptedHttp& s) { s.on("PROPFIND", "/a", answer(207, big.toLatin1())); })
            << DavFailure::TooLarge << 0
            << "Die Antwort des Servers 127.0.0.1 ist größer als 1 MB; sie wurde abgebrochen."
            << once << 0;
        QTest::newRow("too large without a length")
            << Script([big](ScriptedHttp& s) { s.on("PROPFIND", "/a", endless(big.toLatin1())); })
            << DavFailure::TooLarge << 0
            << "Die Antwort des Servers 127.0.0.1 ist größer als 1 MB; sie wurde abgebrochen."
            << once << 0;
        QTest::newRow("redirect to another port")
            << Script([](ScriptedHttp& s) {
                   s.on("PROPFIND", "/a", answer(301, {}, "Location: http://127.0.0.1:9/a\r\n"));
               })
            << DavFailure::ForeignRedirect << 0
            << "Der Server 127.0.0.1 leitet zu einer anderen Adresse um (http://127.0.0.1:9/a); "
               "dem wird nicht gefolgt."
            << once << 1;
        QTest::newRow("redirect to another host name") << Script([](ScriptedHttp& s) {
            s.on("PROPFIND", "/a",
                 answer(302, {},
                        "Location: " + s.url("/b").toEncoded().replace("127.0.0.1", "localhost") +
                            "\r\n"));
        }) << DavFailure::ForeignRedirect << 0 << "leitet zu einer anderen Adresse um"
                                                       << once << 1;
        QTest::newRow("redirect loop") << Script([](ScriptedHttp& s) {
            s.on("PROPFIND", "/a", answer(307, {}, "Location: /a\r\n"));
        }) << DavFailure::TooManyRedirects
                                       << 0 << "Der Server 127.0.0.1 leitet zu oft um"
                                       << QStringList(6, "PROPFIND /a") << 6;
        QTest::newRow("redirect within the host keeps the method") << Script([](ScriptedHttp& s) {
            s.on("PROPFIND", "/a", answer(301, {}, "Location: /b/\r\n"));
            s.on("PROPFIND", "/b/", answer(207, book));
        }) << DavFailure::None << 207 << "" << QStringList{"PROPFIND /a", "PROPFIND /b/"}
                                                                   << 2;
        QTest::newRow("other status")
            << Script([](ScriptedHttp& s) { s.on("PROPFIND", "/a", answer(500)); })
            << DavFailure::None << 500
            << "Der Server 127.0.0.1 antwortet auf /a mit dem Status 500 Scripted." << once << 1;
    }

    void answers() {
        QFETCH(int, answers);
        QFETCH(Script, script);
        QFETCH(DavFailure, failure);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(QStringList, requests);
        ScriptedHttp server;
        script(server);
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
                 answer(207, multistatus("/ab/1.vcf", "<d:getetag>\"1\"</d:getetag>")), "1");
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
                        answer(207, multistatus("/ab/1.vcf", "<d:getetag>\"1\"</d:getetag>"
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

QTEST_GUILESS_MAIN(TestDavClient)
#include "test_davclient.moc"
