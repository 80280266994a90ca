#include "extras/weekdaycommand.h"

#include "app/frmmain.h"
#include "reminder/daynumber.h"
#include "table/cursor.h"
#include "table/textnumber.h"
#include "ui/services.h"

#include <QComboBox>

namespace natalix {

WeekdayCommand::WeekdayCommand(FrmMain& form) : QObject(&form), m_form(form) {
    setObjectName(QStringLiteral("WeekdayCommand"));
}

void WeekdayCommand::mnuWochentagausgeben_Click() {
    m_form.datensatzpruefen();
    // The date as the boxes show it after the check, not as it is stored.
    const int jahre = leadingWholeNumber(m_form.cboJahr->currentText());
    const int monate = leadingWholeNumber(m_form.cboMonat->currentText());
    const int tage = leadingWholeNumber(m_form.cboTag->currentText());
    tagegesamt = berechnetage(jahre, monate, tage);
    wochentag = weekdayIndex(tagegesamt);
    wochentagzeichen = QString::fromLatin1(weekdayName(tagegesamt));

    const Cursor& c = m_form.adoDaten();
    const QString name = c.field(Field::Name).toString();
    const QString tail =
        QStringLiteral(" ist an einem ") + wochentagzeichen + QStringLiteral(" geboren.");
    MessageRequest m;
    if (name.isEmpty() || name == u" ")
        m.text = QStringLiteral("Das Geburtstags-Kind aus Datensatz ") +
                 QString::number(c.fieldNumber(Field::Nummer)) + tail;
    else
        m.text = name + tail;
    m.title = QStringLiteral("Wochentag ausgeben");
    m.icon = Icon::Information;
    m.buttons = Buttons::Ok;
    m.onTop = true;
    m_form.services().message(m);
}

} // namespace natalix
