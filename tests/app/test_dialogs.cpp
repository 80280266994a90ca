#include "app/frmmain.h"
#include "contacts/frmkontakte.h"
#include "extras/frmnaechste.h"
#include "reminder/frmmeldung.h"
#include "reminder/reminderscan.h"
#include "support/windowharness.h"
#include "ui/qtservices.h"
#include "ui/widgets.h"

#include <QtTest>
#include <QtWidgets>

#include <map>

using namespace natalix;
using namespace natalix::test;

namespace {

using Look = std::function<void(QWidget&)>;

// Opens one of the program's windows the way the user does and lets `look` at it while it
// is shown. Anna's birthday is today, so a scan brings up the reminder window.
void openWindow(WindowHarness& h, const QString& which, const Look& look) {
    FrmMain& w = h.window();
    const std::map<QString, std::function<void()>> opens{
        {"options", [&] { w.mnuExtrasoptionen->trigger(); }},
        {"print", [&] { h.services.answerPrinter(true), w.mnuDateidrucken->trigger(); }},
        {"about", [&] { w.mnuUeberdennatalix->trigger(); }},
        {"bulk change", [&] { w.cmdDatensaetzeaendern->click(); }},
        {"properties", [&] { w.mnuDateieigenschaften->trigger(); }}};
    if (opens.count(which)) {
        h.services.answerDialog([&](QDialog& d) { return look(d), int(QDialog::Rejected); });
        opens.at(which)();
    } else if (which == u"main") {
        w.show();
        look(w);
    } else if (which == u"upcoming" || which == u"contacts") {
        const ImportPlan nothing;
        const std::unique_ptr<QWidget> d(which == u"upcoming"
                                             ? static_cast<QWidget*>(new FrmNaechste(30, &w))
                                             : new FrmKontakte(nothing, 0, 1, &w));
        d->show();
        look(*d);
    } else if (which == u"reminder") {
        w.Timer1->stop();
        h.finishSplash();
        w.timer1Tick();
        QWidget* reminder = h.services.shownWindows.value(0);
        QVERIFY(reminder);
        look(*reminder);
        reminder->close();
    } else { // the weekday and every other message: a real box of the platform services
        QTimer poll;
        bool looked = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                looked = true, look(*box), box->done(QMessageBox::Ok);
        });
        poll.start(20);
        MessageRequest m;
        m.text = QStringLiteral("Anna Beispiel ist an einem Freitag geboren.");
        m.onTop = true;
        QtServices().message(m);
        QVERIFY(looked);
    }
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
}

