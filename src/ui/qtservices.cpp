#include "ui/qtservices.h"

#include "app/commandline.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTranslator>
#include <QUrl>

namespace natalix {

namespace {

QMessageBox::StandardButton standardButton(int answerCode) {
    switch (answerCode) {
    case answer::ok:
        return QMessageBox::Ok;
    case answer::cancel:
        return QMessageBox::Cancel;
    case answer::retry:
        return QMessageBox::Retry;
    case answer::yes:
        return QMessageBox::Yes;
    case answer::no:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int answerOf(int standard) {
    switch (standard) {
    case QMessageBox::Ok:
        return answer::ok;
    case QMessageBox::Retry:
        return answer::retry;
    case QMessageBox::Yes:
        return answer::yes;
    case QMessageBox::No:
        return answer::no;
    default:
        return answer::cancel;
    }
}

QMessageBox::StandardButtons buttonsOf(Buttons b) {
    switch (b) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(Icon i) {
    switch (i) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int QtServices::message(const MessageRequest& r) {
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    QMessageBox box(iconOf(r.icon), r.title.isEmpty() ? QStringLiteral("Natalix") : r.title, r.text,
                    buttonsOf(r.buttons), parent);
    if (r.defaultButton != 0)
        box.setDefaultButton(standardButton(r.defaultButton));
    setFixedDialogFrame(&box);
    if (r.onTop || !parent)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Escape means Cancel, or No where there is no Cancel.
    if (r.buttons == Buttons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    if (!parent) {
        box.show();
        box.raise();
        box.activateWindow();
    }
    return answerOf(box.exec());
}

namespace {
// The common file dialog for opening and saving a list.
std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& r,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, r.title);
    dialog.setAcceptMode(mode);
    // Open accepts a name that does not exist: opening it then reports the missing file.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(r.filter);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.confirmOverwrite);
    if (!r.folder.isEmpty())
        dialog.setDirectory(r.folder);
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
} // namespace

std::optional<QString> QtServices::openFileName(const FileDialogRequest& r) {
    return runFileDialog(m_parent, r, QFileDialog::AcceptOpen);
}

std::optional<QString> QtServices::saveFileName(const FileDialogRequest& r) {
    return runFileDialog(m_parent, r, QFileDialog::AcceptSave);
}

std::optional<QString> QtServices::inputText(const InputRequest& r) {
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent : nullptr;
    QInputDialog dialog(parent);
    dialog.setWindowTitle(r.title.isEmpty() ? QStringLiteral("Natalix") : r.title);
    dialog.setLabelText(r.prompt);
    dialog.setTextValue(r.text);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

int QtServices::execDialog(QDialog& dialog) {
    return dialog.exec();
}

void QtServices::showWindow(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
}

bool QtServices::choosePrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QDateTime QtServices::now() {
    return programNow();
}

void QtServices::clipboardClear() {
    QApplication::clipboard()->clear();
}

void QtServices::clipboardSetText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

bool QtServices::clipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

QString QtServices::clipboardText() {
    return QApplication::clipboard()->text();
}

bool QtServices::shellOpen(const QString& pathOrUrl) {
    const QUrl url = QUrl::fromUserInput(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

bool QtServices::startProgram(const QString& program) {
    return QProcess::startDetached(program, {});
}

void QtServices::processEvents() {
    QApplication::processEvents();
}

void installGermanTranslations() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace natalix
