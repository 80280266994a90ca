#include "extras/weekdaycommand.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/cursor.h"
#include "table/entryrules.h"
#include "table/textnumber.h"
#include "ui/services.h"

#include <QComboBox>

namespace natalix {

WeekdayCommand::WeekdayCommand(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("WeekdayCommand"));
}

void WeekdayCommand::mnuWochentagausgeben_Click() {
    m_ctx.form.datensatzpruefen();
    // The date as the boxes show it after the check, not as it is stored.
    const int jahre = leadingWholeNumber(m_ctx.form.yearBox()->currentText());
    const int monate = leadingWholeNumber(m_ctx.form.monthBox()->currentText());
    const int tage = leadingWholeNumber(m_ctx.form.dayBox()->currentText());

    const Cursor& c = m_ctx.cursor;
    MessageRequest m;
    m.text = weekdayText(c.field(Field::Name).toString(), c.fieldNumber(Field::Nummer), jahre,
                         monate, tage);
    m.title = QStringLiteral("Wochentag ausgeben");
    m.icon = Icon::Information;
    m.buttons = Buttons::Ok;
    m.onTop = true;
    m_ctx.services.message(m);
}

} // namespace natalix
