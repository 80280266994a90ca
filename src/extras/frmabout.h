#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPainter;
class QPushButton;
class QRectF;

namespace natalix {

class Services;

// The program's picture: a calendar leaf with a birthday cake. Also drawn as natalix.svg.
void paintNatalixIcon(QPainter& painter, const QRectF& rect);

// Fictional maker: the addresses lead nowhere real.
QString supportMailAddress(); // support@natalix.example
QString productWebAddress();  // https://www.natalix.example

// The about box: version, links to the maker, and the system information tool.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    // sysInfoTools: program names looked for on PATH where there is no registry to ask.
    FrmAbout(Services& services, const QStringList& sysInfoTools, QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    void Label5_Click();
    void Label6_Click();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    // Asks the shell to open a file or address; the callers ignore the outcome.
    bool ShellExec(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();

    Services& m_services;
    QStringList m_sysInfoTools;
};

} // namespace natalix
