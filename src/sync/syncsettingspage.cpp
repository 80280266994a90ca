#include "sync/syncsettingspage.h"

#include "sync/syncwindow.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace natalix {

namespace {

QLineEdit* field(QWidget* parent, const char* name, const QString& accessible, const QString& tip) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessible);
    e->setToolTip(tip);
    return e;
}

} // namespace

SyncSettingsPage::SyncSettingsPage(SyncHost& host, QWidget* parent)
    : QWidget(parent), m_host(host) {
    setObjectName(QStringLiteral("SyncSettingsPage"));
    setWindowTitle(caption());

    txtAdressbuch = field(
        this, "txtAdressbuch", QStringLiteral("Adresse des Adressbuchs"),
        QStringLiteral("Die Adresse (http:// oder https://) Ihres CardDAV-Adressbuchs oder "
                       "Ihres Servers: die Geburtstage der Kontakte kommen in die Liste ..."));
    txtKalender =
        field(this, "txtKalender", QStringLiteral("Adresse des Kalenders"),
              QStringLiteral("Die Adresse (http:// oder https://) eines CalDAV-Kalenders: Natalix "
                             "trägt dort die Geburtstage mit ihren Erinnerungen ein ..."));
    txtBenutzer = field(this, "txtBenutzer", QStringLiteral("Benutzername"),
                        QStringLiteral("Ihr Benutzername beim Server von Adressbuch und "
                                       "Kalender ..."));
    txtPasswort = field(this, "txtPasswort", QStringLiteral("Passwort"),
                        QStringLiteral("Ihr Passwort beim Server; es wird nur im "
                                       "Schlüsselbund des Systems gespeichert ..."));
    txtPasswort->setEchoMode(QLineEdit::Password);
    connect(txtPasswort, &QLineEdit::textChanged, this, [this] { m_passwordEdited = true; });

    cmdJetztabgleichen = new QPushButton(QStringLiteral("&Jetzt abgleichen"), this);
    cmdJetztabgleichen->setObjectName(QStringLiteral("cmdJetztabgleichen"));
    cmdJetztabgleichen->setAccessibleName(QStringLiteral("Jetzt abgleichen"));
    cmdJetztabgleichen->setToolTip(
        QStringLiteral("Gleicht die Liste sofort mit dem Adressbuch und dem Kalender ab, mit "
                       "den Angaben dieser Seite ..."));
    connect(cmdJetztabgleichen, &QPushButton::clicked, this,
            &SyncSettingsPage::cmdJetztabgleichen_Click);

    ProgressBarAbgleich = new QProgressBar(this);
    ProgressBarAbgleich->setObjectName(QStringLiteral("ProgressBarAbgleich"));
    ProgressBarAbgleich->setAccessibleName(QStringLiteral("Fortschritt des Abgleichs"));
    ProgressBarAbgleich->setRange(0, 0); // runs without an end known in advance
    ProgressBarAbgleich->setTextVisible(false);
    ProgressBarAbgleich->setVisible(false);

    lblAbgleich = new QLabel(this);
    lblAbgleich->setObjectName(QStringLiteral("lblAbgleich"));
    lblAbgleich->setAccessibleName(QStringLiteral("Ergebnis des Abgleichs"));
    lblAbgleich->setWordWrap(true);
    lblAbgleich->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"&Adressbuch:", txtAdressbuch},
                                                       {"&Kalender:", txtKalender},
                                                       {"&Benutzer:", txtBenutzer},
                                                       {"&Passwort:", txtPasswort}};
    for (const auto& [text, edit] : rows) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(edit);
        form->addRow(label, edit);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(cmdJetztabgleichen, 0, Qt::AlignLeft);
    layout->addWidget(ProgressBarAbgleich);
    layout->addWidget(lblAbgleich);
    layout->addStretch();

    connect(&m_host, &SyncHost::started, this, [this] { showRunning(true); });
    connect(&m_host, &SyncHost::progress, this, &SyncSettingsPage::syncStep);
    connect(&m_host, &SyncHost::finished, this, &SyncSettingsPage::syncFinished);
    showRunning(m_host.isRunning());
}

void SyncSettingsPage::load() {
    const SyncAccount a = m_host.storedAccount();
    txtAdressbuch->setText(a.addressBook);
    txtKalender->setText(a.calendar);
    txtBenutzer->setText(a.user);
    txtPasswort->clear();
    m_storedConfigured = a.configured();
    txtPasswort->setPlaceholderText(m_storedConfigured ? QStringLiteral("unverändert") : QString());
    m_passwordEdited = false;
}

SyncAccount SyncSettingsPage::enteredAccount() const {
    SyncAccount a;
    a.addressBook = txtAdressbuch->text().trimmed();
    a.calendar = txtKalender->text().trimmed();
    a.user = txtBenutzer->text();
    a.password = txtPasswort->text();
    return a;
}

bool SyncSettingsPage::apply() {
    const SyncAccount a = enteredAccount();
    QStringList problems;
    const std::pair<QString, QString> urls[] = {{QStringLiteral("Adressbuch"), a.addressBook},
                                                {QStringLiteral("Kalender"), a.calendar}};
    for (const auto& [what, text] : urls) {
        QString error;
        if (!text.isEmpty())
            parseServerUrl(text, &error);
        if (!error.isEmpty())
            problems << what + QStringLiteral(": ") + error;
    }
    if (!problems.isEmpty()) {
        showStatus(problems.join(u'\n'));
        return false;
    }
    // A typed password replaces the stored one; without an account none is kept.
    const bool typed = m_passwordEdited && !a.password.isEmpty();
    const bool dropped = !a.configured() && m_storedConfigured;
    QString error;
    if (!m_host.saveAccount(typed ? a : SyncAccount{a.addressBook, a.calendar, a.user, {}},
                            typed || dropped, &error)) {
        showStatus(error);
        return false;
    }
    m_storedConfigured = a.configured();
    return true;
}

void SyncSettingsPage::cmdJetztabgleichen_Click() {
    if (m_host.isRunning() || m_readingPassword) {
        showStatus(QStringLiteral("Ein Abgleich läuft bereits."));
        return;
    }
    m_keyringNote.clear();
    SyncAccount account = enteredAccount();
    if (!account.configured() || (m_passwordEdited && !account.password.isEmpty())) {
        m_host.syncNow(account);
        return;
    }
    // No password typed: the stored one.
    m_readingPassword = true;
    showRunning(true);
    showStatus(QStringLiteral("Das Passwort wird aus dem Schlüsselbund gelesen ..."));
    m_host.readPassword(this, [this, account](const KeyringResult& r) mutable {
        m_readingPassword = false;
        account.password = r.password;
        if (!r.ok() && r.status != KeyringResult::Status::NotFound)
            m_keyringNote = r.message;
        if (!m_host.syncNow(account))
            showRunning(m_host.isRunning());
    });
}

void SyncSettingsPage::showRunning(bool running) {
    cmdJetztabgleichen->setEnabled(!running);
    ProgressBarAbgleich->setVisible(running);
}

void SyncSettingsPage::syncStep(const QString& step) {
    showStatus(step);
}

void SyncSettingsPage::syncFinished(const SyncReport& report) {
    showRunning(false);
    showStatus(report.ok || m_keyringNote.isEmpty() ? report.message
                                                    : report.message + u'\n' + m_keyringNote);
}

void SyncSettingsPage::showStatus(const QString& text) {
    lblAbgleich->setText(text);
}

} // namespace natalix
