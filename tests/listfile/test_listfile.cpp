#include "listfile/cp1252.h"
#include "listfile/listfile.h"
#include "listfile/listfilequestions.h"
#include "listfile/transliterate.h"
#include "support/testsupport.h"

#include <QtTest>

#include <string_view>

using namespace natalix;
using namespace std::string_view_literals;
using natalix::test::makeRecord;

namespace {

using Lines = QList<QByteArray>;

// A list file from its lines, each ended by `end`.
QByteArray fileOf(const Lines& lines, const QByteArray& end = "\r\n") {
    return lines.join(end) + end;
}

// One record block with the default reminder lines.
Lines block(const QByteArray& nummer, const QByteArray& name, const QByteArray& jahr,
            const QByteArray& monat, const QByteArray& tag) {
    return Lines{nummer, name, jahr, monat, tag} +
           QByteArray("1 Woche vorher|1 Tag vorher|Am Tage des Geburtstages|1. Geburtstag|"
                      "j\xE4hrlich")
               .split('|');
}

// Nummer/Name/Jahr/Monat/Tag of every record, "; " between them.
QString summary(const Snapshot& records) {
    QStringList out;
    for (const Record& r : records)
        out << QString::number(r.nummer) + u'/' + r.name + u'/' + r.display(Field::Jahr) + u'/' +
                   r.display(Field::Monat) + u'/' + r.display(Field::Tag);
    return out.join(QStringLiteral("; "));
}

const QString noCountError = QStringLiteral(
    "Die Datei ist keine Geburtstagsliste: Ihre erste Zeile enthält keine Anzahl von Datensätzen.");
const QString noRecordError = QStringLiteral("Die Datei enthält keinen vollständigen Datensatz.");

} // namespace

class TestListFile : public QObject {
    Q_OBJECT
private slots:

    // The sample record 24 times and a record without a name behind the count line; markers
    // never reach the file.
    void listBytes() {
        Record r = sampleRecord({"1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages",
                                 "1. Geburtstag", "jährlich"});
        r.marker = {2024, 2025, 7};
        Snapshot list(24, r);
        list.push_back(makeRecord(2, QString(), 1971, 12, 22));
        const QByteArray bytes =
            " 25 \r\n" +
            fileOf(block(" 1 ", "Zellwig (der Programmierer)", " 1971 ", " 12 ", " 22 "))
                .repeated(24) +
            fileOf(block(" 2 ", " ", " 1971 ", " 12 ", " 22 ")); // written blank
        QCOMPARE(renderListFile(list), bytes);
        QCOMPARE(listFileSize(list), qint64(bytes.size()));
    }

    void reading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("declared");     // -1: refused
        QTest::addColumn<QString>("expected"); // summary(), or the error when refused

        const Lines canonical = Lines{" 2 "} + block(" 7 ", "Anna", " 1971 ", " 3 ", " 9 ") +
                                block(" 12 ", " ", " 2001 ", " 12 ", " 31 ");
        const QString two = QStringLiteral("7/Anna/1971/3/9; 12/ /2001/12/31");
        QTest::newRow("written with blanks") << fileOf(canonical) << 2 << two;
        QTest::newRow("CR and CR LF, none after the last line")
            << fileOf(canonical, "\r").replace(" 1971 \r", " 1971 \r\n").chopped(1) << 2 << two;

        const Lines lf = Lines{" 1 "} + block(" 4 ", "Anna\nBerta\n", " 1971 ", " 3 ", " 9 ");
        QTest::newRow("lone LF stays in the text") << fileOf(lf) << 1 << "4/Anna\nBerta\n/1971/3/9";
        // Files from other tools: LF line ends where the file holds no CR, and UTF-8, whose
        // characters outside Windows-1252 are transliterated.
        QTest::newRow("LF line ends") << fileOf(canonical, "\n") << 2 << two;
        const auto utf8 = [](const QByteArray& cp1252, const QString& name) {
            return decodeCp1252(cp1252).replace(QStringLiteral("Anna"), name).toUtf8();
        };
        QTest::newRow("UTF-8 with byte order mark")
            << "\xEF\xBB\xBF" + utf8(fileOf(canonical), QStringLiteral("Jürgen Groß")) << 2
            << QStringLiteral("7/Jürgen Groß/1971/3/9; 12/ /2001/12/31");
        QTest::newRow("UTF-8 with LF, beyond Windows-1252")
            << utf8(fileOf(canonical, "\n"), QStringLiteral("Zoë Ωmega € Łukasz")) << 2
            << QStringLiteral("7/Zoë ?mega € Lukasz/1971/3/9; 12/ /2001/12/31");
        QTest::newRow("name of a zero-width character reads as blank")
            << utf8(fileOf(Lines{" 1 "} + block(" 4 ", "Anna", " 1971 ", " 3 ", " 9 ")),
                    QString(QChar(0xFEFF)))
            << 1 << "4/ /1971/3/9";

