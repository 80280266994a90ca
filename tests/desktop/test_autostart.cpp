// The autostart entry is checked by desktop-file-validate, read by GLib and started the way
// a desktop session starts it (desktopentry.py), all inside a HOME of the test's own.
#include "desktop/autostart.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace natalix;
using natalix::test::readFileBytes;
using natalix::test::writeFileBytes;

namespace {

// A program that writes the arguments it was started with, each ended by a zero byte.
const QByteArray argvRecorder = "#!/bin/sh\n"
                                "printf '%s\\0' \"$0\" \"$@\" > \"$NATALIX_ARGV_FILE.part\"\n"
                                "mv \"$NATALIX_ARGV_FILE.part\" \"$NATALIX_ARGV_FILE\"\n";

// Exit code 0 and no output, or what went wrong.
QByteArray run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool done = p.waitForFinished(20000);
    const QByteArray output = p.readAll();
    if (out)
        *out = output;
    if (!done || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return "failed: " + output;
    return out ? QByteArray() : output;
}

QJsonObject readEntry(const QString& entry, const QString& argvFile = {}) {
    QByteArray out;
    const QByteArray failure =
        run(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(NATALIX_DESKTOP_TEST_DIR "/desktopentry.py"), entry} +
                (argvFile.isEmpty() ? QStringList() : QStringList{argvFile}),
            &out);
    return failure.isEmpty() ? QJsonDocument::fromJson(out).object() : QJsonObject();
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;

    QString home(const QString& name) const { return m_home->filePath(name); }
    QString userEntry() const { return home(QStringLiteral("config/autostart/natalix.desktop")); }
    QString systemEntry() const { return home(QStringLiteral("xdg/autostart/natalix.desktop")); }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("HOME", m_home->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", home(QStringLiteral("xdg")).toLocal8Bit());
    }

