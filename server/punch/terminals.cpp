#include "terminals.h"
#include "database.h"
#include "dialogs.h"
#include "module1.h"
#include "uiutil.h"
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

using zarvo::twips;
using zarvo::twipsRect;

Terminals::Terminals(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Terminals"));
    setWindowTitle(QStringLiteral("Terminals Connected"));
    setFixedSize(twips(4320), twips(3600));

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

    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("PushButton1"));
    m_done->setGeometry(twipsRect(2880, 2940, 1320, 495));
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