        // Complete blocks count, not the count line.
        const Lines a = block(" 1 ", "A", " 1990 ", " 1 ", " 2 ");
        const Lines b = block(" 2 ", "B", " 1991 ", " 3 ", " 4 ");
        const Lines c = block(" 3 ", "C", " 1992 ", " 5 ", " 6 ");
        const QString ab = QStringLiteral("1/A/1990/1/2; 2/B/1991/3/4");
        QTest::newRow("count smaller")
            << fileOf(Lines{" 1 "} + a + b + c) << 1 << ab + "; 3/C/1992/5/6";
        QTest::newRow("count larger") << fileOf(Lines{" 5 "} + a + b) << 5 << ab;
        QTest::newRow("count negative") << fileOf(Lines{"-4"} + a) << 0 << "1/A/1990/1/2";
        QTest::newRow("last block one line short")
            << fileOf(Lines{" 3 "} + a + b + c.mid(0, 9)) << 3 << ab;

        QTest::newRow("empty file") << QByteArray() << -1 << noCountError;
        QTest::newRow("first line without number")
            << fileOf(Lines{"Geburtstage"} + a) << -1 << noCountError;
        QTest::newRow("count line and nine lines")
            << fileOf(Lines{" 1 "} + a.mid(0, 9)) << -1 << noRecordError;

        // An unreadable number line leaves the field as in a new record; Nummer takes the next
        // free.
        for (const auto& [tag, line, content, expected] :
             {std::tuple{"Nummer letters", 0, "x", "9/Anna/1971/3/9"},
              {"Jahr fraction", 2, " 1971.5 ", "5/Anna/1900/3/9"},
              {"Monat blank", 3, " ", "5/Anna/1971/1/9"},
              {"Tag trailing text", 4, " 9 Tage", "5/Anna/1971/3/1"}}) {
            Lines broken = block(" 5 ", "Anna", " 1971 ", " 3 ", " 9 ");
            broken[line] = content;
            QTest::newRow(tag) << fileOf(Lines{" 2 "} + broken +
                                         block(" 8 ", "Bert", " 1980 ", " 6 ", " 7 "))
                               << 2 << QString::fromLatin1(expected) + "; 8/Bert/1980/6/7";
        }