    // Wherever the program lives, the desktop starts that very program with "/auto", and on
    // the data folder it runs with, if one was given.
    void entryStartsTheProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("dataDir"); // below HOME; empty: the per-user folder
        QTest::addColumn<bool>("glibLoads");
        QTest::newRow("plain") << "bin"
                               << "" << true;
        QTest::newRow("blanks, quotes") << "Jörgs \"beste\" 'Sachen'"
                                        << "" << true;
        QTest::newRow("shell characters") << "a$HOME`id`;b&c|d<e>f*?#(g)~="
                                          << "" << true;
        QTest::newRow("backslash") << "C:\\Natalix\\"
                                   << "" << true;
        // GLib looks for the program before it turns "%%" into "%", finds none and drops the
        // entry (GNOME will not start it); other desktops read the line as written.
        QTest::newRow("percent") << "100% %f %u"
                                 << "" << false;
        QTest::newRow("a data folder")
            << "bin"
            << "Vereins Liste/\"Geburtstage\" 100% $HOME\\ /auto" << true;
    }
    void entryStartsTheProgram() {
        QFETCH(QString, folder);
        QFETCH(QString, dataDir);
        QFETCH(bool, glibLoads);
        const QString program = home(folder) + QStringLiteral("/natalix");
        QVERIFY(QDir().mkpath(home(folder)) && writeFileBytes(program, argvRecorder));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));

        const QString data = dataDir.isEmpty() ? QString() : home(dataDir);
        const Autostart autostart(program, data);
        QString error;
        QVERIFY2(autostart.enable(&error), qPrintable(error));
        // One entry per data folder, named after it.
        const QString path = autostart.entryPath();
        QVERIFY2(data.isEmpty()
                     ? path == userEntry()
                     : QRegularExpression(QStringLiteral("/natalix-[0-9a-f]{12}\\.desktop$"))
                           .match(path)
                           .hasMatch(),
                 qPrintable(path));
        QVERIFY(autostart.isEnabled());
        QCOMPARE(run(QStringLiteral("desktop-file-validate"), {path}), QByteArray());

        QJsonObject entry = readEntry(path, home(QStringLiteral("argv")));
        const QJsonArray expected = data.isEmpty()
                                        ? QJsonArray{program, "/auto"}
                                        : QJsonArray{program, "--datadir", data, "/auto"};
        QCOMPARE(entry.take(QStringLiteral("launched")), glibLoads ? expected : QJsonValue());
        entry.remove(QStringLiteral("Exec"));
        const QString comment =
            QStringLiteral("Erinnert im Hintergrund an Geburtstage") +
            (data.isEmpty() ? QString() : QStringLiteral(" (Datenordner %1)").arg(data));
        const QJsonObject fields{{"Type", "Application"},
                                 {"Name", "Natalix"},
                                 {"Name[de]", "Natalix (Erinnerungen im Hintergrund)"},
                                 {"Comment", comment},
                                 {"Comment[de]", comment},
                                 {"Icon", "natalix"},
                                 {"Hidden", QJsonValue()},
                                 {"argv", expected},
                                 {"loaded", glibLoads}};
        QCOMPARE(entry, fields);
    }

    // Whose entry decides, and what switching off and on leaves behind.
    void switching_data() {
        QTest::addColumn<QString>("user");   // the user's entry before: "", "active", "hidden"
        QTest::addColumn<QString>("system"); // the system's
        QTest::addColumn<bool>("ofDataDir"); // the switch of a data folder given by --datadir
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hiddenAfterDisable"); // else the user's entry is removed
        QTest::newRow("nothing") << ""
                                 << "" << false << false << false;
        QTest::newRow("own") << "active"
                             << "" << false << true << false;
        QTest::newRow("own, switched off by the desktop") << "hidden"
                                                          << "" << false << false << false;
        QTest::newRow("the system's") << ""
                                      << "active" << false << true << true;
        QTest::newRow("the system's, overridden") << "hidden"
                                                  << "active" << false << false << true;
        QTest::newRow("own over the system's") << "active"
                                               << "active" << false << true << true;
        QTest::newRow("the system's, hidden itself") << ""
                                                     << "hidden" << false << false << false;
        // Those start the per-user folder: a data folder's switch neither shows nor touches them.
        QTest::newRow("a data folder") << "active"
                                       << "active" << true << false << false;
    }
    void switching() {
        QFETCH(QString, user);
        QFETCH(QString, system);
        QFETCH(bool, ofDataDir);
        QFETCH(bool, enabled);
        QFETCH(bool, hiddenAfterDisable);
        const std::pair<QString, QString> placed[] = {{userEntry(), user}, {systemEntry(), system}};
        for (const auto& [path, state] : placed) {
            const QByteArray entry =
                "[Desktop Entry]\nType=Application\nName=N\nExec=natalix /auto\n";
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
            QCOMPARE(readEntry(own)[QStringLiteral("Hidden")], QJsonValue("true"));
            QCOMPARE(run(QStringLiteral("desktop-file-validate"), {own}), QByteArray());
        }
        QVERIFY(autostart.disable()); // twice is no fault
        QVERIFY(autostart.enable() && autostart.isEnabled());
        QCOMPARE(readEntry(own)[QStringLiteral("argv")],
                 QJsonValue(ofDataDir
                                ? QJsonArray{"/opt/natalix/natalix", "--datadir", data, "/auto"}
                                : QJsonArray{"/opt/natalix/natalix", "/auto"}));
        QCOMPARE(readFileBytes(systemEntry()), systemBefore); // never touched
        if (ofDataDir)
            QCOMPARE(readFileBytes(userEntry()), userBefore);
    }

    // $XDG_CONFIG_HOME where it is absolute, else ~/.config.
    void folder_data() {
        QTest::addColumn<QByteArray>("configHome"); // "-": unset
        QTest::addColumn<QString>("expected");      // below HOME
        QTest::newRow("set") << QByteArray("/cfg") << "cfg/autostart";
        QTest::newRow("unset") << QByteArray("-") << ".config/autostart";
        QTest::newRow("empty") << QByteArray("") << ".config/autostart";
        QTest::newRow("relative") << QByteArray("relativ") << ".config/autostart";
    }
    void folder() {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, expected);
        if (configHome == "-")
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome.startsWith('/')
                                           ? m_home->path().toLocal8Bit() + configHome
                                           : configHome);
        QCOMPARE(Autostart::autostartFolder(), home(expected));
        QVERIFY(Autostart(QStringLiteral("/usr/bin/natalix")).enable());
        QVERIFY(QFile::exists(home(expected) + QStringLiteral("/natalix.desktop")));
    }

    // What cannot be written is said in German, and nothing is left behind.
    void refused_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("message"); // %1: the autostart folder
        QTest::newRow("folder cannot be made")
            << "/usr/bin/natalix"
            << "Der Autostart-Ordner %1 kann nicht angelegt werden.";
        QTest::newRow("line break in the path")
            << "/opt/neu\nzeile/natalix"
            << "Der Aufruf /opt/neu\nzeile/natalix enthält Steuerzeichen und kann nicht in den "
               "Autostart eingetragen werden.";
    }
    void refused() {
        QFETCH(QString, program);
        QFETCH(QString, message);
        if (message.contains(u"%1")) // a file where the folder goes
            QVERIFY(writeFileBytes(home(QStringLiteral("config")), "kein Ordner"));
        QString error;
        QVERIFY(!Autostart(program).enable(&error));
        QCOMPARE(error,
                 message.contains(u"%1") ? message.arg(Autostart::autostartFolder()) : message);
        QVERIFY(!QFile::exists(userEntry()) && !Autostart(program).isEnabled());
    }

    void cleanup() { m_home.reset(); }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
