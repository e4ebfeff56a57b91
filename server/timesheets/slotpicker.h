#pragma once
// A time picker for one punch slot of a timesheet row, which knows whether the administrator
// gave it a time. A slot the punch rule has not filled yet (Null) must stay free when the row
// is written back, or the punch rule would count it as taken and drop the employee's next punch.

#include <QTimeEdit>
#include <QVariant>

/// Shows a missing slot blank. Any time typed, stepped or set into it (midnight included) makes
/// it edited; only an edited picker's time is written.
class SlotPicker : public QTimeEdit {
    Q_OBJECT
public:
    explicit SlotPicker(QWidget *parent = nullptr);

    /// Shows a stored slot value (Null, or a value that is no time of day: blank) and forgets
    /// any earlier edit.
    void showStored(const QVariant &stored);
    /// A time was typed, stepped or set since the last showStored().
    bool edited() const { return m_edited; }
    /// The picker shows no time: a slot that was missing and is not edited.
    bool blank() const { return !m_hasTime && !m_edited; }

    void stepBy(int steps) override;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void markEdited();
    /// Blank (special text at midnight) while the slot is missing, unedited and not being typed in.
    void updateBlank();

    bool m_hasTime = false;
    bool m_edited = false;
    bool m_showing = false; // inside showStored(): the time set is not an edit
};
