#include "company.h"
#include "changelog.h"
#include "clock.h"
#include "dialogs.h"
#include "module1.h"
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zarvo;

namespace {
constexpr int kPreviewSize = 160;
// The dialog offers "*.bmp;*.jpg;*.gif": that text names the filter, the brackets hold the
// same patterns in the form the file dialog matches (blank-separated).
const QString kImagePattern = QStringLiteral("*.bmp;*.jpg;*.gif (*.bmp *.jpg *.gif)");
} // namespace

Company::Company(QWidget *parent) : ConsoleWindow(parent)
{
    setObjectName(QStringLiteral("Company"));
    setWindowTitle(QStringLiteral("Company Information"));

    auto *heading = new QLabel(QStringLiteral("Business Information"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont big = heading->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    heading->setFont(big);
    m_date = new QLabel(this);
    m_date->setObjectName(QStringLiteral("lblDate"));
    auto *hint = new QLabel(
        QStringLiteral("Fill all fields or fields with '*' then click 'Save' button to update."), this);
    hint->setObjectName(QStringLiteral("Label2"));

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    int row = 0;
    auto field = [&](const char *name, const QString &caption) {
        auto *box = new QLineEdit(frame);
        box->setObjectName(QString::fromLatin1(name));
        auto *label = new QLabel(caption, frame);
        label->setBuddy(box); // "&" marks the access key
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1, 1, 2); // the logo row shares its span with "..."
        ++row;
        return box;
    };
    m_title = field("txtTitle", QStringLiteral("* Business &Title :"));
    m_address = field("txtAddress", QStringLiteral("* &Address :"));
    m_city = field("txtCity", QStringLiteral("* City :"));
    m_state = field("txtState", QStringLiteral("* State/Province :"));
    m_country = field("txtCountry", QStringLiteral("* Country :"));
    m_zip = field("txtZip", QStringLiteral("* Zip Code :"));
    m_phone = field("txtPhone", QStringLiteral("* Telephone No. :"));
    m_permit = field("txtPermit", QStringLiteral("Permit No. :"));
    m_logo = field("txtLogo", QStringLiteral("* Logo :"));
    m_browse = new QPushButton(QStringLiteral("..."), frame);
    m_browse->setObjectName(QStringLiteral("PushButton1"));
    m_browse->setToolTip(QStringLiteral("Location for Logo"));
    m_browse->setFixedWidth(32);
    grid->removeWidget(m_logo);
    grid->addWidget(m_logo, row - 1, 1);
    grid->addWidget(m_browse, row - 1, 2);

    m_image = new QLabel(frame);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFixedSize(kPreviewSize, kPreviewSize);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(m_image, 0, 3, row, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("PushButton2"));
    m_ok->setMinimumWidth(90);

    auto *top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch();
    top->addWidget(m_date);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_ok);
    auto *root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(hint);
    root->addWidget(frame, 1);
    root->addLayout(bottom);

    connect(m_browse, &QPushButton::clicked, this, &Company::browseClicked);
    connect(m_ok, &QPushButton::clicked, this, &Company::okClicked);
    resize(620, 400);
}

Company::~Company() = default;

QString Company::dateText(const QDate &date)
{
    return QLocale::c().toString(date, QStringLiteral("MMM-dd-yyyy"));
}

bool Company::load()
{
    m_date->setText(dateText(Clock::now().date()));
    try {
        m_rs.open(Module1::instance().db, QStringLiteral("Select * from Company"));
    } catch (const DbError &) {
    }
    if (!Module1::instance().db.isOpen() || !m_rs.isOpen()) {
        Dialogs::message(this, QStringLiteral("Could not open database ..."));
        return true; // this window stays open
    }
    if (m_rs.recordCount() < 1)
        return true;
    const std::pair<QLineEdit *, const char *> boxes[] = {
        {m_title, "biztitle"}, {m_address, "address"}, {m_city, "city"},
        {m_state, "state"},    {m_country, "country"}, {m_zip, "zip"},
        {m_phone, "phone"},    {m_permit, "permit"},   {m_logo, "logo"}};
    for (const auto &[box, name] : boxes) {
        try {
            box->setText(m_rs.text(QString::fromLatin1(name)));
        } catch (const DbError &) {
            // a field that cannot be read is passed over
        }
    }
    showPicture(m_logo->text());
    return true;
}

bool Company::showPicture(const QString &path)
{
    if (path.isEmpty()) {
        m_image->clear();
        return true;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    m_image->setPixmap(QPixmap::fromImage(image).scaled(m_image->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation));
    return true;
}

void Company::browseClicked()
{
    const auto chosen = Dialogs::openFileName(this, QStringLiteral("Select Image"),
                                              kImagePattern,
                                              m_dialogFile);
    // A cancelled dialog still hands back the name it held: the last one chosen here, or none.
    if (chosen && !chosen->isEmpty())
        m_dialogFile = *chosen;
    m_logo->setText(m_dialogFile);
    showPicture(m_logo->text());
}

void Company::okClicked()
{
    const struct {
        QLineEdit *box;
        const char *text;
        const char *title;
    } required[] = {
        {m_title, "Business Title Must Not Be Empty", "Title Missing"},
        {m_address, "Business Address Must Not Be Empty", "Address Missing"},
        {m_city, "City Must Not Be Empty", "City Missing"},
        {m_state, "State Must Not Be Empty", "State Missing"},
        {m_country, "Country Must Not Be Empty", "Country Missing"},
        {m_zip, "Zip Code Must Not Be Empty", "Zip Code Missing"},
        {m_phone, "Phone Number Must Not Be Empty", "Phone Number Missing"},
        {m_logo, "Logo Location Must Not Be Empty", "Logo Empty"},
    };
    for (const auto &r : required) {
        if (r.box->text().isEmpty()) {
            Dialogs::message(this, QString::fromLatin1(r.text), QString::fromLatin1(r.title),
                             BoxIcon::Information);
            if (r.box == m_logo)
                m_browse->setFocus();
            else
                r.box->setFocus();
            return;
        }
    }
    const std::pair<const char *, QLineEdit *> fields[] = {
        {"biztitle", m_title}, {"address", m_address}, {"city", m_city},
        {"state", m_state},    {"country", m_country}, {"zip", m_zip},
        {"phone", m_phone},    {"permit", m_permit},   {"logo", m_logo}};
    const int before = m_rs.position();
    try {
        const bool adding = m_rs.recordCount() < 1;
        ChangeLog::HandChange logged(Module1::instance().db, objectName(), m_rs, adding ? ChangeLog::Action::Add : ChangeLog::Action::Change);
        if (adding)
            m_rs.addNew();
        for (const auto &[name, box] : fields)
            m_rs.setValue(QString::fromLatin1(name),
                          box->text().isEmpty() ? QStringLiteral(" ") : box->text());
        m_rs.update();
        logged.commit();
    } catch (const DbError &e) {
        // Nothing was written; what was typed stays in the boxes for another try.
        try {
            if (m_rs.isOpen())
                m_rs.setPosition(before);
        } catch (const DbError &) {
        }
        Dialogs::message(this,
                         QStringLiteral("The company information could not be saved: %1").arg(e.message()),
                         QStringLiteral("Save Failed"), BoxIcon::Exclamation);
        return;
    }
    closeWindow();
}
