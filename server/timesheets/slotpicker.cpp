#include "slotpicker.h"
#include <QLineEdit>
#include <QLocale>

SlotPicker::SlotPicker(QWidget *parent) : QTimeEdit(QTime(0, 0), parent)
{
    // Hours, minutes, seconds and AM/PM whatever the desktop's language.
    setLocale(QLocale::c());
    setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    // Any change of the time not made by showStored() is the administrator's (typed, stepped,
    // or set by a tool); typing over a time with the same time changes only the text.
    connect(this, &QTimeEdit::timeChanged, this, [this] {
        if (!m_showing)
            markEdited();
    });
    connect(lineEdit(), &QLineEdit::textEdited, this, &SlotPicker::markEdited);
    updateBlank();
}

void SlotPicker::showStored(const QVariant &stored)
{
    const QTime time = stored.toTime();
    m_showing = true;
    setTime(time.isValid() ? time : QTime(0, 0));
    m_showing = false;
    m_hasTime = time.isValid();
    m_edited = false;
    updateBlank();
}

void SlotPicker::stepBy(int steps)
{
    markEdited();
    QTimeEdit::stepBy(steps);
}

void SlotPicker::focusInEvent(QFocusEvent *event)
{
    // The sections appear for typing (at 12:00:00 AM); leaving without a change blanks it again.
    updateBlank();
    QTimeEdit::focusInEvent(event);
}

void SlotPicker::focusOutEvent(QFocusEvent *event)
{
    QTimeEdit::focusOutEvent(event);
    updateBlank();
}

void SlotPicker::markEdited()
{
    if (m_edited)
        return;
    m_edited = true;
    updateBlank();
}

void SlotPicker::updateBlank()
{
    // The special text shows at the minimum, midnight, which is where a blank picker stands.
    const QString text = blank() && !hasFocus() ? QStringLiteral(" ") : QString();
    if (specialValueText() != text)
        setSpecialValueText(text);
}
