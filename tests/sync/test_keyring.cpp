#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString support = QStringLiteral(NATALIX_TEST_SOURCES "/support");

// How the probe finds the keyring: a real Secret Service, a bus that cannot start one, no
// bus at all, a Secret Service that was never unlocked (and has no screen to ask on).
enum class Keyring { Unlocked, BareBus, NoBus, Locked };

QString run(Keyring kind, const QString& script) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PROBE", QStringLiteral(NATALIX_KEYRING_PROBE));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    for (const char* name :
         {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        env.insert(QString::fromLatin1(name), home.path());
    // Whatever happened, the password must not be in any file below HOME.
    const QString full = script + QStringLiteral("; grep -rqa geheim \"$HOME\" && echo in a file "
                                                 "|| echo in no file");
    QStringList args;
    QString program = QStringLiteral("dbus-run-session");
    switch (kind) {
    case Keyring::Unlocked:
        program = support + QStringLiteral("/with-keyring.sh");
        args << "sh"
             << "-c" << full;
        break;
    case Keyring::BareBus:
        args << "--config-file" << support + QStringLiteral("/bare-session.conf") << "--"
             << "sh"
             << "-c" << full;
        break;
    case Keyring::NoBus:
        program = QStringLiteral("sh");
        args << "-c" << full;
        break;
    case Keyring::Locked:
        args << "--"
             << "sh"
             << "-c" << full;
        break;
    }
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return QStringLiteral("hangs");
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QString noService =
    QStringLiteral("Es läuft kein Schlüsselbund-Dienst (ein Secret Service wie der "
                   "GNOME-Schlüsselbund oder KWallet). Natalix legt Passwörter nirgends sonst "
                   "ab.");
const QString notWritten = QStringLiteral("Das Passwort wurde nicht gespeichert: ");
const QString notRead =
    QStringLiteral("Das Passwort kann nicht aus dem Schlüsselbund gelesen werden: ");
const QString notRemoved =
    QStringLiteral("Das Passwort kann nicht aus dem Schlüsselbund entfernt werden: ");

} // namespace

Q_DECLARE_METATYPE(Keyring)

class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    void operations_data() {
        QTest::addColumn<Keyring>("keyring");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("output");
        const QString probe = QStringLiteral("\"$PROBE\" ");
        const QString lookup =
            QStringLiteral("; secret-tool lookup server Natalix user probe; echo; ");
        QTest::newRow("stored, read back, read by another client, replaced, removed")
            << Keyring::Unlocked
            << probe + "read write:geheim read" + lookup + probe +
                   "write:'geheim ä \"x\"' read remove read remove"
            << "NotFound||\nOk||\nOk|geheim|\ngeheim\nOk||\nOk|geheim ä \"x\"|\nOk||\n"
               "NotFound||\nOk||\nin no file\n";
        const QString refused = "NoService||" + notWritten + noService + "\nNoService||" + notRead +
                                noService + "\nNoService||" + notRemoved + noService +
                                "\nin no file\n";
        QTest::newRow("a bus without a keyring service")
            << Keyring::BareBus << probe + "write:geheim read remove" << refused;
        QTest::newRow("no session bus")
            << Keyring::NoBus << probe + "write:geheim read remove" << refused;
    }
    void operations() {
        QFETCH(Keyring, keyring);
        QFETCH(QString, script);
        QFETCH(QString, output);
        QCOMPARE(run(keyring, script), output);
    }

    // A keyring service that runs but was never unlocked refuses in its own words; the
    // password is not stored anywhere else.
    void lockedKeyring() {
        const QString out = run(Keyring::Locked, "\"$PROBE\" write:geheim read");
        const QStringList lines = out.split(u'\n');
        QVERIFY2(lines.size() == 4, qPrintable(out));
        QVERIFY2(lines[0].startsWith("Failed||" + notWritten + "Der Schlüsselbund meldet: ") ||
                     lines[0].startsWith("Denied||" + notWritten),
                 qPrintable(out));
        QVERIFY2(lines[1].startsWith("NotFound||") || lines[1].startsWith("Failed||"),
                 qPrintable(out));
        QCOMPARE(lines[2], "in no file");
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "test_keyring.moc"
