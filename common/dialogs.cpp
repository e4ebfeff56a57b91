#include "dialogs.h"
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <cstdio>

namespace zarvo {
namespace {

QMessageBox::Icon qtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Critical: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

/// The width a window needs for its whole title to show in the frame: the title in the title
/// bar's type (set bold, as window managers commonly draw it) beside the window icon and the
/// three frame buttons, each about a title bar's height wide, with a bar's height to spare.
int titleWidth(const QWidget *window, const QString &title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int bar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    int width = QFontMetrics(font).horizontalAdvance(title) + 5 * bar;
    if (const QScreen *screen = window->screen())
        width = qMin(width, screen->availableGeometry().width());
    return width;
}

// Qt sizes a box to its text (and sets that size fixed at every layout pass), so a short text
// under a long title left the title cut off in the frame. After each pass the box is widened
// to its title's width.
class TitledBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent *e) override
    {
        const bool result = QMessageBox::event(e);
        if (e->type() == QEvent::Show || e->type() == QEvent::LayoutRequest)
            fitTitle();
        return result;
    }

private:
    void fitTitle()
    {
        const int need = titleWidth(this, windowTitle());
        if (width() >= need)
            return;
        QLayout *l = layout();
        const int height = l && l->hasHeightForWidth() ? l->totalHeightForWidth(need) : this->height();
        setFixedSize(need, qMax(height, minimumSizeHint().height()));
    }
};

// The input box sizes itself to its prompt the same way; it is widened once shown.
class TitledInput final : public QInputDialog {
public:
    using QInputDialog::QInputDialog;

protected:
    void showEvent(QShowEvent *e) override
    {
        QInputDialog::showEvent(e);
        const int need = titleWidth(this, windowTitle());
        if (width() < need)
            resize(need, height());
    }
};

QMessageBox *makeBox(QWidget *parent, const MessageBox &box)
{
    auto *mb = new TitledBox(qtIcon(box.icon), box.title, box.text, QMessageBox::NoButton, parent);
    switch (box.buttons) {
    case BoxButtons::Ok: mb->setStandardButtons(QMessageBox::Ok); break;
    case BoxButtons::YesNo: mb->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case BoxButtons::OkCancel: mb->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    }
    return mb;
}

BoxAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    case QMessageBox::Cancel: return BoxAnswer::Cancel;
    default: return BoxAnswer::Ok;
    }
}

class QtDialogHandler final : public DialogHandler {
public:
    BoxAnswer message(QWidget *parent, const MessageBox &box) override
    {
        QPointer<QMessageBox> mb = makeBox(parent, box);
        const int result = mb->exec();
        delete mb.data();
        return answerOf(result);
    }

