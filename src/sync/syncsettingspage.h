#pragma once

#include "sync/keyring.h"
#include "sync/syncaccount.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace natalix {

class SyncHost;
struct SyncReport;

// The options page "Adressbuch und Kalender": the two URLs, user and password, and
// "Jetzt abgleichen" with its progress and outcome. URLs and user go to the settings store,
// the password only to the keyring, which is asked only when a password is stored, removed or
// needed for a sync: opening the options never wakes it (it may ask to be unlocked). So the
// password field starts empty and means "unchanged" until something is typed into it.
class SyncSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SyncSettingsPage(SyncHost& host, QWidget* parent = nullptr);

    static QString caption() { return QStringLiteral("Adressbuch und Kalender"); }

    // Shows the stored account, without its password.
    void load();
    // Stores what was entered: a typed password replaces the stored one; an account without
    // address book and calendar takes the stored password out of the keyring. False, with the
    // reason shown on the page, when a URL is no http(s) address or the settings cannot be
    // written; nothing is stored then.
    bool apply();
    // The account as entered; the password only when one was typed.
    SyncAccount enteredAccount() const;

    void cmdJetztabgleichen_Click();

    QLineEdit* txtAdressbuch = nullptr;
    QLineEdit* txtKalender = nullptr;
    QLineEdit* txtBenutzer = nullptr;
    QLineEdit* txtPasswort = nullptr;
    QPushButton* cmdJetztabgleichen = nullptr;
    QProgressBar* ProgressBarAbgleich = nullptr;
    QLabel* lblAbgleich = nullptr;

private:
    void showRunning(bool running);
    void syncStep(const QString& step);
    void syncFinished(const SyncReport& report);
    void showStatus(const QString& text);

    SyncHost& m_host;
    bool m_storedConfigured = false; // an account was stored when the page was filled
    bool m_passwordEdited = false;
    bool m_readingPassword = false; // for "Jetzt abgleichen"
    QString m_keyringNote;          // why the stored password could not be read for it
};

} // namespace natalix
