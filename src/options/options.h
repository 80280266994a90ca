#pragma once

#include "table/record.h"

#include <QString>

namespace natalix {

// The user's options, kept in natalix.ini: eight lines, Windows-1252, CR LF.
struct Options {
    QString option1erinnerung = QStringLiteral("1 Woche vorher");
    QString option2erinnerung = QStringLiteral("1 Tag vorher");
    QString option3erinnerung = QStringLiteral("Am Tage des Geburtstages");
    QString optionabjahr = QStringLiteral("1. Geburtstag");
    QString optionzyklus = QStringLiteral("jährlich");
    double optiondatumsanzeigehauptfenster = 1; // 0 new (2025-3-7), 1 old (7.3.2025)
    int optiondatumsanzeigedrucken = 1;
    int programmwurdeerstmalsgestartet = 0;

    ReminderDefaults reminderDefaults() const;
    bool operator==(const Options&) const = default;
};

QString optionsFileName(); // "natalix.ini"

struct OptionsReadResult {
    Options options;
    bool fromFile = false; // false: the defaults, because the file was missing or short
};

// Reads the eight lines; a missing, short or unreadable file gives the defaults.
OptionsReadResult readOptionsFile(const QString& path);
QByteArray renderOptionsFile(const Options& options);

// Writes the file in place of the old one. On failure the German reason is returned in
// *error and the file that was there stays as it was.
bool writeOptionsFile(const QString& path, const Options& options, QString* error = nullptr);

// optioneneinlesen: the options of the data directory; after a read error the defaults are
// written back without a message. *writeError reports a failing write of that file. A data
// directory without an options file takes the installed one (`templatePath`, whose first-start
// flag is set), so that the first start after installation offers to save the sample list.
Options optioneneinlesen(const QString& path, QString* writeError = nullptr,
                         const QString& templatePath = QString());

} // namespace natalix
