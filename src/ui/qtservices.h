#pragma once

#include "ui/services.h"

class QWidget;

namespace natalix {

// The platform services as the running program uses them.
class QtServices : public Services {
public:
    explicit QtServices(QWidget* dialogParent = nullptr) : m_parent(dialogParent) {}
    void setDialogParent(QWidget* parent) { m_parent = parent; }

    int message(const MessageRequest& request) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    std::optional<QString> inputText(const InputRequest& request) override;
    int execDialog(QDialog& dialog) override;
    void showWindow(QWidget* window) override;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
    QDateTime now() override;
    void clipboardClear() override;
    void clipboardSetText(const QString& text) override;
    bool clipboardHasText() override;
    QString clipboardText() override;
    bool shellOpen(const QString& pathOrUrl) override;
    bool startProgram(const QString& program) override;
    void processEvents() override;

private:
    QWidget* m_parent = nullptr;
};

// Loads Qt's own German texts for the standard dialogs ("&Ja", "Abbrechen", ...).
void installGermanTranslations();

} // namespace natalix
