#pragma once
// Windows shown inside the console and the one way they are opened (ShowInsideConsole).

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

class QMdiArea;
class QMdiSubWindow;

/// Base of every server window that lives inside the console.
class ConsoleWindow : public QWidget {
    Q_OBJECT
public:
    explicit ConsoleWindow(QWidget *parent = nullptr);
    /// The window's load step, run once when it is first opened; false closes it again.
    virtual bool load() { return true; }
    /// Runs each time the window becomes the active inner window, after the focus has gone to
    /// where typing starts (see enterWindow).
    virtual void activated() {}
    /// Closes the window together with its frame inside the console.
    void closeWindow();
    /// True once the load step has succeeded.
    bool isLoaded() const { return m_loaded; }

protected:
    /// Whenever the window closes, the keyboard focus goes back to the console window.
    void setFocusConsoleOnClose(bool on) { m_focusConsoleOnClose = on; }
    void closeEvent(QCloseEvent *event) override;

private:
    friend class MdiWindowHost;
    /// The window opens (`opening`) or becomes active again: the focus goes to its first input,
    /// or on coming back to the control that had it; then activated() runs.
    void enterWindow(bool opening);
    /// A box over one of the inner windows has closed: that window becomes active again.
    static void afterBox(QWidget *parent);
    bool m_loaded = false;
    bool m_focusConsoleOnClose = false;
    QPointer<QWidget> m_lastFocus;
};

/// Hosts the inner windows: at most one of each, brought forward when already open.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual ConsoleWindow *showInside(const QString &key,
                                      const std::function<ConsoleWindow *()> &make) = 0;
    virtual ConsoleWindow *find(const QString &key) const = 0;
    virtual QWidget *consoleWidget() const = 0;
};

/// The standard host over a QMdiArea (the console's, or a test's).
class MdiWindowHost : public QObject, public WindowHost {
    Q_OBJECT
public:
    explicit MdiWindowHost(QMdiArea *area, QWidget *console);
    ConsoleWindow *showInside(const QString &key,
                              const std::function<ConsoleWindow *()> &make) override;
    ConsoleWindow *find(const QString &key) const override;
    QWidget *consoleWidget() const override { return m_console; }
    QMdiArea *area() const { return m_area; }

private:
    QMdiArea *m_area;
    QWidget *m_console;
    QHash<QString, QPointer<ConsoleWindow>> m_windows;
};

void setWindowHost(WindowHost *host);
WindowHost *windowHost();

/// Opens window T inside the console (or brings it forward); nullptr when its load failed.
template <class T> T *ShowInsideConsole()
{
    return qobject_cast<T *>(windowHost()->showInside(
        QString::fromLatin1(T::staticMetaObject.className()), [] { return new T; }));
}

/// The open window T, or nullptr.
template <class T> T *findInsideConsole()
{
    return qobject_cast<T *>(windowHost()->find(QString::fromLatin1(T::staticMetaObject.className())));
}