    void messageAsync(QWidget *parent, const MessageBox &box,
                      std::function<void(BoxAnswer)> done) override
    {
        QMessageBox *mb = makeBox(parent, box);
        mb->setAttribute(Qt::WA_DeleteOnClose);
        // Like a waiting box it keeps input from its window, but it lets the event loop run on
        // without a nested loop of its own.
        mb->setWindowModality(parent ? Qt::WindowModal : Qt::NonModal);
        QObject::connect(mb, &QMessageBox::finished, mb, [done = std::move(done)](int result) {
            if (done)
                done(answerOf(result));
        });
        mb->show();
        mb->raise();
    }

    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &defaultText) override
    {
        QPointer<QInputDialog> dialog = new TitledInput(parent);
        dialog->setWindowTitle(title);
        dialog->setLabelText(prompt);
        dialog->setTextValue(defaultText);
        const bool ok = dialog->exec() == QDialog::Accepted;
        if (!dialog)
            return std::nullopt; // destroyed with its parent while it waited
        const QString text = dialog->textValue();
        delete dialog.data();
        if (!ok)
            return std::nullopt;
        return text;
    }

    std::optional<QString> openFileName(QWidget *parent, const QString &title, const QString &filter,
                                        const QString &startPath) override
    {
        const QString file = QFileDialog::getOpenFileName(parent, title, startPath, filter);
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

    void openWithDefaultHandler(const QString &pathOrUrl) override
    {
        const QUrl url = pathOrUrl.contains(QLatin1String("://"))
                             ? QUrl(pathOrUrl)
                             : QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
        QDesktopServices::openUrl(url);
    }

    std::optional<QString> saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                        const QString &startPath) override
    {
        const QString file = QFileDialog::getSaveFileName(parent, title, startPath, filter);
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

    bool print(QWidget *parent, QPrinter *printer) override
    {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

// Answers every box at once (Ok, Yes; inputs and file dialogs cancelled) and prints it to
// stderr as "BOX|title|text|icon": lets tests drive the real programs headless. Switched on
// only by the environment variable ZARVO_AUTO_DISMISS=1.
class AutoDismissHandler final : public DialogHandler {
public:
    static void print(const MessageBox &box)
    {
        static const char *const icons[] = {"none", "information", "exclamation", "question", "critical"};
        QString text = box.text;
        text.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
        std::fprintf(stderr, "BOX|%s|%s|%s\n", qPrintable(box.title), qPrintable(text), icons[int(box.icon)]);
        std::fflush(stderr);
    }
    BoxAnswer message(QWidget *, const MessageBox &box) override
    {
        print(box);
        return box.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    void messageAsync(QWidget *, const MessageBox &box, std::function<void(BoxAnswer)> done) override
    {
        print(box);
        if (done)
            done(BoxAnswer::Ok);
    }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QString> openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void openWithDefaultHandler(const QString &) override {}
};

std::function<void(QWidget *)> g_afterBox;

// A box takes the focus while it waits; once it has closed, the focus goes back to the control
// that had it (the window may have moved on meanwhile, and a gone control gets nothing), then
// the window's own rule has its say.
class FocusBack {
public:
    explicit FocusBack(QWidget *parent) : m_parent(parent), m_had(QApplication::focusWidget()) {}
    ~FocusBack()
    {
        if (m_had && m_had->isEnabled() && m_had->isVisible())
            m_had->setFocus(Qt::OtherFocusReason);
        if (g_afterBox && m_parent)
            g_afterBox(m_parent);
    }

private:
    QPointer<QWidget> m_parent;
    QPointer<QWidget> m_had;
};

QtDialogHandler g_qtHandler;
AutoDismissHandler g_autoHandler;
DialogHandler *g_handler = nullptr;

DialogHandler *defaultHandler()
{
    static const bool autoDismiss = qEnvironmentVariableIntValue("ZARVO_AUTO_DISMISS") == 1;
    return autoDismiss ? static_cast<DialogHandler *>(&g_autoHandler) : &g_qtHandler;
}
QString g_programTitle;

} // namespace

std::optional<QString> DialogHandler::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

bool DialogHandler::print(QWidget *, QPrinter *) { return false; }

namespace Dialogs {

void setProgramTitle(const QString &title) { g_programTitle = title; }
QString programTitle() { return g_programTitle; }
void setHandler(DialogHandler *h) { g_handler = h; }
void setAfterBox(std::function<void(QWidget *)> hook) { g_afterBox = std::move(hook); }
DialogHandler *handler() { return g_handler ? g_handler : defaultHandler(); }

static MessageBox boxOf(const QString &text, const QString &title, BoxIcon icon, BoxButtons buttons)
{
    return MessageBox{text, title.isEmpty() ? g_programTitle : title, icon, buttons};
}

BoxAnswer message(QWidget *parent, const QString &text, const QString &title, BoxIcon icon,
                  BoxButtons buttons)
{
    FocusBack back(parent);
    return handler()->message(parent, boxOf(text, title, icon, buttons));
}

void messageAsync(QWidget *parent, const QString &text, const QString &title, BoxIcon icon,
                  std::function<void(BoxAnswer)> done)
{
    handler()->messageAsync(parent, boxOf(text, title, icon, BoxButtons::Ok), std::move(done));
}

std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                             const QString &defaultText)
{
    FocusBack back(parent);
    return handler()->input(parent, prompt, title.isEmpty() ? g_programTitle : title, defaultText);
}

std::optional<QString> openFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &startPath)
{
    FocusBack back(parent);
    return handler()->openFileName(parent, title, filter, startPath);
}

void openWithDefaultHandler(const QString &pathOrUrl) { handler()->openWithDefaultHandler(pathOrUrl); }

std::optional<QString> saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &startPath)
{
    FocusBack back(parent);
    return handler()->saveFileName(parent, title, filter, startPath);
}

bool print(QWidget *parent, QPrinter *printer)
{
    FocusBack back(parent);
    return handler()->print(parent, printer);
}

} // namespace Dialogs
} // namespace zarvo
