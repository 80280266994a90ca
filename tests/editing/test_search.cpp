// "&Suchen..." (Ctrl+F) in the real main window.
#include "support/windowharness.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

std::vector<Record> people() {
    return {makeRecord(1, "Anna Beispiel", 1980, 3, 7), makeRecord(2, "MÜLLER Hans", 1990, 3, 8),
            makeRecord(3, "Bert", 2000, 2, 29),         makeRecord(4, "Muller Eva", 1970, 3, 20),
            makeRecord(5, "Mueller Max", 1975, 6, 30),  makeRecord(6, "Jörg Straße", 1960, 3, 6)};
}

bool goToNumber(WindowHarness& h, int nummer) {
    for (int row = 0; row < h.cursor().recordCount(); ++row)
        if (h.cursor().rowAt(row).nummer == nummer)
            return h.cursor().setAbsolutePosition(row + 1);
    return false;
}

void search(WindowHarness& h, const std::optional<QString>& text) {
    h.services.answerInput(text);
    h.window().mnuBearbeitensuchen->trigger();
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    // Names are folded as sorting folds them: case, ä = a, ö = o, ü = u, ß = ss.
    void findsTheNextName_data() {
        QTest::addColumn<bool>("byName"); // the grid ordered by name, else by number
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found"); // 0: none
        QTest::newRow("case and umlaut") << false << 1 << "müller" << 2;
        QTest::newRow("ü is u") << false << 2 << "müller" << 4;
        QTest::newRow("wraps; ü is not ue") << false << 4 << "müller" << 2;
        QTest::newRow("ß is ss") << false << 1 << "STRASSE" << 6;
        QTest::newRow("inside a name") << false << 1 << "rg st" << 6;
        QTest::newRow("the current one last") << false << 3 << "bert" << 3;
        QTest::newRow("the grid's order") << true << 1 << "mu" << 5;
        QTest::newRow("none") << false << 3 << "Zora" << 0;
    }
    void findsTheNextName() {
        QFETCH(bool, byName);
        QFETCH(int, from);
        QFETCH(QString, text);
        QFETCH(int, found);
        WindowHarness h(people());
        if (byName)
            h.window().cmdSortierennachnamen->click();
        QVERIFY(goToNumber(h, from));
        if (found == 0)
            h.services.answerMessage(answer::ok);
        search(h, text);
        QCOMPARE(h.cursor().currentRecord().nummer, found == 0 ? from : found);
        QCOMPARE(h.window().lblNummer->text(), QString::number(found == 0 ? from : found));
        if (found == 0) {
            QCOMPARE(h.services.messages.size(), 1);
            const MessageRequest& m = h.services.messages.front();
            QCOMPARE(m.text, QStringLiteral("Kein Name enthält „Zora“."));
            QCOMPARE(m.title, QStringLiteral("Suchen"));
            QCOMPARE(m.icon, Icon::Exclamation);
            QCOMPARE(m.buttons, Buttons::Ok);
        }
        QVERIFY(h.services.allAnswered());
    }

    // The record being edited is checked and stored before the search leaves it; the text
    // is offered again next time.
    void checksTheRecordFirst() {
        WindowHarness h(people());
        QVERIFY(goToNumber(h, 1));
        h.window().setNameText(QStringLiteral("  Anna  "));
        search(h, QStringLiteral("bert"));
        QCOMPARE(h.cursor().currentRecord().nummer, 3);
        QCOMPARE(h.storedRecords().front().name, QStringLiteral("Anna"));
        search(h, std::nullopt);
        QCOMPARE(h.services.inputRequests.size(), 2);
        const InputRequest& ask = h.services.inputRequests.back();
        QCOMPARE(ask.prompt, QStringLiteral("Gesuchter Name (oder ein Teil davon):"));
        QCOMPARE(ask.title, QStringLiteral("Suchen"));
        QCOMPARE(ask.text, QStringLiteral("bert"));
        QVERIFY(h.services.allAnswered());
    }

    // Ctrl+F from the name box; cancelled or empty, nothing happens, not even the check.
    void cancelledOrEmptyDoesNothing_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("cancelled") << std::optional<QString>();
        QTest::newRow("empty") << std::optional<QString>(QString());
    }
    void cancelledOrEmptyDoesNothing() {
        QFETCH(std::optional<QString>, answer);
        WindowHarness h(people());
        FrmMain& w = h.window();
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(goToNumber(h, 2));
        w.setNameText(QStringLiteral("  Hans  "));
        h.services.answerInput(answer);
        w.txtName->setFocus();
        QTest::keyClick(w.txtName, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(h.services.inputRequests.size(), 1);
        QCOMPARE(h.cursor().currentRecord().nummer, 2);
        QCOMPARE(h.cursor().currentRecord().name, QStringLiteral("  Hans  "));
        QCOMPARE(w.txtName->text(), QStringLiteral("  Hans  "));
        QVERIFY(h.services.messages.isEmpty());
        QVERIFY(h.services.allAnswered());
    }
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
