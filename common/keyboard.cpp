#include "keyboard.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace zarvo::Keyboard {
namespace {

const char *const kInstalled = "zarvoKeyboard";

/// The installed window `w` belongs to; nullptr when `w` lies in a window of its own first.
QWidget *windowOf(QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        if (w->property(kInstalled).toBool())
            return w;
        if (w->isWindow())
            return nullptr;
    }
    return nullptr;
}

/// Moves the focus on from `from` as Tab does between plain controls; the protected Qt
/// operation is reached through a member pointer taken in a derived class.
class FocusMover : public QWidget {
public:
    static void move(QWidget *from, bool forward)
    {
        bool (QWidget::*next)(bool) = &FocusMover::focusNextPrevChild;
        // Asked of the parent: the control's own answer would walk inside it (cells, sections).
        if (QWidget *parent = from->parentWidget())
            (parent->*next)(forward);
    }
};

bool isPicker(QWidget *w) { return qobject_cast<QDateTimeEdit *>(w) != nullptr; }

bool keepsTab(QWidget *w)
{
    return isPicker(w) || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QPlainTextEdit *>(w)
           || qobject_cast<QTextEdit *>(w);
}

void selectSection(QDateTimeEdit *picker, int index)
{
    index = qBound(0, index, picker->sectionCount() - 1);
    picker->setCurrentSectionIndex(index);
    picker->setSelectedSection(picker->sectionAt(index));
}

void openCalendar(QDateTimeEdit *picker)
{
    if (!picker->calendarPopup() || picker->isReadOnly())
        return;
    // The picker opens its calendar only from a press on its arrow; there is no call for it.
    QStyleOptionComboBox opt;
    opt.initFrom(picker);
    opt.editable = true;
    opt.frame = true;
    opt.subControls = QStyle::SC_All;
    const QPoint arrow =
        picker->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, picker).center();
    QMouseEvent press(QEvent::MouseButtonPress, arrow, picker->mapToGlobal(arrow), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picker, &press);
}

QPushButton *cancelButton(QWidget *window)
{
    for (QPushButton *b : window->findChildren<QPushButton *>())
        if (b->isVisibleTo(window) && b->isEnabled() && b->text().remove(QLatin1Char('&')) == QLatin1String("Cancel"))
            return b;
    return nullptr;
}

bool takesInput(QWidget *w)
{
    if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QTabBar *>(w))
        return false;
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<QAbstractSpinBox *>(w))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<QTextEdit *>(w))
        return !e->isReadOnly();
    return true;
}

class Habits final : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        QWidget *window = windowOf(w);
        if (!window)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        auto *picker = qobject_cast<QDateTimeEdit *>(w);
        const bool digitBefore = picker && m_digitIn == picker;
        // Shift pressed for a ":" is no key of its own.
        const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control
                                  || key->key() == Qt::Key_Alt || key->key() == Qt::Key_AltGr
                                  || key->key() == Qt::Key_Meta;
        if (modifierOnly)
            return false;
        if (picker)
            m_digitIn = nullptr;

        if ((key->key() == Qt::Key_F4 && mods == Qt::ControlModifier) || key->matches(QKeySequence::Close)) {
            for (QWidget *p = window; p; p = p->parentWidget())
                if (auto *frame = qobject_cast<QMdiSubWindow *>(p))
                    return frame->close(), true;
            return false;
        }
        if ((key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) && mods == Qt::ControlModifier)
            return turnPage(w, window, key->key() == Qt::Key_PageDown);
        if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
            if (QPushButton *cancel = cancelButton(window))
                return cancel->click(), true;
            return false;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier
            && (qobject_cast<QPushButton *>(w) || qobject_cast<QToolButton *>(w))) {
            // A held key presses once, not once per repeat.
            if (!key->isAutoRepeat())
                press(static_cast<QAbstractButton *>(w), window);
            return true;
        }
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (mods & ~Qt::ShiftModifier) == 0
            && keepsTab(w)) {
            FocusMover::move(w, key->key() == Qt::Key_Tab && mods == Qt::NoModifier);
            return true;
        }
        if (auto *view = qobject_cast<QAbstractItemView *>(w))
            return listKey(view, key, mods);
        if (picker)
            return pickerKey(picker, key, mods, digitBefore);
        return false;
    }

