#include "searchid.h"
#include "changelog.h"
#include "artwork.h"
#include "dialogs.h"
#include "keyboard.h"
#include "employee.h"
#include "module1.h"
#include "pointerzones.h"
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include "uiutil.h"
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace zarvo;

namespace {
void connectionFailed(QWidget *parent)
{
    Dialogs::message(parent, QStringLiteral("Could not open database ..."),
                     QStringLiteral("Connection Failed"), BoxIcon::Exclamation);
}
} // namespace

SearchID::SearchID(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("SearchID"));
    setWindowTitle(QStringLiteral("Search Employee"));

    auto makeGroup = [this](const char *name, const QString &caption) {
        auto *g = new QGroupBox(caption, this);
        g->setObjectName(QString::fromLatin1(name));
        m_groups << g;
        return g;
    };

    QGroupBox *idGroup = makeGroup("Frame1", QStringLiteral("Employee ID"));
    m_idBox = new QLineEdit;
    m_idBox->setObjectName(QStringLiteral("Srch_Emp_ID"));
    m_idSearch = zarvo::makeButton(this, "PushButton1", QStringLiteral("Search"), 0);
    auto *idRow = new QHBoxLayout(idGroup);
    idRow->addWidget(m_idBox, 1);
    idRow->addWidget(m_idSearch);

    QGroupBox *nameGroup = makeGroup("Frame2", QStringLiteral("Last Name"));
    m_nameBox = new QLineEdit;
    m_nameBox->setObjectName(QStringLiteral("Srch_LName"));
    m_nameSearch = zarvo::makeButton(this, "PushButton2", QStringLiteral("Search"), 0);
    auto *nameRow = new QHBoxLayout(nameGroup);
    nameRow->addWidget(m_nameBox, 1);
    nameRow->addWidget(m_nameSearch);

    QGroupBox *resultGroup = makeGroup("Frame3", QStringLiteral("Result"));
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("Employee ID"), QStringLiteral("Last Name"),
                             QStringLiteral("First Name"), QStringLiteral("Middle Name")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch); // four equal columns
    m_list->header()->setSectionsMovable(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_upload = zarvo::makeButton(this, "PushButton3", QString(), 0);
    m_upload->setIcon(Artwork::icon(QStringLiteral("upload")));
    m_upload->setToolTip(QStringLiteral("Upload this Record"));
    m_delete = zarvo::makeButton(this, "PushButton4", QString(), 0);
    m_delete->setIcon(Artwork::icon(QStringLiteral("delete")));
    m_delete->setToolTip(QStringLiteral("Delete this Record"));
    for (QPushButton *b : {m_upload, m_delete}) {
        b->setIconSize(QSize(32, 32));
        b->setFixedSize(48, 48);
    }
    auto *side = new QVBoxLayout;
    side->addWidget(m_upload);
    side->addWidget(m_delete);
    side->addStretch();
    auto *resultRow = new QHBoxLayout(resultGroup);
    resultRow->addWidget(m_list, 1);
    resultRow->addLayout(side);

    auto *top = new QHBoxLayout;
    top->addWidget(idGroup);
    top->addWidget(nameGroup);
    auto *root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(resultGroup, 1);
    zarvo::installPointerZones(this, {m_idSearch, m_nameSearch, m_upload, m_delete},
                               {m_groups.begin(), m_groups.end()});

    // Tab follows the layout: each group's box then its button, then the result list and its
    // two buttons.
    zarvo::Keyboard::setTabOrder({m_idBox, m_idSearch, m_nameBox, m_nameSearch, m_list, m_upload, m_delete});
    setFocusConsoleOnClose(true);

    connect(m_idSearch, &QPushButton::clicked, this, &SearchID::searchById);
    connect(m_nameSearch, &QPushButton::clicked, this, &SearchID::searchByLastName);
    connect(m_upload, &QPushButton::clicked, this, &SearchID::uploadClicked);
    connect(m_delete, &QPushButton::clicked, this, &SearchID::deleteClicked);
    // Enter only moves on to the ID group's "Search" button, from either box.
    connect(m_idBox, &QLineEdit::returnPressed, m_idSearch, [this] { m_idSearch->setFocus(); });
    connect(m_nameBox, &QLineEdit::returnPressed, m_idSearch, [this] { m_idSearch->setFocus(); });
}

