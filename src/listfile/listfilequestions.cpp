#include "listfile/listfilequestions.h"

namespace natalix {

namespace {

QString readFailureText(int code) {
    const QString retry = QStringLiteral(
        " Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu lesen, oder "
        "'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    switch (code) {
    case filecode::badFileName:
        return QStringLiteral("Der Dateiname existiert nicht oder enthällt Zeichen, die nicht "
                              "zulässig sind.") +
               retry;
    case filecode::fileNotFound:
        return QStringLiteral("Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht "
                              "oder wurde falsch geschrieben.") +
               retry;
    case filecode::diskNotReady:
        return QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt.") + retry;
    case filecode::pathNotFound:
        return QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.") + retry;
    default:
        return QStringLiteral("Die Datei kann nicht vom Datenträger gelesen werden. Der "
                              "Datenträger ist möglicherweise nicht eingelegt oder die Datei "
                              "ist beschädigt oder existiert nicht.") +
               retry;
    }
}

QString diskFullText(int group) {
    return QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte "
               "den Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie "
               "bitte überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' "
               "um den Vorgang abzubrechen. ( %1 /")
        .arg(group);
}

QString cannotWriteText(int group) {
    return QStringLiteral(
               "Die Datei kann nicht auf den Datenträger geschrieben werden. Der Datenträger ist "
               "möglicherweise nicht eingelegt, beschädigt, voll oder schreibgeschützt. Die "
               "Datei wurde noch nicht gespeichert. Bitte wählen Sie 'Wiederholen' um zu "
               "versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um die Speicherung "
               "abzubrechen. ( %1 /")
        .arg(group);
}

QString openForWritingFailureText(int code) {
    const QString retry = QStringLiteral(
        " Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
        "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    switch (code) {
    case filecode::outOfMemory:
    case filecode::diskFull:
        return diskFullText(101);
    case filecode::badFileName:
        return QStringLiteral("Der Dateiname enthällt Zeichen, die nicht zulässig sind.") + retry;
    case filecode::diskNotReady:
        return QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt.") + retry;
    case filecode::pathNotFound:
        return QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.") + retry;
    default:
        return cannotWriteText(101);
    }
}

QString writeFailureText(int code) {
    if (code == filecode::outOfMemory || code == filecode::diskFull)
        return diskFullText(103);
    return cannotWriteText(103);
}

// Every message of these commands is a warning under the program's title.
MessageRequest warning(const QString& text, Buttons buttons) {
    MessageRequest m;
    m.text = text;
    m.buttons = buttons;
    m.icon = Icon::Exclamation;
    return m;
}

} // namespace

QString fileFailureMessage(int group, const FileError& error) {
    QString text;
    switch (group) {
    case 101:
        text = openForWritingFailureText(error.code);
        break;
    case 102:
        text = readFailureText(error.code);
        break;
    default:
        text = writeFailureText(error.code);
        break;
    }
    return text + QStringLiteral(" %1 : %2 )").arg(error.code).arg(error.description);
}

MessageRequest fileFailureQuestion(int group, const FileError& error) {
    return warning(fileFailureMessage(group, error), Buttons::RetryCancel);
}

MessageRequest brokenListMessage(const QString& error) {
    return warning(error, Buttons::Ok);
}

FileDialogRequest listFileDialog(const QString& title, const QString& fileName,
                                 const QString& folder, bool confirmOverwrite) {
    FileDialogRequest d;
    d.title = title;
    d.filter = QStringLiteral("Natalix-Database (*.nxd)");
    d.defaultSuffix = QStringLiteral("nxd");
    d.fileName = fileName;
    d.folder = folder;
    d.confirmOverwrite = confirmOverwrite;
    return d;
}

Settle settleChanges(int dateiwurdegeaendert, const QString& dateinamemitpfad) {
    if (dateiwurdegeaendert != 1)
        return Settle::proceed;
    // A named list is saved without asking; the command goes on whatever came of it.
    return dateinamemitpfad.isEmpty() ? Settle::ask : Settle::save;
}

Settle settleAnswer(int answer) {
    if (answer == answer::no)
        return Settle::proceed;
    return answer == answer::yes ? Settle::saveAs : Settle::stop;
}

MessageRequest saveChangesQuestion() {
    return warning(QStringLiteral("Änderungen in Datei speichern?"), Buttons::YesNoCancel);
}

MessageRequest newListQuestion() {
    const QString paragraph = QStringLiteral("\n\r\n\r");
    MessageRequest m = warning(
        QStringLiteral("Neue Geburtstagsliste anlegen?") + paragraph +
            QStringLiteral("Wenn eine neue, leere Tabelle angelegt werden soll, klicken Sie auf "
                           "OK und die aktuell geladene Geburtstags-Liste wird gelöscht! Die "
                           "Tabelle können Sie aber mit \"Datei / Geburtstagsliste öffnen\" "
                           "wieder einlesen, sofern sie vorher gespeichert wurde.") +
            paragraph +
            QStringLiteral("Unter \"Datei / Eigenschaften\" können Sie nachsehen, ob und wo die "
                           "Datei gespeichert wurde.") +
            paragraph + QStringLiteral("Soll die Gebutstags-Liste wirklich gelöscht werden?"),
        Buttons::OkCancel);
    m.defaultButton = answer::cancel;
    return m;
}

} // namespace natalix
