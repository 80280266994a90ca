#include "ui/widgets.h"

#include "options/options.h"
#include "reminder/remindercodes.h"
#include "ui/namedcombobox.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>

namespace natalix {

namespace {

// A tip of more characters than this is shown as a paragraph the tool tip wraps.
constexpr int longToolTip = 60;

class ToolTipWrapper : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString tip = widget->toolTip();
        const QString shown = wrappedToolTip(tip);
        if (shown == tip)
            return false; // Qt shows it as it is
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown, widget, QRect(),
                           widget->toolTipDuration());
        return true;
    }
};

class FocusFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        // Only once the keyboard moved the focus, as the platform does it.
        if (element != PE_FrameFocusRect || !option->state.testFlag(State_KeyboardFocusChange)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        // Fusion marks a focused button only by the outline the default button has as well.
        if (element == CE_PushButton && option->state.testFlag(State_HasFocus)) {
            QStyleOptionFocusRect frame;
            frame.QStyleOption::operator=(*option);
            frame.rect = subElementRect(SE_PushButtonFocusRect, option, widget);
            drawPrimitive(PE_FrameFocusRect, &frame, painter, widget);
        }
    }
};

} // namespace

QString withoutAccessKey(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // "&x" reads "x", "&&" reads "&".
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

void installFocusFrame() {
    if (!qApp || QApplication::style()->name().compare(u"fusion", Qt::CaseInsensitive) != 0)
        return;
    QApplication::setStyle(new FocusFrameStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
}

QPoint placeOnScreen(const QRect& frame, const QScreen* screen) {
    if (!screen)
        return frame.topLeft();
    const QRect free = screen->availableGeometry();
    const int x = std::max(free.left(), std::min(frame.left(), free.right() + 1 - frame.width()));
    const int y = std::max(free.top(), std::min(frame.top(), free.bottom() + 1 - frame.height()));
    return {x, y};
}

Qt::WindowFlags fixedDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void setFixedDialogFrame(QWidget* dialog) {
    dialog->setWindowFlags(fixedDialogFlags() | (dialog->windowFlags() & Qt::WindowStaysOnTopHint));
}

QString wrappedToolTip(const QString& toolTip) {
    if (toolTip.size() <= longToolTip || Qt::mightBeRichText(toolTip))
        return toolTip;
    // Rich text makes the tool tip wrap its words instead of running on in one line.
    return QStringLiteral("<p>") + toolTip.toHtmlEscaped() + QStringLiteral("</p>");
}

void installToolTipWrapping() {
    static QPointer<ToolTipWrapper> wrapper;
    if (wrapper || !qApp)
        return;
    wrapper = new ToolTipWrapper(qApp);
    qApp->installEventFilter(wrapper);
}

QComboBox* makeListCombo(QWidget* parent, const char* name, const QStringList& items,
                         const QString& toolTip) {
    auto* box = new NamedComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->addItems(items);
    box->setMaxVisibleItems(16);
    if (!toolTip.isEmpty())
        box->setToolTip(toolTip);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void showInList(QComboBox* box, const QString& value) {
    int i = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        // Only one extra entry at a time: the one shown before goes.
        const int extra = box->property("extraItem").toInt() - 1;
        if (extra >= 0 && extra < box->count())
            box->removeItem(extra);
        box->addItem(value);
        i = box->count() - 1;
        box->setProperty("extraItem", i + 1);
    }
    box->setCurrentIndex(i);
}

void setInputName(QWidget* input, const QString& name) {
    input->setAccessibleName(name);
    // The text field of a box one can type into is an input of its own.
    if (auto* box = qobject_cast<QComboBox*>(input); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
}

void setReminderAccessibleNames(QComboBox* first, QComboBox* second, QComboBox* third,
                                QComboBox* start, QComboBox* cycle) {
    setInputName(first, QStringLiteral("1. Erinnerung"));
    setInputName(second, QStringLiteral("2. Erinnerung"));
    setInputName(third, QStringLiteral("3. Erinnerung"));
    setInputName(start, QStringLiteral("Beginn der Erinnerungen"));
    setInputName(cycle, QStringLiteral("Zyklus der Erinnerungen"));
}

void ReminderSettingsFields::build(QGroupBox* frame, const QString& offsetTip,
                                   const QString& startTip, const QString& cycleTip) {
    lbl5 = makeLabel(frame, "lbl5", QStringLiteral("&1. Erinnerung:"));
    cbo1Erinnerung = makeListCombo(frame, "cbo1Erinnerung", reminderOffsetTexts(), offsetTip);
    lbl6 = makeLabel(frame, "lbl6", QStringLiteral("&2. Erinnerung:"));
    cbo2Erinnerung = makeListCombo(frame, "cbo2Erinnerung", reminderOffsetTexts(), offsetTip);
    lbl7 = makeLabel(frame, "lbl7", QStringLiteral("&3. Erinnerung:"));
    cbo3Erinnerung = makeListCombo(frame, "cbo3Erinnerung", reminderOffsetTexts(), offsetTip);
    Label1 = makeLabel(frame, "Label1", QStringLiteral("Ab de&m:"));
    cboErinnerungsbeginn =
        makeListCombo(frame, "cboErinnerungsbeginn", reminderStartTexts(), startTip);
    cboErinnerungszyklus =
        makeListCombo(frame, "cboErinnerungszyklus", reminderCycleTexts(), cycleTip);
    // The cycle needs a label of its own for its access key.
    lblZyklus = makeLabel(frame, "lblZyklus", QStringLiteral("&Zyklus:"));
    setReminderAccessibleNames(cbo1Erinnerung, cbo2Erinnerung, cbo3Erinnerung, cboErinnerungsbeginn,
                               cboErinnerungszyklus);
    lbl5->setBuddy(cbo1Erinnerung);
    lbl6->setBuddy(cbo2Erinnerung);
    lbl7->setBuddy(cbo3Erinnerung);
    Label1->setBuddy(cboErinnerungsbeginn);
    lblZyklus->setBuddy(cboErinnerungszyklus);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(lbl5, 0, 0);
    grid->addWidget(cbo1Erinnerung, 0, 1, 1, 3);
    grid->addWidget(lbl6, 1, 0);
    grid->addWidget(cbo2Erinnerung, 1, 1, 1, 3);
    grid->addWidget(lbl7, 2, 0);
    grid->addWidget(cbo3Erinnerung, 2, 1, 1, 3);
    grid->addWidget(Label1, 3, 0);
    grid->addWidget(cboErinnerungsbeginn, 3, 1);
    grid->addWidget(lblZyklus, 3, 2);
    grid->addWidget(cboErinnerungszyklus, 3, 3);
}

void ReminderSettingsFields::preset(const Options& o) {
    showInList(cbo1Erinnerung, o.option1erinnerung);
    showInList(cbo2Erinnerung, o.option2erinnerung);
    showInList(cbo3Erinnerung, o.option3erinnerung);
    showInList(cboErinnerungsbeginn, o.optionabjahr);
    showInList(cboErinnerungszyklus, o.optionzyklus);
}

} // namespace natalix
