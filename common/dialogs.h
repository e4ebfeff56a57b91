#pragma once
// Every message box, input box, open-file dialog and "open with the desktop's default
// handler" of both programs goes through here, so tests can record and answer them.

#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace zarvo {

enum class BoxIcon { None, Information, Exclamation, Question, Critical };
enum class BoxButtons { Ok, YesNo, OkCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };

/// One message box as the user sees it.
struct MessageBox {
    QString text;
    QString title;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

/// What actually shows boxes; the default one uses Qt's dialogs, tests install a recorder.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    /// Shows the box and waits for the answer (events keep flowing meanwhile).
    virtual BoxAnswer message(QWidget *parent, const MessageBox &box) = 0;
    /// Shows the box without waiting; `done` runs once it is dismissed.
    virtual void messageAsync(QWidget *parent, const MessageBox &box,
                              std::function<void(BoxAnswer)> done) = 0;
    /// Returns std::nullopt when cancelled.
    virtual std::optional<QString> input(QWidget *parent, const QString &prompt,
                                         const QString &title, const QString &defaultText) = 0;
    /// Returns std::nullopt when cancelled.
    virtual std::optional<QString> openFileName(QWidget *parent, const QString &title,
                                                const QString &filter, const QString &startPath) = 0;
    /// Hands a file path or web address to the desktop; the result is not examined.
    virtual void openWithDefaultHandler(const QString &pathOrUrl) = 0;
    /// Save-file dialog (it asks before replacing a file); std::nullopt when cancelled. A handler
    /// that does not show it answers as cancelled.
    virtual std::optional<QString> saveFileName(QWidget *parent, const QString &title,
                                                const QString &filter, const QString &startPath);
    /// The print dialog; the choices are written into `printer`. False when cancelled (the
    /// answer of a handler that does not show it).
    virtual bool print(QWidget *parent, QPrinter *printer);
};

namespace Dialogs {

/// The program's title, carried by every box that names no title of its own.
void setProgramTitle(const QString &title);
QString programTitle();

/// Runs after every box, input box, file or print dialog that waited for its answer, once the
/// focus has gone back to the control that had it before: the window the box belongs to
/// (`parent`) may send the focus where its own rule says. One hook for the program.
void setAfterBox(std::function<void(QWidget *parent)> hook);

/// Replaces the handler (tests); nullptr restores Qt's dialogs. Not owned.
void setHandler(DialogHandler *handler);
DialogHandler *handler();

BoxAnswer message(QWidget *parent, const QString &text, const QString &title = {},
                  BoxIcon icon = BoxIcon::None, BoxButtons buttons = BoxButtons::Ok);
void messageAsync(QWidget *parent, const QString &text, const QString &title, BoxIcon icon,
                  std::function<void(BoxAnswer)> done);
std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                             const QString &defaultText = {});
std::optional<QString> openFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &startPath = {});
void openWithDefaultHandler(const QString &pathOrUrl);
std::optional<QString> saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &startPath = {});
bool print(QWidget *parent, QPrinter *printer);

} // namespace Dialogs
} // namespace zarvo
