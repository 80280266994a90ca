// Numbers read from typed text, the record check, the correction of a date box that loses
// the focus, and the sort orders.
#include "table/entryrules.h"
#include "table/recordcheck.h"
#include "table/sortexpression.h"
#include "table/textnumber.h"

#include <QtTest>

#include <limits>

using namespace natalix;

namespace {
constexpr double dmax = std::numeric_limits<double>::max();
constexpr int imax = std::numeric_limits<int>::max();
constexpr int imin = std::numeric_limits<int>::min();
} // namespace

class TestRecordCheck : public QObject {
    Q_OBJECT
private slots:
    // Typed name|Jahr|Monat|Tag, and what the check makes of it.
    void checkedFields() {
        const QString x39(39, u'x');
        const std::pair<QString, QString> rows[] = {
            {"Anna|20255|3|7", "Anna|2025|3|7"}, // five digits cut, not pulled
            {"Anna|1879|3|7", "Anna|1880|3|7"},
            {"Anna|2100|3|7", "Anna|2099|3|7"},
            {"Anna|-12345|3|7", "Anna|1880|3|7"},
            {"Anna|abc|x|", "Anna|0|1|1"}, // no numbers: the year unknown
            {"Anna||3|7", "Anna|0|3|7"},
            {"Anna|0.7|3|7", "Anna|0|3|7"},
            {"Anna|1980|13|45", "Anna|1980|12|31"},
            {"Anna|1980|123|100", "Anna|1980|12|10"}, // three digits cut
            {"Anna||2|31", "Anna|0|2|29"},
            {"Anna|1999|2|30", "Anna|1999|2|28"},
            {"Anna|1900|2|29", "Anna|1900|2|28"},
            {"Anna|1904|2|29", "Anna|1904|2|29"},
            {"Anna|1980|4|31", "Anna|1980|4|30"},
            {"Anna|1980|6|31", "Anna|1980|6|30"},
            {"Anna|1980|9|31", "Anna|1980|9|30"},
            {"Anna|1980|11|31", "Anna|1980|11|30"},
            {"  Anna Berg  |1980|1|1", "Anna Berg|1980|1|1"},
            {"   |1980|1|1", " |1980|1|1"},
            {x39 + "  y|1980|1|1", x39 + "|1980|1|1"}}; // cut at 40, then its blanks
        for (const auto& [typed, checked] : rows) {
            const QStringList t = typed.split(u'|');
            const CheckedFields c = natalix::checkedFields(t[0], t[1], t[2], t[3]);
            QCOMPARE(QStringList({c.name, QString::number(c.jahr), QString::number(c.monat),
                                  QString::number(c.tag)})
                         .join(u'|'),
                     checked);
        }
    }

    // Leaving a box pulls into range without cutting; February's 31 waits for the check.
    void leftDateBoxValue() {
        const std::tuple<Field, const char*, int> rows[] = {
            {Field::Jahr, "1965.8", 1965}, {Field::Jahr, "2100", 2099},
            {Field::Jahr, "19650", 2099},  {Field::Jahr, "1879", 1880},
            {Field::Jahr, "-5", 1880},     {Field::Jahr, "", 0},
            {Field::Jahr, "0.7", 0},       {Field::Monat, "0", 1},
            {Field::Monat, "12", 12},      {Field::Monat, "13", 12},
            {Field::Tag, "0", 1},          {Field::Tag, "31", 31},
            {Field::Tag, "45", 31}};
        for (const auto& [field, typed, value] : rows)
            QCOMPARE(natalix::leftDateBoxValue(field, QString::fromUtf8(typed)), value);
    }

    // Each sort button's expression and caption, both ways.
    void sortChoice() {
        const std::tuple<SortBy, const char*, const char*> rows[] = {
            {SortBy::Nummer, "Nummer ASC", "Nr."},
            {SortBy::Name, "Name ASC", "Namen"},
            {SortBy::Jahr, "Jahr ASC,Monat ASC,Tag ASC", "Jahr"},
            {SortBy::Monat, "Monat ASC,Tag ASC", "Monat"},
            {SortBy::Tag, "Tag ASC", "Tag"}};
        for (const auto& [key, ascending, by] : rows)
            for (const bool down : {false, true}) {
                const SortChoice c = natalix::sortChoice(key, down);
                const QString way = down ? u"absteigend"_qs : u"aufsteigend"_qs;
                QCOMPARE(c.expression,
                         QString(ascending).replace(u"ASC"_qs, down ? u"DESC"_qs : u"ASC"_qs));
                QCOMPARE(c.caption, u"Alle Datensätze - sortiert nach %1 - %2"_qs.arg(by, way));
                QVERIFY(parseSortExpression(c.expression));
            }
    }

    // The name box takes no 41st letter and no second blank, and never becomes empty.
    void nameKeyRule() {
        const QString forty(40, u'x');
        const std::tuple<QString, int, NameKey> rows[] = {
            // key 8: Backspace
            {forty, 'y', NameKey::Refused}, {forty.left(39), 'y', NameKey::Typed},
            {forty, 8, NameKey::Typed},     {" ", ' ', NameKey::Refused},
            {" ", 'a', NameKey::Typed},     {"A", ' ', NameKey::Typed},
            {"A", 8, NameKey::Blanked},     {"An", 8, NameKey::Typed}};
        for (const auto& [name, key, rule] : rows)
            QCOMPARE(int(natalix::nameKeyRule(name, key)), int(rule));
    }

