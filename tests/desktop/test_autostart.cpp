// The autostart entry is checked by desktop-file-validate, read by GLib and started the way
// a desktop session starts it (desktopentry.py), all inside a HOME of the test's own.
#include "desktop/autostart.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace natalix;
using natalix::test::readFileBytes;
using natalix::test::writeFileBytes;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");

// A program that writes the arguments it was started with, each ended by a zero byte.
const QByteArray argvRecorder = "#!/bin/sh\n"
                                "printf '%s\\0' \"$0\" \"$@\" > \"$NATALIX_ARGV_FILE.part\"\n"
                                "mv \"$NATALIX_ARGV_FILE.part\" \"$NATALIX_ARGV_FILE\"\n";

struct Run {
    int code = -1;
    QByteArray out;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll()};
}

QJsonObject readEntry(const QString& entry, const QString& argvFile = {}) {
    QStringList args{QStringLiteral(NATALIX_DESKTOP_TEST_DIR "/desktopentry.py"), entry};
    if (!argvFile.isEmpty())
        args << argvFile;
    const Run r = run(python, args);
    return r.code == 0 ? QJsonDocument::fromJson(r.out).object() : QJsonObject();
}

QStringList strings(const QJsonValue& v) {
    QStringList list;
    for (const QJsonValue& s : v.toArray())
        list << s.toString();
    return list;
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_config; // $XDG_CONFIG_HOME
    QString m_system; // the one folder of $XDG_CONFIG_DIRS

    QString userEntry() const { return m_config + QStringLiteral("/autostart/natalix.desktop"); }
    QString systemEntry() const { return m_system + QStringLiteral("/autostart/natalix.desktop"); }

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        m_config = m_home->filePath(QStringLiteral("config"));
        m_system = m_home->filePath(QStringLiteral("xdg"));
        qputenv("HOME", m_home->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_config.toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", m_system.toLocal8Bit());
    }

    // The program may live anywhere: whatever its path holds, the desktop starts that
    // very program with "/auto".
    void entryStartsTheProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("glibLoads");
        QTest::newRow("plain") << "bin" << true;
        QTest::newRow("blanks") << "Meine Programme" << true;
        QTest::newRow("quotes") << "Jörgs \"beste\" 'Sachen'" << true;
        QTest::newRow("shell characters") << "a$HOME`id`;b&c|d<e>f*?#(g)~" << true;
        QTest::newRow("backslash") << "C:\\Natalix\\" << true;
        QTest::newRow("equals") << "a=b" << true;
        // GLib looks for the program before it turns "%%" into "%", finds none and drops the
        // entry (GNOME will not start it); other desktops read the line as written.
        QTest::newRow("percent") << "100% %f %u" << false;
    }
    void entryStartsTheProgram() {
        QFETCH(QString, folder);
        QFETCH(bool, glibLoads);
        const QString dir = m_home->filePath(folder);
        QVERIFY(QDir().mkpath(dir));
        const QString program = dir + QStringLiteral("/natalix");
        QVERIFY(writeFileBytes(program, argvRecorder));
        QVERIFY(
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        const Autostart autostart(program);
        QString error;
        QVERIFY2(autostart.enable(&error), qPrintable(error));
        QCOMPARE(autostart.entryPath(), userEntry());
        QVERIFY(autostart.isEnabled());

        const Run validate = run(QStringLiteral("desktop-file-validate"), {userEntry()});
        QVERIFY2(validate.code == 0 && validate.out.isEmpty(), validate.out.constData());

        const QJsonObject entry = readEntry(userEntry(), m_home->filePath(QStringLiteral("argv")));
        const QStringList expected{program, QStringLiteral("/auto")};
        QCOMPARE(strings(entry[QStringLiteral("argv")]), expected);
        QCOMPARE(entry[QStringLiteral("loaded")].toBool(), glibLoads);
        if (glibLoads)
            QCOMPARE(strings(entry[QStringLiteral("launched")]), expected);
        QCOMPARE(entry[QStringLiteral("Type")].toString(), QStringLiteral("Application"));
        QCOMPARE(entry[QStringLiteral("Name")].toString(), QStringLiteral("Natalix"));
        QCOMPARE(entry[QStringLiteral("Name[de]")].toString(),
                 QStringLiteral("Natalix (Erinnerungen im Hintergrund)"));
        QCOMPARE(entry[QStringLiteral("Comment[de]")].toString(),
                 QStringLiteral("Erinnert im Hintergrund an Geburtstage"));
        QCOMPARE(entry[QStringLiteral("Icon")].toString(), QStringLiteral("natalix"));
        QVERIFY(entry[QStringLiteral("Hidden")].isNull());
    }

    // Whose entry decides, and what switching on and off leaves behind.
    void switching_data() {
        QTest::addColumn<QString>("user");   // the user's entry before: "", "active", "hidden"
        QTest::addColumn<QString>("system"); // the system's entry: "", "active", "hidden"
        QTest::addColumn<bool>("enabled");   // before switching
        QTest::addColumn<QString>("userAfterDisable"); // "" removed, "hidden" overriding
        QTest::newRow("nothing") << ""
                                 << "" << false << "";
        QTest::newRow("own entry") << "active"
                                   << "" << true << "";
        QTest::newRow("own entry switched off by the desktop") << "hidden"
                                                               << "" << false << "";
        QTest::newRow("the system's entry") << ""
                                            << "active" << true << "hidden";
        QTest::newRow("the system's, overridden") << "hidden"
                                                  << "active" << false << "hidden";
        QTest::newRow("own entry over the system's") << "active"
                                                     << "active" << true << "hidden";
        QTest::newRow("the system's, hidden itself") << ""
                                                     << "hidden" << false << "";
    }
    void switching() {
        QFETCH(QString, user);
        QFETCH(QString, system);
        QFETCH(bool, enabled);
        QFETCH(QString, userAfterDisable);
        const Autostart autostart(QStringLiteral("/opt/natalix/natalix"));
        const auto place = [&](const QString& path, const QString& state) {
            if (state.isEmpty())
                return true;
            const QByteArray other =
                "[Desktop Entry]\nType=Application\nName=Natalix\nExec=natalix "
                "/auto\n";
            return QDir().mkpath(QFileInfo(path).path()) &&
                   writeFileBytes(path, state == u"hidden" ? other + "Hidden=true\n" : other);
        };
        QVERIFY(place(userEntry(), user));
        QVERIFY(place(systemEntry(), system));
        const QByteArray systemBefore = readFileBytes(systemEntry());
        QCOMPARE(autostart.isEnabled(), enabled);

        QString error;
        QVERIFY2(autostart.disable(&error), qPrintable(error));
        QVERIFY(!autostart.isEnabled());
        if (userAfterDisable.isEmpty()) {
            QVERIFY(!QFile::exists(userEntry()));
        } else {
            QCOMPARE(readEntry(userEntry())[QStringLiteral("Hidden")].toString(),
                     QStringLiteral("true"));
            const Run validate = run(QStringLiteral("desktop-file-validate"), {userEntry()});
            QVERIFY2(validate.code == 0 && validate.out.isEmpty(), validate.out.constData());
        }
        QVERIFY2(autostart.disable(&error), qPrintable(error)); // twice is no fault

        QVERIFY2(autostart.enable(&error), qPrintable(error));
        QVERIFY(autostart.isEnabled());
        QCOMPARE(strings(readEntry(userEntry())[QStringLiteral("argv")]),
                 (QStringList{"/opt/natalix/natalix", "/auto"}));
        // The system's file is never touched.
        QCOMPARE(readFileBytes(systemEntry()), systemBefore);
    }

    // The folder follows $XDG_CONFIG_HOME where it is absolute, else ~/.config.
    void folder_data() {
        QTest::addColumn<QString>("configHome"); // null: unset; relative names stay relative
        QTest::addColumn<QString>("expected");   // below the test's HOME
        QTest::newRow("set") << "cfg"
                             << "cfg/autostart";
        QTest::newRow("unset") << QString() << ".config/autostart";
        QTest::newRow("empty") << ""
                               << ".config/autostart";
        QTest::newRow("relative") << "./relativ"
                                  << ".config/autostart";
    }
    void folder() {
        QFETCH(QString, configHome);
        QFETCH(QString, expected);
        if (configHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else if (configHome.startsWith(u'.') || configHome.isEmpty())
            qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        else
            qputenv("XDG_CONFIG_HOME", m_home->filePath(configHome).toLocal8Bit());
        QCOMPARE(Autostart::autostartFolder(), m_home->filePath(expected));
        QVERIFY(Autostart(QStringLiteral("/usr/bin/natalix")).enable());
        QVERIFY(QFile::exists(m_home->filePath(expected) + QStringLiteral("/natalix.desktop")));
    }

    // What cannot be written is said in German, and nothing is left behind.
    void refused_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("blockFolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder cannot be made")
            << "/usr/bin/natalix" << true << "Der Autostart-Ordner %1 kann nicht angelegt werden.";
        QTest::newRow("line break in the path")
            << "/opt/neu\nzeile/natalix" << false
            << "Der Aufruf /opt/neu\nzeile/natalix enthält Steuerzeichen und kann nicht in den "
               "Autostart eingetragen werden.";
    }
    void refused() {
        QFETCH(QString, program);
        QFETCH(bool, blockFolder);
        QFETCH(QString, message);
        if (blockFolder)
            QVERIFY(writeFileBytes(m_config, "kein Ordner")); // a file where the folder goes
        const Autostart autostart(program);
        QString error;
        QVERIFY(!autostart.enable(&error));
        QCOMPARE(error,
                 message.contains(u"%1") ? message.arg(Autostart::autostartFolder()) : message);
        QVERIFY(!QFile::exists(userEntry()));
        QVERIFY(!autostart.isEnabled());
    }

    void cleanup() { m_home.reset(); }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
