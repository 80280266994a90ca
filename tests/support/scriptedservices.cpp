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
    if (m_messageAnswers.empty()) {
        fail(QStringLiteral("message: ") + request.text);
        return answer::cancel;
    }
    const int a = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedServices::openFileName(const FileDialogRequest& request) {
    openRequests << request;
    if (m_openAnswers.empty()) {
        fail(QStringLiteral("open dialog"));
        return std::nullopt;
    }
    auto a = m_openAnswers.front();
    m_openAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedServices::saveFileName(const FileDialogRequest& request) {
    saveRequests << request;
    if (m_saveAnswers.empty()) {
        fail(QStringLiteral("save dialog"));
        return std::nullopt;
    }
    auto a = m_saveAnswers.front();
    m_saveAnswers.pop_front();
    return a;
}

std::optional<QString> ScriptedServices::inputText(const InputRequest& request) {
    inputRequests << request;
    if (m_inputAnswers.empty()) {
        fail(QStringLiteral("input box: ") + request.prompt);
        return std::nullopt;
    }
    auto a = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    return a;
}

int ScriptedServices::execDialog(QDialog& dialog) {
    if (m_dialogHandlers.empty()) {
        fail(QStringLiteral("window: ") + dialog.objectName());
        return QDialog::Rejected;
    }
    auto handler = std::move(m_dialogHandlers.front());
    m_dialogHandlers.pop_front();
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
    if (m_printerAnswers.empty()) {
        fail(QStringLiteral("print dialog"));
        return false;
    }
    const bool a = m_printerAnswers.front();
    m_printerAnswers.pop_front();
    return a;
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
    ++processEventsCalls;
    QCoreApplication::processEvents();
}

} // namespace natalix::test
