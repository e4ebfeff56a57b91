#include "terminals.h"
#include "clock.h"
#include "database.h"
#include "dialogs.h"
#include "module1.h"
#include "terminalhealth.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using zarvo::twips;
using zarvo::twipsRect;

Terminals::Terminals(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Terminals"));
    setWindowTitle(QStringLiteral("Terminals Connected"));
    // The address list as it always was, on the left; the terminals' health beside it.
    setFixedSize(twips(13200), twips(3600));

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 60, 4080, 2760));

    // A list view in report view: one column, no sorting, items in table order.
    m_list = new QTreeWidget(frame);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setGeometry(twipsRect(120, 240, 3840, 2400));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("IP Address")});
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch);

    auto *healthFrame = new QGroupBox(this);
    healthFrame->setObjectName(QStringLiteral("Frame2"));
    healthFrame->setGeometry(twipsRect(4320, 60, 8760, 2760));
    m_healthModel = new TerminalHealthModel(this);
    m_health = new QTreeView(healthFrame);
    m_health->setObjectName(QStringLiteral("TerminalHealth"));
    m_health->setGeometry(twipsRect(120, 240, 8520, 2400));
    m_health->setModel(m_healthModel);
    m_health->setRootIsDecorated(false);
    m_health->setUniformRowHeights(true); // thousands of rows cost no more to show than ten
    m_health->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_health->setEditTriggers(QAbstractItemView::NoEditTriggers);
    static const int widths[] = {1650, 2475, 1200, 675, 825};
    for (int c = 0; c < 5; ++c)
        m_health->header()->resizeSection(c, twips(widths[c]));
    m_health->header()->setStretchLastSection(true);

    m_refresh = new QTimer(this);
    m_refresh->setInterval(1000);
    connect(m_refresh, &QTimer::timeout, this, &Terminals::refreshHealth);

    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("PushButton1"));
    m_done->setGeometry(twipsRect(13200 - 120 - 1320, 2940, 1320, 495));
    connect(m_done, &QPushButton::clicked, this, &Terminals::closeWindow);
}

bool Terminals::load()
{
    // No maximise or minimise box on the frame inside the console.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        frame->show();
    }
    // The health table follows the live terminals whatever becomes of the address list.
    refreshHealth();
    m_refresh->start();
    zarvo::DatabaseSession &db = Module1::instance().db;
    zarvo::RecordSet rs;
    try {
        rs.open(db, QStringLiteral("Select * from Terminal"));
    } catch (const zarvo::DbError &) {
        // Reported below when the connection is closed; otherwise the list stays empty.
    }
    if (!db.isOpen()) {
        zarvo::Dialogs::message(this, QStringLiteral("Could not open database ..."),
                                QStringLiteral("Connection Failed"), zarvo::BoxIcon::Exclamation);
        return false;
    }
    if (!rs.isOpen())
        return true;
    try {
        for (; !rs.eof(); rs.moveNext())
            new QTreeWidgetItem(m_list, {rs.text(QStringLiteral("ip"))});
    } catch (const zarvo::DbError &) {
        // Rows read so far stay listed.
    }
    return true;
}

void Terminals::refreshHealth()
{
    // Reads the punch server's memory only: cheap, and never holds a punch up.
    if (zarvo::TerminalRegistry *registry = zarvo::TerminalRegistry::current())
        m_healthModel->refresh(*registry, zarvo::Clock::now());
}
