#pragma once

#include "ui/services.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>

namespace natalix::test {

// The platform services of a test: every dialog is answered from a queue set up by the test,
// every message is recorded, and a dialog nobody expected fails the test.
class ScriptedServices : public Services {
public:
    ~ScriptedServices() override;

    // Queue the answers, in the order the dialogs will come.
    void answerMessage(int answerCode) { m_messageAnswers.push_back(answerCode); }
    void answerOpen(std::optional<QString> file) { m_openAnswers.push_back(std::move(file)); }
    void answerSave(std::optional<QString> file) { m_saveAnswers.push_back(std::move(file)); }
    // The handler works the dialog (sets values, clicks) and returns its result code.
    void answerDialog(std::function<int(QDialog&)> handler) {
        m_dialogHandlers.push_back(std::move(handler));
    }
    // The text an input box returns; nothing: the user cancelled.
    void answerInput(std::optional<QString> text) { m_inputAnswers.push_back(std::move(text)); }
    void answerPrinter(bool accept) { m_printerAnswers.push_back(accept); }

    QList<MessageRequest> messages;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<InputRequest> inputRequests;
    QStringList shellOpened;
    QStringList programsStarted;
    QString unexpected; // the first dialog that came without an answer
    // Called for every message before it is answered (to change the world in between).
    std::function<void(const MessageRequest&)> onMessage;
    bool programsExist = true; // else starting a program or opening a file fails
    QString printToPdf;        // when set, the chosen printer writes this PDF file

    void setNow(const QDateTime& now) { m_now = now; }
    void setToday(int year, int month, int day, int h = 9, int m = 0, int s = 0) {
        m_now = QDateTime(QDate(year, month, day), QTime(h, m, s));
    }
    // True when every queued answer was used and nothing unexpected came.
    bool allAnswered() const;

    int message(const MessageRequest& request) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> inputText(const InputRequest& request) override;
    int execDialog(QDialog& dialog) override;
    void showWindow(QWidget* window) override;
    // The windows shown without waiting, in the order they came; closed ones are null.
    QList<QPointer<QWidget>> shownWindows;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
    QDateTime now() override { return m_now; }
    void clipboardClear() override { m_clipboard.reset(); }
    void clipboardSetText(const QString& text) override { m_clipboard = text; }
    bool clipboardHasText() override { return m_clipboard.has_value(); }
    QString clipboardText() override { return m_clipboard.value_or(QString()); }
    bool shellOpen(const QString& pathOrUrl) override;
    bool startProgram(const QString& program) override;
    void processEvents() override;

    std::optional<QString> clipboard() const { return m_clipboard; }
    void setClipboard(std::optional<QString> text) { m_clipboard = std::move(text); }

private:
    void fail(const QString& what);
    // The next queued answer; `none` when the queue is empty, the dialog noted as unexpected.
    template <typename T> T next(std::deque<T>& queue, const QString& what, T none = T()) {
        if (queue.empty()) {
            fail(what);
            return none;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
    std::deque<int> m_messageAnswers;
    std::deque<std::optional<QString>> m_openAnswers;
    std::deque<std::optional<QString>> m_saveAnswers;
    std::deque<std::optional<QString>> m_inputAnswers;
    std::deque<std::function<int(QDialog&)>> m_dialogHandlers;
    std::deque<bool> m_printerAnswers;
    QDateTime m_now = QDateTime(QDate(2025, 3, 7), QTime(9, 0, 0));
    std::optional<QString> m_clipboard;
};

} // namespace natalix::test
