#include "support/scriptedservices.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPrinter>
#include <QtTest>

namespace natalix::test {

ScriptedServices::~ScriptedServices() {
    // Windows left open by a test, parentless or not yet deleted with their parent.
    for (const QPointer<QWidget>& w : shownWindows)
        delete w.data();
}

void ScriptedServices::fail(const QString& what) {
    if (unexpected.isEmpty())
        unexpected = what;
    qWarning("Unexpected dialog: %s", qPrintable(what));
}

bool ScriptedServices::allAnswered() const {
    return unexpected.isEmpty() && m_messageAnswers.empty() && m_openAnswers.empty() &&
           m_saveAnswers.empty() && m_inputAnswers.empty() && m_dialogHandlers.empty() &&
           m_printerAnswers.empty();
}

int ScriptedServices::message(const MessageRequest& request) {
    messages << request;
    if (onMessage)
        onMessage(request);
    return next(m_messageAnswers, QStringLiteral("message: ") + request.text, int(answer::cancel));
}

std::optional<QString> ScriptedServices::openFileName(const FileDialogRequest& request) {
    openRequests << request;
    return next(m_openAnswers, QStringLiteral("open dialog"));
}

std::optional<QString> ScriptedServices::saveFileName(const FileDialogRequest& request) {
    saveRequests << request;
    return next(m_saveAnswers, QStringLiteral("save dialog"));
}

std::optional<QString> ScriptedServices::inputText(const InputRequest& request) {
    inputRequests << request;
    return next(m_inputAnswers, QStringLiteral("input box: ") + request.prompt);
}

int ScriptedServices::execDialog(QDialog& dialog) {
    const auto handler = next(m_dialogHandlers, QStringLiteral("window: ") + dialog.objectName());
    if (!handler)
        return QDialog::Rejected;
    // The window is shown as it would be, so its load has run and its controls are laid out.
    dialog.show();
    QCoreApplication::processEvents();
    const int result = handler(dialog);
    dialog.hide();
    return result;
}

void ScriptedServices::showWindow(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    shownWindows << QPointer<QWidget>(window);
    window->show();
    QCoreApplication::processEvents();
}

bool ScriptedServices::choosePrinter(QPrinter& printer, QWidget*) {
    if (!printToPdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPdf);
    }
    return next(m_printerAnswers, QStringLiteral("print dialog"), false);
}

bool ScriptedServices::shellOpen(const QString& pathOrUrl) {
    shellOpened << pathOrUrl;
    return programsExist;
}

bool ScriptedServices::startProgram(const QString& program) {
    programsStarted << program;
    return programsExist;
}

void ScriptedServices::processEvents() {
    QCoreApplication::processEvents();
}

} // namespace natalix::test
