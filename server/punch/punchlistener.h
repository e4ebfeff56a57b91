#pragma once
// The listening socket of the punch server: accepted connections go to the server as bare
// descriptors, never as QTcpSockets (each of those would cost the event loop on every turn).

#include "punchserver.h"
#include <QTcpServer>

class PunchServer::Listener : public QTcpServer {
public:
    explicit Listener(PunchServer *server) : QTcpServer(server), m_server(server) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_server->addConnection(int(descriptor)); }

private:
    PunchServer *m_server;
};
