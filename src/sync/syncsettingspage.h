#pragma once

#include "sync/keyring.h"
#include "sync/syncaccount.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace natalix {

class SyncController;
struct SyncReport;

// The options page "Adressbuch und Kalender": the two URLs, user and password, and
// "Jetzt abgleichen" with its progress and outcome. URLs and user go to the settings store,
// the password only to the keyring.
class SyncSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SyncSettingsPage(SyncController& controller, QWidget* parent = nullptr);

    static QString caption() { return QStringLiteral("Adressbuch und Kalender"); }

    // Shows the stored account; the password follows from the keyring (passwordRead).
    void load();
    // Stores what was entered. False, with the reason shown on the page, when a URL is no
    // http(s) address or the settings cannot be written; nothing is stored then.
    bool apply();
    // The account as entered, password included.
    SyncAccount enteredAccount() const;

    void cmdJetztabgleichen_Click();

    QLineEdit* txtAdressbuch = nullptr;
    QLineEdit* txtKalender = nullptr;
    QLineEdit* txtBenutzer = nullptr;
    QLineEdit* txtPasswort = nullptr;
    QPushButton* cmdJetztabgleichen = nullptr;
    QProgressBar* ProgressBarAbgleich = nullptr;
    QLabel* lblAbgleich = nullptr;

signals:
    void passwordRead(const natalix::KeyringResult& result);

private:
    void showRunning(bool running);
    void syncStep(const QString& step);
    void syncFinished(const SyncReport& report);
    void showStatus(const QString& text);

    SyncController& m_controller;
    QString m_storedPassword; // as last read from or written to the keyring
    bool m_passwordEdited = false;
};

} // namespace natalix
