#include "table/textnumber.h"

#include <QtTest>

#include <limits>

using namespace natalix;

namespace {
constexpr double dmax = std::numeric_limits<double>::max();
constexpr int imax = std::numeric_limits<int>::max();
constexpr int imin = std::numeric_limits<int>::min();
} // namespace

class TestTextNumber : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("whole"); // leadingWholeNumber: the floor, clamped to int
        auto row = [](const QString& text, double value, bool found, int whole) {
            QTest::addRow("%s", qPrintable(text.left(12))) << text << value << found << whole;
        };
        row("19 65", 1965, true, 1965); // blanks anywhere are skipped
        row(" 1971 ", 1971, true, 1971);
        row("1965.7abc", 1965.7, true, 1965);
        row("abc", 0, false, 0);
        row("-", 0, false, 0);
        row("+7", 7, true, 7);
        row("-.5", -0.5, true, -1);
        row("-3.5", -3.5, true, -4);
        row("1.2.3", 1.2, true, 1);
        row("25E-1", 2.5, true, 2);
        row("7e+x", 7, true, 7);
        row("e5", 0, false, 0);
        row("2,5", 2, true, 2);
        row("3\n4", 3, true, 3);
        row(QString(QChar(0x0663)), 0, false, 0); // only ASCII digits count
        row("1e-400", 0, true, 0);
        row("1e999", dmax, true, imax);
        row("1" + QString(400, u'0'), dmax, true, imax);
        row("-3000000000", -3e9, true, imin);
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, found);
        QFETCH(int, whole);
        bool wasFound = !found;
        QCOMPARE(natalix::leadingNumber(text, &wasFound), value);
        QCOMPARE(wasFound, found);
        QCOMPARE(natalix::leadingWholeNumber(text), whole);
    }

    void wholeNumberLine_data() {
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<QString>("line"); // a blank in place of a plus sign, and one after
        QTest::newRow("1971") << 1971LL << " 1971 ";
        QTest::newRow("0") << 0LL << " 0 ";
        QTest::newRow("-5") << -5LL << "-5 ";
        QTest::newRow("int min") << qlonglong(imin) << "-2147483648 ";
        QTest::newRow("int max") << qlonglong(imax) << " 2147483647 ";
        QTest::newRow("beyond int") << 10000000000LL << " 10000000000 ";
    }

    void wholeNumberLine() {
        QFETCH(qlonglong, value);
        QFETCH(QString, line);
        QCOMPARE(natalix::wholeNumberLine(value), line);
        QCOMPARE(natalix::signedNumber(value), line.chopped(1));
        // What the writer renders, the reader takes back.
        if (value >= imin && value <= imax)
            QCOMPARE(natalix::parseWholeNumberField(line), std::optional<int>(value));
    }

    void parseWholeNumberField_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<std::optional<int>>("value");
        QTest::newRow("+3") << "+3" << std::optional<int>(3);
        QTest::newRow("007") << "007" << std::optional<int>(7);
        for (const char* s : {"abc", "12a", "19.5", "", "   ", " - ", "19 71", "--5", "2147483648",
                              "-2147483649", "99999999999999999999", "\u0663"})
            QTest::addRow("refused '%s'", s) << QString::fromUtf8(s) << std::optional<int>();
    }

    void parseWholeNumberField() {
        QFETCH(QString, line);
        QFETCH(std::optional<int>, value);
        QCOMPARE(natalix::parseWholeNumberField(line), value);
        // The byte form reads the same lines the same way.
        QCOMPARE(natalix::parseWholeNumberField(QByteArrayView(line.toLatin1())), value);
    }
};

QTEST_GUILESS_MAIN(TestTextNumber)
#include "test_textnumber.moc"