SearchID::~SearchID() = default;

bool SearchID::load()
{
    try {
        m_rs.open(Module1::instance().db, QStringLiteral("Select * from employee"));
    } catch (const DbError &) {
    }
    if (!Module1::instance().db.isOpen() || !m_rs.isOpen()) {
        connectionFailed(this);
        return false;
    }
    return true;
}

void SearchID::searchById()
{
    search(m_idBox, QStringLiteral("Select * from employee where emp_id = ?"), false);
}

void SearchID::searchByLastName()
{
    search(m_nameBox, QStringLiteral("Select * from employee where emp_lname = ?"), true);
}

void SearchID::search(QLineEdit *box, const QString &sql, bool upperCase)
{
    if (box->text().isEmpty()) {
        Dialogs::message(this, QStringLiteral("Unable to Search Empty Field"),
                         QStringLiteral("Search Key Empty"), BoxIcon::Exclamation);
        return;
    }
    QString key = box->text().trimmed();
    if (upperCase) {
        // Letter by letter, so the key keeps its length: "ß" would become "SS" as a whole
        // text and never match the stored name again.
        for (QChar &c : key)
            c = c.toUpper();
    }
    if (key.isNull())
        key = QString(""); // blanks only search for the empty text, not for Null
    RecordSet found;
    try {
        found.open(Module1::instance().db, sql, {key});
    } catch (const DbError &e) {
        if (!Module1::instance().db.isOpen()) {
            connectionFailed(this);
            closeWindow();
        } else {
            Dialogs::message(this, QStringLiteral("The search failed: %1").arg(e.message()),
                             QStringLiteral("Search Failed"), BoxIcon::Exclamation);
        }
        return;
    }
    m_rs = std::move(found);
    fillList();
}

void SearchID::fillList()
{
    m_list->clear();
    try {
        for (; !m_rs.eof(); m_rs.moveNext()) {
            auto *item = new QTreeWidgetItem(m_list);
            item->setText(0, m_rs.text(QStringLiteral("emp_id")));
            item->setText(1, m_rs.text(QStringLiteral("emp_lname")));
            item->setText(2, m_rs.text(QStringLiteral("emp_fname")));
            item->setText(3, m_rs.text(QStringLiteral("emp_mname")));
        }
    } catch (const DbError &) {
        // A row that cannot be read ends the list where it stands.
    }
}

void SearchID::uploadClicked()
{
    QTreeWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected())
        return;
    Module1::instance().SelectedEmpID = item->text(0);
    // An editor that is open already is only brought forward; it still gets "Edit".
    if (Employee *editor = ShowInsideConsole<Employee>())
        editor->enableEdit();
    closeWindow();
}

void SearchID::deleteClicked()
{
    QTreeWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString id = item->text(0);
    delete item;
    // The list would hand the choice on to a neighbour; without this a second click would
    // delete an employee nobody chose.
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    // Every row of the current result carrying exactly that ID goes; failures end it silently.
    try {
        if (m_rs.recordCount() == 0)
            return;
        for (m_rs.moveFirst(); !m_rs.eof(); m_rs.moveNext()) {
            const QVariant v = m_rs.value(QStringLiteral("emp_id"));
            if (v.isValid() && v.toString() == id)
                ChangeLog::record(Module1::instance().db, objectName(), m_rs, ChangeLog::Action::Delete, [this] { m_rs.remove(); });
        }
    } catch (const DbError &) {
    }
}