        // Records without a number take the next above the highest, in file order.
        const auto numbered = [](const Lines& numbers) {
            Lines lines{QByteArray::number(numbers.size())};
            for (const QByteArray& n : numbers)
                lines += block(n, "N", " 2000 ", " 2 ", " 3 ");
            return fileOf(lines);
        };
        const auto summaryOf = [](const QList<int>& numbers) {
            QStringList out;
            for (int n : numbers)
                out << QString::number(n) + QStringLiteral("/N/2000/2/3");
            return out.join(QStringLiteral("; "));
        };
        QTest::newRow("gap first") << numbered({"?", " 7 ", " 3 "}) << 3 << summaryOf({8, 7, 3});
        QTest::newRow("two gaps in order")
            << numbered({" 4 ", "", " 2 ", "n"}) << 4 << summaryOf({4, 5, 2, 6});
        QTest::newRow("only negative numbers") << numbered({"-3", "x"}) << 2 << summaryOf({-3, 1});
        QTest::newRow("no number above int max")
            << numbered({" 2147483647 ", "x"}) << 2 << summaryOf({2147483647, 0});
    }

    void reading() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, declared);
        QFETCH(QString, expected);
        const ListFileContents read = parseListFile(bytes);
        QCOMPARE(read.ok, declared >= 0);
        QCOMPARE(read.ok ? summary(read.records) : read.error, expected);
        QCOMPARE(read.ok ? read.declaredCount : -1, declared);
        for (const Record& r : read.records) // reminder lines as written, markers 0
            QVERIFY(r == makeRecord(r.nummer, r.name, r.jahr, r.monat, r.tag));
    }

    // Too large a file is refused before it is read.
    void readingFromFiles() {
        test::TempDataDir dir;
        const QString path = dir.file(QStringLiteral("natalix.nxd"));
        const Snapshot list{makeRecord(1, QStringLiteral("Jörg"), 1966, 6, 16)};
        QVERIFY(test::writeFileBytes(path, renderListFile(list)));
        QVERIFY(readListFile(path).records == list);
        QCOMPARE(readListFile(dir.file(QStringLiteral("fehlt.nxd"))).error,
                 QStringLiteral("Die Datei konnte nicht geöffnet werden."));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(maxListFileBytes + 1)); // sparse
        QCOMPARE(readListFile(path).error, u"Die Datei ist zu groß für eine Geburtstagsliste."_qs);
    }

    void cp1252AllBytes() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        const QString text = decodeCp1252(all);
        QCOMPARE(encodeCp1252(text), all);
        QVERIFY(isCp1252(text));
        QCOMPARE(transliterateCp1252(text), text);
        // Where Windows-1252 differs from Latin-1, checked against the published table.
        QCOMPARE(text.mid(0x80, 32),
                 QStringLiteral("\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030"
                                "\u0160\u2039\u0152\u008D\u017D\u008F\u0090\u2018\u2019\u201C"
                                "\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D"
                                "\u017E\u0178"));
        QCOMPARE(text.left(0x80) + text.mid(0xA0),
                 QString::fromLatin1(all.left(0x80) + all.mid(0xA0)));
        // Characters that have no byte: '?' when written.
        const QString foreign = QStringLiteral("aŁ\U0001F600b") + QChar(0xD800);
        QCOMPARE(encodeCp1252(foreign), QByteArray("a??b?"));
        QVERIFY(!isCp1252(foreign));
        QVERIFY(!isCp1252(char32_t(0x0100)) && isCp1252(char32_t(0x20AC)));
        QCOMPARE(transliterateCp1252(foreign), QStringLiteral("aL?b?"));
    }

    // Names from address books and keyboards all over the world, as the list keeps them.
    void transliteration() {
        const std::tuple<const char*, std::u16string_view, std::u16string_view> rows[] = {
            {"Windows-1252 as it is", u"Jürgen Müßig, Ærøskøbing € Œ Š ž Ð þ",
             u"Jürgen Müßig, Ærøskøbing € Œ Š ž Ð þ"},
            {"Turkish", u"Yılmaz Şükrü İpek Doğan Çelik", u"Yilmaz Sükrü Ipek Dogan Çelik"},
            {"Polish", u"Łukasz Żółć Wąsowicz Śliwińska", u"Lukasz Zólc Wasowicz Sliwinska"},
            {"Vietnamese keeps the vowel, not the tone", u"Nguyễn Thị Minh Khai, Trần Hưng Đạo",
             u"Nguyên Thi Minh Khai, Trân Hung Dao"},
            {"pinyin, Yoruba: the mark nearest the letter first", u"Lǘ Lǚ Hậu Adébáyọ̀",
             u"Lü Lü Hâu Adébáyò"},
            {"no Latin form: one ? per character", u"Αλέξης Иван 李小龍 김", u"?????? ???? ??? ?"},
            {"ligatures and wide letters", u"ﬁ ﬂ ĳssel œuvre ＡＢＣ 𝐙",
             u"fi fl ijssel œuvre ABC Z"},
            {"combining marks", u"Dvor\u030Ca\u0301k Zoe\u0308 \u0301Anna", u"Dvorák Zoë Anna"},
            {"emoji with skin tone and variation", u"Anna 👍🏽❤️", u"Anna ??"},
            {"invisible characters", u"An\u200Dna\uFEFF\u200F", u"Anna"},
            {"line breaks and tabs one blank each", u"Anna\r\nMaria\rBerg\nKoch\tZ\u2028Y",
             u"Anna Maria Berg Koch Z Y"},
            {"other control characters dropped", u"A\u0000B\u0007\u0085C\u0081"sv, u"AB C"}};
        for (const auto& [what, name, kept] : rows)
            QVERIFY2(transliterateName(QStringView(name).toString()) == QStringView(kept), what);
    }

    // Every failure message by group and code: its sentences, then the retry of its group.
    void failureQuestions() {
        const char* const sentences[] = {
            "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
            "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
            "überflüssige Dateien oder legen eine leere Diskette ein.",
            "Die Datei kann nicht auf den Datenträger geschrieben werden. Der Datenträger ist "
            "möglicherweise nicht eingelegt, beschädigt, voll oder schreibgeschützt. Die Datei "
            "wurde noch nicht gespeichert.",
            "Der Datenträger ist möglicherweise nicht eingelegt.",
            "Das Laufwerk oder der Pfad wurde nicht gefunden.",
            "Der Dateiname enthällt Zeichen, die nicht zulässig sind.",
            "Der Dateiname existiert nicht oder enthällt Zeichen, die nicht zulässig sind.",
            "Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht oder wurde falsch "
            "geschrieben.",
            "Die Datei kann nicht vom Datenträger gelesen werden. Der Datenträger ist "
            "möglicherweise nicht eingelegt oder die Datei ist beschädigt oder existiert nicht."};
        // Group, code, the sentences, the verb of the retry; after sentences 1 the retry
        // cancels "die Speicherung", after the others "den Vorgang".
        const std::tuple<int, int, int, const char*> rows[] = {
            {101, 7, 0, "speichern"},  {101, 61, 0, "speichern"}, {101, 52, 4, "schreiben"},
            {101, 71, 2, "schreiben"}, {101, 76, 3, "schreiben"}, {101, 70, 1, "speichern"},
            {102, 52, 5, "lesen"},     {102, 53, 6, "lesen"},     {102, 71, 2, "lesen"},
            {102, 76, 3, "lesen"},     {102, 70, 7, "lesen"},     {103, 7, 0, "speichern"},
            {103, 61, 0, "speichern"}, {103, 57, 1, "speichern"}};
        for (const auto& [group, code, k, verb] : rows) {
            const MessageRequest m =
                fileFailureQuestion(group, {code, QStringLiteral("Beschreibung")});
            QCOMPARE(m.text,
                     QString::fromUtf8(sentences[k]) +
                         QStringLiteral(" Bitte wählen Sie 'Wiederholen' um zu versuchen, die "
                                        "Datei erneut zu %1, oder 'Abbrechen' um %2 "
                                        "abzubrechen. ( %3 / %4 : Beschreibung )")
                             .arg(QLatin1StringView(verb), k == 1
                                                               ? QStringLiteral("die Speicherung")
                                                               : QStringLiteral("den Vorgang"))
                             .arg(group)
                             .arg(code));
            QVERIFY(m.buttons == Buttons::RetryCancel && m.icon == Icon::Exclamation);
            QVERIFY(m.title.isEmpty() && m.defaultButton == 0);
        }
    }

    // The other questions: every one a warning under the program's title.
    void questions() {
        const MessageRequest save = saveChangesQuestion(), fresh = newListQuestion(),
                             broken = brokenListMessage(noRecordError);
        QCOMPARE(save.text, QStringLiteral("Änderungen in Datei speichern?"));
        QCOMPARE(
            fresh.text,
            QStringLiteral(
                "Neue Geburtstagsliste anlegen?\n\r\n\rWenn eine neue, leere Tabelle angelegt "
                "werden soll, klicken Sie auf OK und die aktuell geladene Geburtstags-Liste "
                "wird gelöscht! Die Tabelle können Sie aber mit \"Datei / Geburtstagsliste "
                "öffnen\" wieder einlesen, sofern sie vorher gespeichert wurde.\n\r\n\rUnter "
                "\"Datei / Eigenschaften\" können Sie nachsehen, ob und wo die Datei "
                "gespeichert wurde.\n\r\n\rSoll die Gebutstags-Liste wirklich gelöscht werden?"));
        QCOMPARE(broken.text, noRecordError);
        QVERIFY(save.buttons == Buttons::YesNoCancel && save.defaultButton == 0);
        QVERIFY(fresh.buttons == Buttons::OkCancel && fresh.defaultButton == answer::cancel);
        QVERIFY(broken.buttons == Buttons::Ok && broken.defaultButton == 0);
        for (const MessageRequest& m : {save, fresh, broken})
            QVERIFY(m.icon == Icon::Exclamation && m.title.isEmpty());
    }

    // Unsaved changes before open, new list and exit: a named list is saved silently, an
    // unnamed one asks first.
    void settleChanges() {
        const QString named = QStringLiteral("/home/anna/liste.nxd");
        QCOMPARE(natalix::settleChanges(0, QString()), Settle::proceed);
        QCOMPARE(natalix::settleChanges(0, named), Settle::proceed);
        QCOMPARE(natalix::settleChanges(1, named), Settle::save);
        QCOMPARE(natalix::settleChanges(1, QString()), Settle::ask);
        QCOMPARE(settleAnswer(answer::yes), Settle::saveAs);
        QCOMPARE(settleAnswer(answer::no), Settle::proceed);
        QCOMPARE(settleAnswer(answer::cancel), Settle::stop);
    }
};

QTEST_GUILESS_MAIN(TestListFile)
#include "test_listfile.moc"
