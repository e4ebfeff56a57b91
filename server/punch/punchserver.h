#pragma once
// The punch server: listens for terminals on the punch port and answers their punches.

#include <QObject>
#include <QString>

class QWidget;

class PunchServer : public QObject {
    Q_OBJECT
public:
    explicit PunchServer(QWidget *console);
    ~PunchServer() override;
    /// Starts listening on the punch port (all interfaces); false with errorString() on failure.
    bool listen();
    QString errorString() const;
    /// Rebuilds table Terminal from the connected terminals, then shows the Terminals window.
    void RebuildTerminalList();

private:
    QWidget *m_console;
    QString m_error;
};
