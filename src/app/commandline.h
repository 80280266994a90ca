#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace natalix {

QString programVersion(); // "1.2.0"

struct CommandLine {
    enum class Mode {
        Window,
        Import,
        Export,
        Scan,
        ImportContacts,
        ExportIcs,
        Help,
        Version,
        Invalid
    };
    Mode mode = Mode::Window;
    QString file;
    QString dataDir;
    bool autoStart = false; // "/auto" anywhere in the command line (case-sensitive)
    QString error;
};

CommandLine parseCommandLine(const QStringList& arguments); // without the program name
QString commandLineHelp();

// Runs --import, --export, --scan, --help and --version; returns the exit status.
int runCommandLine(const CommandLine& cl);

// The clock of the program. NATALIX_NOW (ISO date and time) sets it for tests.
QDateTime programNow();

} // namespace natalix
