#include "table/textnumber.h"

#include <QtTest>

#include <limits>

using namespace natalix;

class TestTextNumber : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void leadingWholeNumber_data();
    void leadingWholeNumber();
    void wholeNumberLine_data();
    void wholeNumberLine();
    void parseWholeNumberField_data();
    void parseWholeNumberField();
};

void TestTextNumber::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("found");

    QTest::newRow("blank inside the digits") << "19 65" << 1965.0 << true;
    QTest::newRow("decimal point") << "1965.7" << 1965.7 << true;
    QTest::newRow("letters end the number") << "1965abc" << 1965.0 << true;
    QTest::newRow("no number") << "abc" << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("only blanks") << "   " << 0.0 << false;
    QTest::newRow("negative") << "-5" << -5.0 << true;
    QTest::newRow("plus sign") << "+7" << 7.0 << true;
    QTest::newRow("sign alone") << "-" << 0.0 << false;
    QTest::newRow("leading blanks") << "  12" << 12.0 << true;
    QTest::newRow("tab skipped") << "\t8" << 8.0 << true;
    QTest::newRow("blanks around, as written") << " 1971 " << 1971.0 << true;
    QTest::newRow("point first") << ".5" << 0.5 << true;
    QTest::newRow("second point ends") << "1.2.3" << 1.2 << true;
    QTest::newRow("second sign ends") << "1-2" << 1.0 << true;
    QTest::newRow("exponent") << "1e3" << 1000.0 << true;
    QTest::newRow("negative exponent") << "25E-1" << 2.5 << true;
    QTest::newRow("exponent without digits") << "7e" << 7.0 << true;
    QTest::newRow("exponent sign without digits") << "7e+x" << 7.0 << true;
    QTest::newRow("exponent needs a mantissa") << "e5" << 0.0 << false;
    QTest::newRow("comma is no decimal point") << "2,5" << 2.0 << true;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << 0.0 << false;
    QTest::newRow("line feed ends") << "3\n4" << 3.0 << true;
    QTest::newRow("too large saturates") << "1e999" << std::numeric_limits<double>::max() << true;
    QTest::newRow("point without decimals") << "1965." << 1965.0 << true;
    QTest::newRow("sign and point first") << "-.5" << -0.5 << true;
    QTest::newRow("point before exponent") << "5.e2" << 500.0 << true;
    QTest::newRow("many decimals") << "0." + QString(400, u'0') + "1" << 0.0 << true;
    QTest::newRow("many digits") << "1" + QString(400, u'0') << std::numeric_limits<double>::max()
                                 << true;
    QTest::newRow("underflow is zero") << "1e-400" << 0.0 << true;
    QTest::newRow("negative underflow is zero") << "-1e-400" << 0.0 << true;
    QTest::newRow("too small saturates") << "-1e999" << -std::numeric_limits<double>::max() << true;
}

void TestTextNumber::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, found);
    bool wasFound = !found;
    QCOMPARE(natalix::leadingNumber(text, &wasFound), value);
    QCOMPARE(wasFound, found);
    QCOMPARE(natalix::leadingNumber(text), value);
}

void TestTextNumber::leadingWholeNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("blank inside") << "19 65" << 1965;
    QTest::newRow("fraction dropped") << "1965.7" << 1965;
    QTest::newRow("trailing letters") << "1965abc" << 1965;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("leading blanks") << "  12" << 12;
    QTest::newRow("floor of 2.7") << "2.7" << 2;
    QTest::newRow("whole negative") << "-3" << -3;
    QTest::newRow("floor of -3.5") << "-3.5" << -4;
    QTest::newRow("floor of -0.5") << "-0.5" << -1;
    QTest::newRow("int max") << "2147483647" << std::numeric_limits<int>::max();
    QTest::newRow("above int range") << "3000000000" << std::numeric_limits<int>::max();
    QTest::newRow("below int range") << "-3000000000" << std::numeric_limits<int>::min();
    QTest::newRow("overflowing double") << "1e999" << std::numeric_limits<int>::max();
}

void TestTextNumber::leadingWholeNumber() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(natalix::leadingWholeNumber(text), value);
}

void TestTextNumber::wholeNumberLine_data() {
    QTest::addColumn<qlonglong>("value");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("signedText");

    QTest::newRow("25") << 25LL << " 25 "
                        << " 25";
    QTest::newRow("1971") << 1971LL << " 1971 "
                          << " 1971";
    QTest::newRow("zero") << 0LL << " 0 "
                          << " 0";
    QTest::newRow("negative") << -5LL << "-5 "
                              << "-5";
    QTest::newRow("int min") << -2147483648LL << "-2147483648 "
                             << "-2147483648";
    QTest::newRow("beyond int") << 10000000000LL << " 10000000000 "
                                << " 10000000000";
}

void TestTextNumber::wholeNumberLine() {
    QFETCH(qlonglong, value);
    QFETCH(QString, line);
    QFETCH(QString, signedText);
    QCOMPARE(natalix::wholeNumberLine(value), line);
    QCOMPARE(natalix::signedNumber(value), signedText);
    // What the writer renders, the field reader takes back.
    if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
        QCOMPARE(natalix::parseWholeNumberField(line), std::optional<int>(int(value)));
}

void TestTextNumber::parseWholeNumberField_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("as written") << " 1971 " << true << 1971;
    QTest::newRow("bare digits") << "7" << true << 7;
    QTest::newRow("negative") << "-5 " << true << -5;
    QTest::newRow("plus sign") << "+3" << true << 3;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << std::numeric_limits<int>::min();
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("digits then letters") << "12a" << false << 0;
    QTest::newRow("fraction") << "19.5" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks") << "   " << false << 0;
    QTest::newRow("sign alone") << " - " << false << 0;
    QTest::newRow("blank inside") << "19 71" << false << 0;
    QTest::newRow("two signs") << "--5" << false << 0;
    QTest::newRow("above int range") << "2147483648" << false << 0;
    QTest::newRow("below int range") << "-2147483649" << false << 0;
    QTest::newRow("overflow") << "99999999999999999999" << false << 0;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << false << 0;
}

void TestTextNumber::parseWholeNumberField() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const std::optional<int> parsed = natalix::parseWholeNumberField(line);
    QCOMPARE(parsed.has_value(), ok);
    if (ok)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestTextNumber)
#include "test_textnumber.moc"
