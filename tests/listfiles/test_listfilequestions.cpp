#include "listfile/listfilequestions.h"

#include <QtTest>

using namespace natalix;

Q_DECLARE_METATYPE(MessageRequest)
Q_DECLARE_METATYPE(Settle)

class TestListFileQuestions : public QObject {
    Q_OBJECT
private slots:
    // Every failure message by group and code: its sentences, then the retry of its group.
    void failureQuestions_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString full = QStringLiteral(
            "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
            "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
            "überflüssige Dateien oder legen eine leere Diskette ein.");
        const QString cannot = QStringLiteral(
            "Die Datei kann nicht auf den Datenträger geschrieben werden. Der Datenträger ist "
            "möglicherweise nicht eingelegt, beschädigt, voll oder schreibgeschützt. Die Datei "
            "wurde noch nicht gespeichert.");
        const QString notReady =
            QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt.");
        const QString noPath = QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.");
        const QString task = QStringLiteral("den Vorgang"),
                      storing = QStringLiteral("die Speicherung");
        auto row = [](int group, int code, const QString& sentences, const QString& verb,
                      const QString& what) {
            QTest::addRow("%d/%d", group, code)
                << group << code
                << sentences +
                       QStringLiteral(" Bitte wählen Sie 'Wiederholen' um zu versuchen, die "
                                      "Datei erneut zu %1, oder 'Abbrechen' um %2 "
                                      "abzubrechen. ( %3 / %4 : Beschreibung )")
                           .arg(verb, what)
                           .arg(group)
                           .arg(code);
        };
        const QString save = QStringLiteral("speichern"), write = QStringLiteral("schreiben"),
                      read = QStringLiteral("lesen");
        row(101, 7, full, save, task);
        row(101, 61, full, save, task);
        row(101, 52, QStringLiteral("Der Dateiname enthällt Zeichen, die nicht zulässig sind."),
            write, task);
        row(101, 71, notReady, write, task);
        row(101, 76, noPath, write, task);
        row(101, 70, cannot, save, storing);
        row(102, 52,
            QStringLiteral("Der Dateiname existiert nicht oder enthällt Zeichen, die nicht "
                           "zulässig sind."),
            read, task);
        row(102, 53,
            QStringLiteral("Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht oder "
                           "wurde falsch geschrieben."),
            read, task);
        row(102, 71, notReady, read, task);
        row(102, 76, noPath, read, task);
        row(102, 70,
            QStringLiteral("Die Datei kann nicht vom Datenträger gelesen werden. Der Datenträger "
                           "ist möglicherweise nicht eingelegt oder die Datei ist beschädigt oder "
                           "existiert nicht."),
            read, task);
        row(103, 7, full, save, task);
        row(103, 61, full, save, task);
        row(103, 57, cannot, save, storing);
    }
    void failureQuestions() {
        QFETCH(int, group);
        QFETCH(int, code);
        QFETCH(QString, text);
        const MessageRequest m = fileFailureQuestion(group, {code, QStringLiteral("Beschreibung")});
        QCOMPARE(m.text, text);
        QVERIFY(m.buttons == Buttons::RetryCancel && m.icon == Icon::Exclamation);
        QVERIFY(m.title.isEmpty() && m.defaultButton == 0);
    }

    // The other questions: every one a warning under the program's title.
    void questions_data() {
        QTest::addColumn<MessageRequest>("m");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::newRow("unsaved changes")
            << saveChangesQuestion() << "Änderungen in Datei speichern?" << Buttons::YesNoCancel
            << 0;
        const QString broken = QStringLiteral("Die Datei enthält keinen vollständigen Datensatz.");
        QTest::newRow("broken list") << brokenListMessage(broken) << broken << Buttons::Ok << 0;
        QTest::newRow("new list")
            << newListQuestion()
            << "Neue Geburtstagsliste anlegen?\n\r\n\rWenn eine neue, leere Tabelle angelegt "
               "werden soll, klicken Sie auf OK und die aktuell geladene Geburtstags-Liste wird "
               "gelöscht! Die Tabelle können Sie aber mit \"Datei / Geburtstagsliste öffnen\" "
               "wieder einlesen, sofern sie vorher gespeichert wurde.\n\r\n\rUnter \"Datei / "
               "Eigenschaften\" können Sie nachsehen, ob und wo die Datei gespeichert wurde."
               "\n\r\n\rSoll die Gebutstags-Liste wirklich gelöscht werden?"
            << Buttons::OkCancel << answer::cancel;
    }
    void questions() {
        QFETCH(MessageRequest, m);
        QFETCH(QString, text);
        QFETCH(Buttons, buttons);
        QFETCH(int, defaultButton);
        QCOMPARE(m.text, text);
        QVERIFY(m.buttons == buttons && m.icon == Icon::Exclamation && m.title.isEmpty());
        QCOMPARE(m.defaultButton, defaultButton);
    }

    // Unsaved changes before open, new list and exit; `answer` 0: no question.
    void settleChanges_data() {
        QTest::addColumn<int>("changed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer");
        QTest::addColumn<Settle>("step");
        const QString named = QStringLiteral("/home/anna/liste.nxd");
        QTest::newRow("unchanged, unnamed") << 0 << QString() << 0 << Settle::proceed;
        QTest::newRow("unchanged, named") << 0 << named << 0 << Settle::proceed;
        QTest::newRow("named: saved silently") << 1 << named << 0 << Settle::save;
        QTest::newRow("unnamed: Yes") << 1 << QString() << answer::yes << Settle::saveAs;
        QTest::newRow("unnamed: No") << 1 << QString() << answer::no << Settle::proceed;
        QTest::newRow("unnamed: Cancel") << 1 << QString() << answer::cancel << Settle::stop;
    }
    void settleChanges() {
        QFETCH(int, changed);
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(Settle, step);
        const Settle first = natalix::settleChanges(changed, name);
        if (answer != 0) {
            QCOMPARE(first, Settle::ask);
            QCOMPARE(settleAnswer(answer), step);
        } else {
            QCOMPARE(first, step);
        }
    }
};

QTEST_MAIN(TestListFileQuestions)
#include "test_listfilequestions.moc"