// The name a screen reader gets.
QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The access key that leads to a control, and what gives it: the control's own caption, its
// label's, or for an option the frame's, which leads to the checked one.
std::pair<QString, QObject*> accessKey(QWidget& top, QWidget* w) {
    const auto key = [](const QString& text) { return QKeySequence::mnemonic(text).toString(); };
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && !key(b->text()).isEmpty())
        return {key(b->text()), b};
    for (QLabel* l : top.findChildren<QLabel*>())
        if (l->buddy() == w && l->isVisibleTo(&top))
            return {key(l->text()), l};
    if (auto* frame = qobject_cast<QGroupBox*>(w->parentWidget());
        frame && qobject_cast<QRadioButton*>(w))
        return {key(frame->title()), frame};
    return {};
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // Each window as it should be: the dialogs ("f") of one size, with a title and a close
    // button only; every input ("n") saying what it is, the listed ones by the label shown
    // next to them; every control ("k") reached by an access key, and no two keys clashing.
    void windows_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("checks");
        QTest::addColumn<QStringList>("names"); // objectName=name, split at '|'
        const auto row = [](const char* window, const char* checks, const QString& names) {
            QTest::newRow(window) << window << checks << names.split(u'|', Qt::SkipEmptyParts);
        };
        const QString reminders = "cboErinnerungsbeginn=Beginn der Erinnerungen|"
                                  "cboErinnerungszyklus=Zyklus der Erinnerungen|";
        const QString dialogBoxes = reminders + "cbo1Erinnerung=1. Erinnerung|"
                                                "cbo2Erinnerung=2. Erinnerung|"
                                                "cbo3Erinnerung=3. Erinnerung|";
        row("main", "n",
            reminders + "txtName=Name|cboJahr=Geburtsjahr|cboMonat=Geburtsmonat|"
                        "cboTag=Geburtstag|cboErsteerinnerung=1. Erinnerung|"
                        "cboZweiteerinnerung=2. Erinnerung|cboDritteerinnerung=3. Erinnerung|"
                        "cmdAuswahlErster=Erster Datensatz|cmdAuswahlVorher=Vorheriger Datensatz|"
                        "cmdAuswahlNaechster=Nächster Datensatz|"
                        "cmdAuswahlLetzter=Letzter Datensatz|DataGrid1=Geburtstagsliste");
        row("options", "fnk",
            dialogBoxes + "optOptionalteanzeigehauptfenster=Datums-Anzeige im Hauptfenster: "
                          "alte Anzeige (22.12.1971)|optOptionneueanzeigedrucken=Datums-Anzeige "
                          "beim Drucken: neue Anzeige (1971-12-22)");
        row("bulk change", "fnk", dialogBoxes);
        row("print", "fnk",
            "txtExemplare=Anzahl Exemplare|cmdMinus=Ein Exemplar weniger|"
            "cmdPlus=Ein Exemplar mehr");
        row("reminder", "n", "txtErinnerung=Geburtstage|Picture1=Geburtstagstorte");
        row("about", "fnk", "picIcon=Programm-Symbol|Image1=Natalix-Bild");
        row("properties", "fk", "");
        row("message box", "f", "");
        row("upcoming", "k", "cboZeitraum=Zeitraum|lstGeburtstage=Nächste Geburtstage");
        row("contacts", "k", "");
    }
    void windows() {
        QFETCH(QString, window);
        QFETCH(QString, checks);
        QFETCH(QStringList, names);
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(2, QStringLiteral("Bernd Muster"), 1975, 8, 1)});
        QStringList wrong;
        int inputs = 0;
        openWindow(h, window, [&](QWidget& top) {
            const Qt::WindowFlags f = top.windowFlags();
            if (checks.contains(u'f') &&
                (top.windowType() != Qt::Dialog || top.minimumSize() != top.maximumSize() ||
                 !f.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint) ||
                 f.testAnyFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                Qt::WindowContextHelpButtonHint)))
                wrong << QStringLiteral("not a dialog of one size");
            for (const QString& pair : names) {
                auto* w = top.findChild<QWidget*>(pair.section(u'=', 0, 0));
                if (!w || accessibleName(w) != pair.section(u'=', 1))
                    wrong << pair + QStringLiteral(": ") + (w ? accessibleName(w) : "<missing>");
            }
            std::map<QString, QObject*> keys;
            for (QWidget* w : top.findChildren<QWidget*>()) {
                if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&top))
                    continue;
                ++inputs;
                // A combo box's own name, not its value; a button may be named by its text.
                const QString name =
                    qobject_cast<QComboBox*>(w) ? w->accessibleName() : accessibleName(w);
                if (checks.contains(u'n') && !name.contains(QRegularExpression(u"\\p{L}"_qs)))
                    wrong << w->objectName() + QStringLiteral(" without a name");
                // The tab bar answers Ctrl+Tab; a combo box's text field is the box's.
                if (!checks.contains(u'k') || !(w->focusPolicy() & Qt::TabFocus) ||
                    qobject_cast<QTabBar*>(w) || w->focusProxy())
                    continue;
                const auto [key, giver] = accessKey(top, w);
                if (key.isEmpty())
                    wrong << w->objectName() + QStringLiteral(" without a key");
                else if (keys.count(key) && keys[key] != giver)
                    wrong << key + QStringLiteral(" twice: ") + w->objectName();
                keys[key] = giver;
            }
        });
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
        QVERIFY(inputs >= 1);
    }

    // The reminder window takes the keyboard, but keys typed as it appears are held back (an
    // Enter meant for another window must not dismiss it unseen); after its first second
    // Enter or Escape answers it. It grows with its lines up to most of the screen's height,
    // then scrolls, and the user may resize it.
    void reminderWindow_data() {
        QTest::addColumn<int>("reminders");
        QTest::addColumn<int>("key");
        QTest::newRow("three, Enter") << 3 << int(Qt::Key_Return);
        QTest::newRow("forty, Escape") << 40 << int(Qt::Key_Escape);
    }
    void reminderWindow() {
        QFETCH(int, reminders);
        QFETCH(int, key);
        QStringList lines;
        for (int i = 1; i <= reminders; ++i)
            lines << QStringLiteral("Person %1 wird morgen 45 Jahre alt ...").arg(i);
        FrmMeldung w(reminderWindowText(lines), 0, QDateTime(QDate(2025, 3, 7), QTime(9, 0)));
        QSignalSpy answered(&w, &QDialog::finished);
        w.show();
        QTest::keyClick(w.Command1, Qt::Key(key));
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        QVERIFY(w.isVisible() && answered.isEmpty());

        QPlainTextEdit* box = w.txtErinnerung;
        const int screen = w.screen()->availableGeometry().height();
        const int lineSpacing = box->fontMetrics().lineSpacing();
        QCOMPARE(box->verticalScrollBar()->maximum() > 0, reminders == 40);
        QVERIFY(reminders == 40 ? w.frameGeometry().height() > screen * 3 / 4 &&
                                      w.frameGeometry().height() <= screen
                                : box->viewport()->height() >= (2 * reminders + 1) * lineSpacing);
        const QSize other(w.width() + 80, w.height() + 2 * lineSpacing);
        w.resize(other);
        QCOMPARE(w.size(), other);

        QTRY_VERIFY(!w.keysHeldBack());
        QTest::keyClick(w.Command1, Qt::Key(key));
        QCOMPARE(answered.value(0).value(0).toInt(),
                 key == Qt::Key_Escape ? int(QDialog::Rejected) : int(QDialog::Accepted));
        QCOMPARE(answered.size(), 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
