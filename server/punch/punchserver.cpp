#include "punchserver.h"

// Placeholder until the network part is built.
PunchServer::PunchServer(QWidget *console) : QObject(console), m_console(console) {}
PunchServer::~PunchServer() = default;
bool PunchServer::listen() { return true; }
QString PunchServer::errorString() const { return m_error; }
void PunchServer::RebuildTerminalList() {}