    // Pasting: control characters go; the name transliterated and cut at 40 (the piece's end).
    void paste() {
        const QString n35(35, u'n');
        // text, start, length replaced, clipboard, into the name; the text and cursor after
        const std::tuple<QString, int, int, QString, bool, QString, int> rows[] = {
            {"X", 1, 0, "Anna\r\nBerg", true, "XAnnaBerg", 9},
            {"", 0, 0, "A B\t", true, "A B", 3},
            {n35, 0, 0, "123456789", true, "12345" + n35, 5},
            {"Anna Berg", 4, 5, "-Bo", true, "Anna-Bo", 7},
            {"Zo", 2, 0, u"ë Dvořák"_qs, true, u"Zoë Dvorák"_qs, 10},
            {"19", 2, 0, u"71ř\n"_qs + n35, false, u"1971ř"_qs + n35, 40}};
        for (const auto& [text, start, length, clip, name, after, cursor] : rows) {
            const FieldEdit e = replaceInField(text, start, length, pastedText(clip, name), name);
            QCOMPARE(std::pair(e.text, e.cursor), std::pair(after, cursor));
        }
    }

    // "Suchen": folded as sorting folds names (ü = u, not ue; ß = ss), after the current row
    // and wrapping, the current one last.
    void nextRowWithName() {
        const QStringList names{"Anna Beispiel", "MÜLLER Hans", "Jörg Straße",
                                "Muller Eva",    "Mueller Max", "Dora"};
        const std::tuple<QString, int, int> rows[] = {{"müller", 0, 1},  {"müller", 3, 1},
                                                      {"STRASSE", 0, 2}, {"dora", 5, 5},
                                                      {"anna", -2, 0},   {"Zora", 2, -1}};
        for (const auto& [text, after, row] : rows)
            QCOMPARE(natalix::nextRowWithName(names, text, after), row);
    }

    // "Wochentag ausgeben" for a 7 March: a record without a name is told by its number.
    void weekdayText() {
        const QString nameless = "Das Geburtstags-Kind aus Datensatz 7 ist an einem ";
        const std::tuple<QString, int, QString> rows[] = {
            {"Erich", 1880, "Erich ist an einem Sonntag geboren."},
            {" ", 1880, nameless + "Sonntag geboren."},
            {"", 1881, nameless + "Montag geboren."},
            {"Paula", 0,
             "Paula ist ohne Geburtsjahr eingetragen. Den Wochentag der Geburt kann Natalix nur "
             "mit dem Jahr bestimmen; bitte tragen Sie es ein."}};
        for (const auto& [name, jahr, text] : rows)
            QCOMPARE(natalix::weekdayText(name, 7, jahr, 3, 7), text);
    }

    // A new record: one above the highest number, gaps or not; none where no number is left.
    void newRecordNumber() {
        QVERIFY(takesAnotherRecord(998) && !takesAnotherRecord(999));
        QCOMPARE(natalix::newRecordNumber({3, 9, 4}), std::optional(10));
        QCOMPARE(natalix::newRecordNumber({}), std::optional(1));
        QCOMPARE(natalix::newRecordNumber({imin, imax}), std::optional<int>());
    }

    // The number a text begins with, whether there is one, and leadingWholeNumber's floor,
    // clamped to int.
    void leadingNumber() {
        const std::tuple<QString, double, bool, int> rows[] = {
            {"19 65", 1965, true, 1965}, // blanks anywhere are skipped
            {"1965.7abc", 1965.7, true, 1965},
            {"abc", 0, false, 0},
            {"-.5", -0.5, true, -1},
            {"25E-1", 2.5, true, 2},
            {"7e+x", 7, true, 7},
            {"e5", 0, false, 0},
            {"2,5", 2, true, 2},
            {QString(QChar(0x0663)), 0, false, 0}, // only ASCII digits count
            {"1e-400", 0, true, 0},
            {"1e999", dmax, true, imax},
            {"-3000000000", -3e9, true, imin}};
        for (const auto& [text, value, found, whole] : rows) {
            bool wasFound = !found;
            QCOMPARE(natalix::leadingNumber(text, &wasFound), value);
            QCOMPARE(wasFound, found);
            QCOMPARE(natalix::leadingWholeNumber(text), whole);
        }
    }

    // A blank in place of a plus sign, and one after; what the writer renders, the reader
    // takes back. The text and the byte form read the same lines the same way.
    void wholeNumbers() {
        const std::pair<long long, const char*> lines[] = {{1971, " 1971 "},
                                                           {0, " 0 "},
                                                           {-5, "-5 "},
                                                           {imin, "-2147483648 "},
                                                           {imax, " 2147483647 "},
                                                           {10000000000LL, " 10000000000 "}};
        for (const auto& [value, line] : lines) {
            QCOMPARE(natalix::wholeNumberLine(value), line);
            QCOMPARE(natalix::signedNumber(value), QString(line).chopped(1));
            if (value >= imin && value <= imax)
                QCOMPARE(natalix::parseWholeNumberField(QString(line)), std::optional<int>(value));
        }
        QCOMPARE(natalix::parseWholeNumberField(u"+3"), std::optional<int>(3));
        QCOMPARE(natalix::parseWholeNumberField(QByteArrayView("007")), std::optional<int>(7));
        for (const char* s : {"+3", "007", "abc", "12a", "19.5", "", "   ", " - ", "19 71", "--5",
                              "2147483648", "-2147483649", "99999999999999999999", "\u0663"}) {
            const auto value = natalix::parseWholeNumberField(QString::fromUtf8(s));
            QCOMPARE(value.has_value(), *s == '+' || *s == '0');
            QCOMPARE(natalix::parseWholeNumberField(QByteArrayView(s)), value);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordCheck)
#include "test_recordcheck.moc"