private:
    static void press(QAbstractButton *button, QWidget *window)
    {
        QPointer<QAbstractButton> pressed(button);
        QPointer<QWidget> inside(window);
        button->click();
        if (!pressed || !inside)
            return;
        // A button that disabled itself hands the focus to the next control; were that a
        // button, a second Enter would press it unasked ("Save" then "Search"). Typing starts
        // over instead, unless the window sent the focus somewhere itself.
        QWidget *now = window->window()->focusWidget();
        if (!pressed->isEnabled() && qobject_cast<QAbstractButton *>(now) && window->isAncestorOf(now))
            if (QWidget *first = firstInput(window))
                first->setFocus(Qt::OtherFocusReason);
    }

    /// The tab pages around `w` (else the window's only tab control, as from its buttons) turn
    /// one on, round, and the focus goes to the new page.
    static bool turnPage(QWidget *w, QWidget *window, bool forward)
    {
        QTabWidget *tabs = nullptr;
        for (QWidget *p = w; p && p != window && !tabs; p = p->parentWidget())
            tabs = qobject_cast<QTabWidget *>(p);
        if (const auto all = window->findChildren<QTabWidget *>(); !tabs && all.size() == 1)
            tabs = all.first();
        if (!tabs || tabs->count() < 2)
            return false;
        tabs->setCurrentIndex((tabs->currentIndex() + (forward ? 1 : tabs->count() - 1)) % tabs->count());
        if (QWidget *first = firstInput(tabs->currentWidget()))
            first->setFocus(Qt::OtherFocusReason);
        return true;
    }

    static bool listKey(QAbstractItemView *view, QKeyEvent *key, Qt::KeyboardModifiers mods)
    {
        const int k = key->key();
        QItemSelectionModel *sel = view->selectionModel();
        if ((k != Qt::Key_Down && k != Qt::Key_Up && k != Qt::Key_Space) || mods != Qt::NoModifier || !sel)
            return false;
        // Space works on the row the list stands on: with none yet, that is the first.
        const QModelIndex first = view->model() ? view->model()->index(0, 0, view->rootIndex()) : QModelIndex();
        if (k == Qt::Key_Space) {
            if (!view->currentIndex().isValid() && first.isValid())
                sel->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
            return false;
        }
        // The list stands on a row it has not selected (as after the focus came to it): the
        // first Up or Down selects that row rather than passing over it.
        const QModelIndex current = view->currentIndex();
        if (view->selectionMode() == QAbstractItemView::NoSelection || !current.isValid() || sel->hasSelection())
            return false;
        QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
        if (view->selectionBehavior() == QAbstractItemView::SelectRows)
            how |= QItemSelectionModel::Rows;
        sel->setCurrentIndex(current, how);
        return true;
    }

    bool pickerKey(QDateTimeEdit *picker, QKeyEvent *key, Qt::KeyboardModifiers mods, bool digitBefore)
    {
        const int k = key->key();
        if ((k == Qt::Key_Left || k == Qt::Key_Right) && mods == Qt::NoModifier) {
            selectSection(picker, picker->currentSectionIndex() + (k == Qt::Key_Right ? 1 : -1));
            return true;
        }
        if ((k == Qt::Key_F4 && mods == Qt::NoModifier) || (k == Qt::Key_Down && mods == Qt::AltModifier)) {
            openCalendar(picker);
            return true;
        }
        const QString text = key->text();
        if (text.size() != 1 || (mods & ~Qt::ShiftModifier) != 0)
            return false;
        const QChar c = text.at(0);
        if (c.isDigit()) {
            // Remembered so that the separator typed after it is not taken as a second move.
            m_digitIn = picker;
            m_digitSection = picker->currentSectionIndex();
            return false;
        }
        if (c.isLetter() && picker->currentSection() == QDateTimeEdit::AmPmSection) {
            const QLocale locale = picker->locale();
            QTime t = picker->time();
            if (locale.pmText().startsWith(c, Qt::CaseInsensitive) && t.hour() < 12)
                t = t.addSecs(12 * 3600);
            else if (locale.amText().startsWith(c, Qt::CaseInsensitive) && t.hour() >= 12)
                t = t.addSecs(-12 * 3600);
            picker->setTime(t);
            selectSection(picker, picker->currentSectionIndex());
            return true;
        }
        // A separator right after a digit that filled its section (the picker moved on by
        // itself) would skip the next section: "7:30" must not end in the seconds.
        if (!c.isLetterOrNumber() && c.isPrint() && digitBefore
            && picker->currentSectionIndex() != m_digitSection)
            return true;
        return false;
    }

    QPointer<QDateTimeEdit> m_digitIn;
    int m_digitSection = -1;
};

} // namespace

void install(QWidget *window)
{
    // One filter for the whole program: it sees each key before the control does.
    static QPointer<Habits> habits;
    if (!habits) {
        habits = new Habits;
        habits->setParent(qApp);
        qApp->installEventFilter(habits);
    }
    window->setProperty(kInstalled, true);
}

void setTabOrder(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

QWidget *firstInput(QWidget *window)
{
    QWidget *first = nullptr;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (!window->isAncestorOf(w) || w->focusProxy() || !(w->focusPolicy() & Qt::TabFocus)
            || !w->isEnabled() || !w->isVisibleTo(window))
            continue;
        if (takesInput(w))
            return w;
        if (!first)
            first = w;
    }
    return first;
}

} // namespace zarvo::Keyboard
