#include "sync/synccontroller.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "contacts/contactimport.h"
#include "reminder/remindercore.h"
#include "sync/calendarsync.h"
#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "ui/services.h"

#include <QTimer>

namespace natalix {

namespace {

constexpr int tableWaitPollMs = 200;
const QString title = QStringLiteral("Adressbuch und Kalender");
const QString credentialsHere = QStringLiteral("Optionen, Seite \"Adressbuch und Kalender\"");

} // namespace

SyncController::SyncController(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context), m_keyring(new Keyring(keyringService(), this)),
      m_reminders(&context.reminders), m_tableWait(new QTimer(this)),
      m_scanLimit(new QTimer(this)) {
    setObjectName(QStringLiteral("SyncController"));
    m_tableWait->setSingleShot(true);
    m_tableWait->setInterval(tableWaitPollMs);
    connect(m_tableWait, &QTimer::timeout, this, &SyncController::startWhenTableFree);
    m_scanLimit->setSingleShot(true);
    // A slow server delays the day's reminders by this much at most; the sync goes on.
    connect(m_scanLimit, &QTimer::timeout, this, &SyncController::releaseScan);
}

SyncController::~SyncController() {
    releaseScan();
}

SyncAccount SyncController::storedAccount() {
    return loadSyncAccount(m_ctx.settings);
}

bool SyncController::saveAccount(const SyncAccount& account, bool passwordChanged, QString* error) {
    if (!saveSyncAccount(m_ctx.settings, account, error))
        return false;
    if (!passwordChanged)
        return true;
    const QString key = passwordKey(m_ctx.dataDir);
    const QString password = account.password;
    auto report = [this](const QString& text) {
        MessageRequest m;
        m.text = text;
        m.title = title;
        m.icon = Icon::Exclamation;
        m_ctx.services.message(m);
    };
    if (password.isEmpty()) {
        m_sessionPassword.reset();
        m_keyring->remove(key, this, [this, report](const KeyringResult& r) {
            if (!r.ok() && r.status != KeyringResult::Status::NotFound)
                report(r.message);
            emit passwordStored(r);
        });
        return true;
    }
    m_keyring->write(key, password, this, [this, report, password](const KeyringResult& r) {
        if (r.ok()) {
            m_sessionPassword.reset();
        } else {
            m_sessionPassword = password;
            report(r.message + QStringLiteral("\n\nBis Natalix beendet wird, gilt das "
                                              "eingegebene Passwort für den Abgleich."));
        }
        emit passwordStored(r);
    });
    return true;
}

void SyncController::readPassword(QObject* context, Keyring::Done done) {
    if (m_sessionPassword) {
        KeyringResult r;
        r.status = KeyringResult::Status::Ok;
        r.password = *m_sessionPassword;
        QTimer::singleShot(0, context, [done = std::move(done), r] { done(r); });
        return;
    }
    m_keyring->read(passwordKey(m_ctx.dataDir), context, std::move(done));
}

bool SyncController::syncNow(const SyncAccount& account) {
    return begin(account, Trigger::Now);
}

void SyncController::dayBegan(const QDate& day) {
    SyncAccount account = storedAccount();
    if (!account.configured())
        return;
    holdScan();
    // A sync under way (started by hand a moment ago) counts for today; the scan waits
    // for it, within the same limit.
    if (m_running)
        return;
    m_day = day;
    begin(account, Trigger::Daily);
}

bool SyncController::begin(const SyncAccount& account, Trigger trigger) {
    if (m_running)
        return false;
    m_running = true;
    m_trigger = trigger;
    m_account = account;
    m_report = {};
    m_report.ok = true;
    m_lines.clear();
    m_keyringNote.clear();
    m_allowRemovals = false;
    emit started();
    if (!account.configured()) {
        m_report.ok = false;
        m_lines << QStringLiteral("Weder ein Adressbuch noch ein Kalender ist eingetragen.");
        complete();
        return true;
    }
    if (trigger == Trigger::Now) {
        startWhenTableFree();
        return true;
    }
    emit progress(QStringLiteral("Das Passwort wird aus dem Schlüsselbund gelesen ..."));
    readPassword(this, [this](const KeyringResult& r) {
        m_account.password = r.password;
        if (!r.ok() && r.status != KeyringResult::Status::NotFound)
            m_keyringNote = r.message;
        startWhenTableFree();
    });
    return true;
}

bool SyncController::tableBusy() const {
    return m_ctx.cursor.store().inTransaction() || m_ctx.busy.isBusy() ||
           m_ctx.state.testengesperrt == 1;
}

void SyncController::startWhenTableFree() {
    if (tableBusy()) {
        emit progress(QStringLiteral("Der Abgleich wartet, bis die Arbeit an der Liste "
                                     "beendet ist ..."));
        m_tableWait->start();
        return;
    }
    runContacts();
}

void SyncController::runContacts() {
    if (m_account.addressBook.trimmed().isEmpty()) {
        runCalendar();
        return;
    }
    QString error;
    const QUrl url = parseServerUrl(m_account.addressBook, &error).adjusted(QUrl::RemoveUserInfo);
    if (!url.isValid()) {
        m_report.ok = false;
        m_lines << QStringLiteral("Adressbuch: ") + error;
        runCalendar();
        return;
    }
    emit progress(QStringLiteral("Das Adressbuch wird abgeglichen ..."));
    m_contacts = new ContactSync(m_ctx.cursor.store(),
                                 importRulesReader(m_ctx.state.options.reminderDefaults()),
                                 isSameBirthday, this);
    DavClient& client = m_contacts->client();
    client.setCredentials(m_account.user, m_account.password);
    client.setCredentialsSource(credentialsHere);
    client.setTimeout(m_requestTimeoutMs);
    client.setDeliveryHold([this] { return tableBusy(); });
    m_contacts->setAllowRemovals(m_allowRemovals);
    m_contacts->setBeforeChange([this](QString* why) {
        return makeDailyBackup(m_ctx.cursor.store(), m_ctx.dataDir.path, m_ctx.services.today(),
                               why);
    });
    connect(m_contacts, &ContactSync::finished, this, &SyncController::contactsDone);
    m_contacts->start(url);
}

void SyncController::contactsDone(const ContactSyncOutcome& outcome) {
    if (m_contacts)
        m_contacts->deleteLater();
    if (outcome.heldRemovals > 0 && m_trigger == Trigger::Now) {
        // Asked once control is back in the event loop, not inside the sync's answer.
        QTimer::singleShot(0, this, [this, outcome] { askForRemovals(outcome); });
        return;
    }
    m_lines << outcome.message;
    if (outcome.heldRemovals > 0)
        m_lines << QStringLiteral("Mit \"Jetzt abgleichen\" (Optionen, Seite \"Adressbuch und "
                                  "Kalender\") lässt sich das Entfernen bestätigen.");
    if (!outcome.ok)
        m_report.ok = false;
    else if (outcome.listChanged())
        reloadList();
    runCalendar();
}

// Most of the address book gone at once is more often a server's mistake or another address
// book than the user's wish: the records go only with the user's word, "Nein" preset.
void SyncController::askForRemovals(const ContactSyncOutcome& outcome) {
    MessageRequest m;
    m.text = QStringLiteral("Im Adressbuch %1 fehlen %2 von %3 Kontakten, die mit Einträgen der "
                            "Liste verknüpft sind. Vielleicht wurde das Adressbuch geleert oder "
                            "die Adresse zeigt auf ein anderes.\n\nSollen diese %2 Einträge aus "
                            "der Liste entfernt werden?")
                 .arg(outcome.book.toString(QUrl::RemoveUserInfo))
                 .arg(outcome.heldRemovals)
                 .arg(outcome.linkedRecords);
    m.title = title;
    m.buttons = Buttons::YesNo;
    m.icon = Icon::Exclamation;
    m.defaultButton = 7;
    if (m_ctx.services.message(m) == 6) {
        m_allowRemovals = true;
        startWhenTableFree();
        return;
    }
    m_report.ok = false;
    m_lines << outcome.message;
    runCalendar();
}

void SyncController::reloadList() {
    Cursor& c = m_ctx.cursor;
    // An edit in progress is kept: it is stored as if the user had moved on, then the rows
    // are read again.
    if (c.hasPendingChanges()) {
        m_ctx.form.datensatzpruefen();
        c.update();
    }
    if (!c.reload()) {
        m_report.ok = false;
        m_lines << QStringLiteral("Die Liste konnte nach dem Abgleich nicht neu gelesen werden "
                                  "(%1).")
                       .arg(c.lastError());
        return;
    }
    m_report.listChanged = true;
    // The window's form and grid follow the cursor's own signals.
    m_ctx.state.dateiwurdegeaendert = 1;
    emit listReloaded();
}

void SyncController::runCalendar() {
    if (m_account.calendar.trimmed().isEmpty()) {
        complete();
        return;
    }
    QString error;
    const QUrl url = parseServerUrl(m_account.calendar, &error).adjusted(QUrl::RemoveUserInfo);
    if (!url.isValid()) {
        m_report.ok = false;
        m_lines << QStringLiteral("Kalender: ") + error;
        complete();
        return;
    }
    emit progress(QStringLiteral("Der Kalender wird abgeglichen ..."));
    const QDateTime now = m_ctx.services.now();
    m_calendar = new CalendarSync(
        m_ctx.cursor.store(),
        CalendarContext{now.date(), now, m_ctx.state.options.optiondatumsanzeigehauptfenster},
        this);
    DavClient& client = m_calendar->client();
    client.setCredentials(m_account.user, m_account.password);
    client.setCredentialsSource(credentialsHere);
    client.setTimeout(m_requestTimeoutMs);
    client.setDeliveryHold([this] { return tableBusy(); });
    connect(m_calendar, &CalendarSync::finished, this, &SyncController::calendarDone);
    m_calendar->start(url);
}

void SyncController::calendarDone(const CalendarSyncOutcome& outcome) {
    m_lines << outcome.message;
    if (!outcome.ok)
        m_report.ok = false;
    if (m_calendar)
        m_calendar->deleteLater();
    complete();
}

void SyncController::complete() {
    if (!m_report.ok && !m_keyringNote.isEmpty())
        m_lines << m_keyringNote;
    m_report.message = m_lines.join(u'\n');
    m_running = false;
    const SyncReport report = m_report;
    emit finished(report);
    if (m_trigger == Trigger::Daily && !report.ok)
        showDailyFailure(report.message);
    releaseScan();
}

void SyncController::holdScan() {
    if (m_scanHeld || !m_reminders)
        return;
    m_scanHeld = true;
    m_reminders->hold();
    m_scanLimit->start(m_scanWaitLimitMs);
}

void SyncController::releaseScan() {
    if (!m_scanHeld)
        return;
    m_scanHeld = false;
    m_scanLimit->stop();
    if (m_reminders)
        m_reminders->release();
}

void SyncController::showDailyFailure(const QString& message) {
    if (m_failureShownFor == m_day)
        return;
    m_failureShownFor = m_day;
    // Shown once control is back in the event loop: the sync's objects are gone by then.
    QTimer::singleShot(0, this, [this, message] {
        MessageRequest m;
        m.text = QStringLiteral("Der tägliche Abgleich mit Adressbuch und Kalender ist "
                                "gescheitert.\n\n") +
                 message;
        m.title = title;
        m.icon = Icon::Exclamation;
        m_ctx.services.message(m);
    });
}

} // namespace natalix
