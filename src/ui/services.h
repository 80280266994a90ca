#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace natalix {

// Answers of a message box, as the program's commands compare them.
namespace answer {
constexpr int ok = 1;
constexpr int cancel = 2;
constexpr int retry = 4;
constexpr int yes = 6;
constexpr int no = 7;
} // namespace answer

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Information, Exclamation, Critical };

struct MessageRequest {
    QString text;
    QString title; // empty: the program's title "Natalix"
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    int defaultButton = 0; // one of the answers; 0: the first button
    bool onTop = false;    // stays in front of every window until answered
};

// A question to confirm a change of records: Yes/No, exclamation, No as default.
inline MessageRequest confirmChange(const QString& text, const QString& title) {
    MessageRequest m;
    m.text = text;
    m.title = title;
    m.buttons = Buttons::YesNo;
    m.icon = Icon::Exclamation;
    m.defaultButton = answer::no;
    return m;
}

struct FileDialogRequest {
    QString title;
    QString filter;        // "Natalix-Database (*.nxd)"
    QString defaultSuffix; // "nxd"
    QString fileName;      // preset, may hold a full path
    QString folder;        // where to open when no path is preset
    bool confirmOverwrite = true;
};

// A one-line text asked of the user (an input box with OK and Abbrechen).
struct InputRequest {
    QString prompt;
    QString title; // empty: the program's title "Natalix"
    QString text;  // offered, selected
};

// Everything a test must control or observe: dialogs, clock, clipboard, shell, events.
class Services {
public:
    virtual ~Services() = default;

    virtual int message(const MessageRequest& request) = 0;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // The text entered, or nothing when the user cancelled.
    virtual std::optional<QString> inputText(const InputRequest& request) = 0;
    // Runs one of the program's own modal windows; returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;
    // Shows a window that lives on its own, without waiting for it; it deletes itself when
    // it is closed.
    virtual void showWindow(QWidget* window) = 0;
    // The system print dialog: false when cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;

    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }

    virtual void clipboardClear() = 0;
    virtual void clipboardSetText(const QString& text) = 0;
    virtual bool clipboardHasText() = 0;
    virtual QString clipboardText() = 0;

    virtual bool shellOpen(const QString& pathOrUrl) = 0;
    virtual bool startProgram(const QString& program) = 0;
    virtual void processEvents() = 0;
};

} // namespace natalix
