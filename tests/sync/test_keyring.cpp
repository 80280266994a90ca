#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString support = QStringLiteral(NATALIX_TEST_SOURCES "/support");

// Where the probe looks for a keyring: a bus that cannot start one, or no bus at all.
enum class Bus { Bare, None };

// The probe's lines, and whether the password ended up in any file below HOME.
QString run(Bus bus, const QString& ops) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    for (const char* name :
         {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        env.insert(QString::fromLatin1(name), home.path());
    const QString script = QStringLiteral(NATALIX_KEYRING_PROBE " ") + ops +
                           "; grep -rqa geheim \"$HOME\" && echo in a file || echo in no file";
    const QStringList args =
        bus == Bus::None
            ? QStringList{"-c", script}
            : QStringList{"--config-file", support + "/bare-session.conf", "--", "sh", "-c",
                          script};
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(bus == Bus::None ? "sh" : "dbus-run-session", args);
    if (!p.waitForFinished(45000)) {
        p.kill();
        p.waitForFinished(5000);
        return QStringLiteral("hangs");
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QString noServiceText = QStringLiteral(
    "Es läuft kein Schlüsselbund-Dienst (ein Secret Service wie der GNOME-Schlüsselbund oder "
    "KWallet). Natalix legt Passwörter nirgends sonst ab.");
const QString notWritten = QStringLiteral("Das Passwort wurde nicht gespeichert: ");

} // namespace

Q_DECLARE_METATYPE(Bus)

// Storing and reading on a working keyring is checked by test_sync through the
// options page; here where no keyring can take the password.
class TestKeyring : public QObject {
    Q_OBJECT
private slots:
    void noService_data() {
        QTest::addColumn<Bus>("bus");
        QTest::newRow("a bus without a keyring service") << Bus::Bare;
        QTest::newRow("no session bus") << Bus::None;
    }
    void noService() {
        QFETCH(Bus, bus);
        QCOMPARE(run(bus, "write:geheim read remove"),
                 "NoService||" + notWritten + noServiceText +
                     "\nNoService||Das Passwort kann nicht aus dem Schlüsselbund gelesen werden: " +
                     noServiceText +
                     "\nNoService||Das Passwort kann nicht aus dem Schlüsselbund entfernt "
                     "werden: " +
                     noServiceText + "\nin no file\n");
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "test_keyring.moc"
