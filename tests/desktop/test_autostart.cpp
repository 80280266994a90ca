// The autostart entry as desktop-file-validate and GLib read it and as a desktop session
// starts it (desktopentry.py), all inside a HOME of the test's own.
#include "desktop/autostart.h"
#include "support/processes.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

class TestAutostart : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;

    QString home(const QString& name) const { return m_home->filePath(name); }
    QString userEntry() const { return home(QStringLiteral("config/autostart/natalix.desktop")); }
    QString systemEntry() const { return home(QStringLiteral("xdg/autostart/natalix.desktop")); }
    // What desktopentry.py read from the entry; with argvFile, also what its start ran.
    QJsonObject read(const QString& entry, const QString& argvFile = {}) const {
        RunSetup setup;
        setup.home = m_home->path();
        setup.program = QStringLiteral("/usr/bin/python3");
        const RunResult r = runNatalix(
            {QStringLiteral(NATALIX_DESKTOP_TEST_DIR "/desktopentry.py"), entry, argvFile}, setup);
        return r.code == 0 ? QJsonDocument::fromJson(r.out).object()
                           : QJsonObject{{"failed", QString::fromUtf8(r.err)}};
    }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("HOME", m_home->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", home(QStringLiteral("xdg")).toLocal8Bit());
    }
    void cleanup() { m_home.reset(); }

    // Wherever the program lives, the desktop starts that very program with "/auto", and on
    // the data folder it runs with, if one was given (one entry per data folder).
    void entryStartsTheProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("dataDir"); // below HOME; empty: the per-user folder
        QTest::addColumn<bool>("glibLoads");
        QTest::newRow("plain") << "bin" << QString() << true;
        QTest::newRow("blanks, quotes") << "Jörgs \"beste\" 'Sachen'" << QString() << true;
        QTest::newRow("shell characters") << "a$HOME`id`;b&c|d<e>f*?#(g)~=" << QString() << true;
        QTest::newRow("backslash") << "C:\\Natalix\\" << QString() << true;
        // GLib looks for the program before it turns "%%" into "%", finds none and drops the
        // entry (GNOME will not start it); other desktops read the line as written.
        QTest::newRow("percent") << "100% %f %u" << QString() << false;
        QTest::newRow("a data folder")
            << "bin" << QStringLiteral("Vereins Liste/\"Geburtstage\" 100% $HOME\\ /auto") << true;
    }
    void entryStartsTheProgram() {
        QFETCH(QString, folder);
        QFETCH(QString, dataDir);
        QFETCH(bool, glibLoads);
        const QString program = home(folder) + QStringLiteral("/natalix");
        // It writes the arguments it was started with, each ended by a zero byte.
        QVERIFY(QDir().mkpath(home(folder)) &&
                writeFileBytes(program, "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > "
                                        "\"$NATALIX_ARGV_FILE.part\"\n"
                                        "mv \"$NATALIX_ARGV_FILE.part\" \"$NATALIX_ARGV_FILE\"\n"));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        const QString data = dataDir.isEmpty() ? QString() : home(dataDir);
        const Autostart autostart(program, data);
        QString error;
        QVERIFY2(autostart.enable(&error), qPrintable(error));
        QVERIFY(autostart.isEnabled());
        const QString path = autostart.entryPath();
        QVERIFY2(QRegularExpression(data.isEmpty() ? "/config/autostart/natalix\\.desktop$"
                                                   : "/natalix-[0-9a-f]{12}\\.desktop$")
                     .match(path)
                     .hasMatch(),
                 qPrintable(path));
        const QJsonArray argv = data.isEmpty() ? QJsonArray{program, "/auto"}
                                               : QJsonArray{program, "--datadir", data, "/auto"};
        const QString comment =
            QStringLiteral("Erinnert im Hintergrund an Geburtstage") +
            (data.isEmpty() ? QString() : QStringLiteral(" (Datenordner %1)").arg(data));
        const QJsonObject expected{{"Type", "Application"},
                                   {"Name", "Natalix"},
                                   {"Name[de]", "Natalix (Erinnerungen im Hintergrund)"},
                                   {"Comment", comment},
                                   {"Comment[de]", comment},
                                   {"Icon", "natalix"},
                                   {"Hidden", QJsonValue()},
                                   {"problems", ""},
                                   {"argv", argv},
                                   {"loaded", glibLoads},
                                   {"launched", glibLoads ? argv : QJsonValue()}};
        QCOMPARE(read(path, home(QStringLiteral("argv"))), expected);
    }

    // Whose entry decides, and what switching off and on leaves behind.
    void switching_data() {
        QTest::addColumn<QString>("entries"); // user's/system's before: "", "active", "hidden"
        QTest::addColumn<bool>("ofDataDir");  // the switch of a data folder given by --datadir
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hiddenAfterDisable"); // else the user's entry is removed
        QTest::newRow("nothing") << "/" << false << false << false;
        QTest::newRow("own") << "active/" << false << true << false;
        QTest::newRow("own, off by the desktop") << "hidden/" << false << false << false;
        QTest::newRow("the system's") << "/active" << false << true << true;
        QTest::newRow("the system's, overridden") << "hidden/active" << false << false << true;
        QTest::newRow("own over the system's") << "active/active" << false << true << true;
        QTest::newRow("the system's, hidden") << "/hidden" << false << false << false;
        // Those start the per-user folder: a data folder's switch neither shows nor touches them.
        QTest::newRow("a data folder") << "active/active" << true << false << false;
    }
    void switching() {
        QFETCH(QString, entries);
        QFETCH(bool, ofDataDir);
        QFETCH(bool, enabled);
        QFETCH(bool, hiddenAfterDisable);
        const QStringList states = entries.split(u'/');
        for (const auto& [path, state] :
             {std::pair{userEntry(), states[0]}, {systemEntry(), states[1]}}) {
            const QByteArray entry = "[Desktop Entry]\nType=Application\nName=N\nExec=n /auto\n";
            if (!state.isEmpty())
                QVERIFY(QDir().mkpath(QFileInfo(path).path()) &&
                        writeFileBytes(path, state == u"hidden" ? entry + "Hidden=true\n" : entry));
        }
        const QByteArray systemBefore = readFileBytes(systemEntry());
        const QByteArray userBefore = readFileBytes(userEntry());
        const QString data = ofDataDir ? home(QStringLiteral("Daten")) : QString();
        const Autostart autostart(QStringLiteral("/opt/natalix/natalix"), data);
        const QString own = autostart.entryPath();
        QCOMPARE(autostart.isEnabled(), enabled);

        QVERIFY(autostart.disable() && !autostart.isEnabled());
        QCOMPARE(QFile::exists(own), hiddenAfterDisable);
        if (hiddenAfterDisable) {
            const QJsonObject hidden = read(own);
            QCOMPARE(hidden[QStringLiteral("Hidden")], QJsonValue("true"));
            QCOMPARE(hidden[QStringLiteral("problems")], QJsonValue(""));
        }
        QVERIFY(autostart.disable()); // twice is no fault
        QVERIFY(autostart.enable() && autostart.isEnabled());
        QCOMPARE(read(own)[QStringLiteral("argv")],
                 QJsonValue(ofDataDir
                                ? QJsonArray{"/opt/natalix/natalix", "--datadir", data, "/auto"}
                                : QJsonArray{"/opt/natalix/natalix", "/auto"}));
        QCOMPARE(readFileBytes(systemEntry()), systemBefore); // never touched
        if (ofDataDir)
            QCOMPARE(readFileBytes(userEntry()), userBefore);
    }

    // $XDG_CONFIG_HOME (absolute in every other test) counts only where it is absolute.
    void relativeConfigHome() {
        qputenv("XDG_CONFIG_HOME", "relativ");
        QVERIFY(Autostart(QStringLiteral("/usr/bin/natalix")).enable());
        QVERIFY(QFile::exists(home(QStringLiteral(".config/autostart/natalix.desktop"))));
    }

    // What cannot be written is said in German, and nothing is left behind.
    void refused_data() {
        QTest::addColumn<QStringList>("call"); // the program, and a data folder
        QTest::addColumn<QString>("message");
        const QString control = QStringLiteral("Der Aufruf %1 enthält Steuerzeichen und kann "
                                               "nicht in den Autostart eingetragen werden.");
        QTest::newRow("folder cannot be made") // %1: the autostart folder
            << QStringList{"/usr/bin/natalix", ""}
            << "Der Autostart-Ordner %1 kann nicht angelegt werden.";
        QTest::newRow("line break in the program")
            << QStringList{"/opt/neu\nzeile/natalix", ""} << control.arg("/opt/neu\nzeile/natalix");
        QTest::newRow("line break in the data folder")
            << QStringList{"/usr/bin/natalix", "/tmp/neu\nzeile"} << control.arg("/tmp/neu\nzeile");
    }
    void refused() {
        QFETCH(QStringList, call);
        QFETCH(QString, message);
        if (message.contains(u"%1")) // a file where the folder goes
            QVERIFY(writeFileBytes(home(QStringLiteral("config")), "kein Ordner"));
        const Autostart autostart(call[0], call[1]);
        QString error;
        QVERIFY(!autostart.enable(&error));
        QCOMPARE(error,
                 message.contains(u"%1") ? message.arg(Autostart::autostartFolder()) : message);
        QVERIFY(!QFile::exists(autostart.entryPath()) && !autostart.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
