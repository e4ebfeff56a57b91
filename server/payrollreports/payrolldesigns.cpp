#include "payrolldesigns.h"

namespace zarvo::report {
namespace {

const QColor kDarkGrey(64, 64, 64);
const QColor kTabGrey(128, 128, 128);
const QColor kLightRed(255, 192, 192);

Control label(const char *name, int l, int t, int w, int h, const QString &caption = {})
{
    Control c;
    c.name = QString::fromLatin1(name);
    c.kind = ControlKind::Label;
    c.rect = QRect(l, t, w, h);
    c.caption = caption;
    return c;
}

Control growing(Control c)
{
    c.canGrow = true;
    return c;
}

Control withFont(Control c, const char *family, double size, bool italic = false)
{
    c.font = FontSpec{QString::fromLatin1(family), size, true, italic};
    return c;
}

Control textBox(const char *name, const char *field, int l, int t, int w, int h,
                Qt::Alignment align = Qt::AlignRight, const QString &format = {})
{
    Control c = label(name, l, t, w, h);
    c.kind = ControlKind::TextBox;
    c.field = QString::fromLatin1(field);
    c.align = align;
    c.format = format;
    return c;
}

Control line(const char *name, int l, int t, int w, QColor colour = Qt::black,
             Qt::PenStyle style = Qt::SolidLine)
{
    Control c = label(name, l, t, w, 0);
    c.kind = ControlKind::Line;
    c.foreColor = colour;
    c.lineStyle = style;
    return c;
}

Control shape(const char *name, ControlKind kind, int l, int t, int w, int h, QColor fill, QColor border)
{
    Control c = label(name, l, t, w, h);
    c.kind = kind;
    c.backColor = fill;
    c.foreColor = border;
    return c;
}

Control image(const char *name, int l, int t, int w, int h)
{
    Control c = label(name, l, t, w, h);
    c.kind = ControlKind::Image;
    return c;
}

// The grey title tab: white text on the tab (the text colour is ours to choose).
Control titleTab(int l, int w, const QString &text)
{
    Control c = withFont(growing(label("Label7", l, 1584, w, 285, text)), "Tahoma", 11.25, true);
    c.backColor = kTabGrey;
    c.foreColor = Qt::white;
    return c;
}

// The company block both designs open with: the picture at `left`, the company's name,
// address and contact beside it, and the grey rule under them cut by a white line; the title
// tab on the rule at `tabLeft`.
QList<Control> companyHeader(int left, const char *whiteLine, int tabLeft, int tabWidth, const QString &title)
{
    const int text = left + 1584;
    return {
        image("Image1", left, 0, 1440, 1290),
        withFont(label("lblCompany", text, 0, 6615, 435), "Verdana", 15.75),
        growing(label("lblAddress", text, 432, 5625, 420)),
        label("lblContact", text, 864, 3600, 285),
        shape("Shape1", ControlKind::Rectangle, left, 1728, 10230, 75, kDarkGrey, kDarkGrey),
        line(whiteLine, left - 144, 1768, 10530, Qt::white),
        titleTab(tabLeft, tabWidth, title),
    };
}

Band band(const char *name, BandKind kind, int height, QList<Control> controls = {})
{
    return Band{QString::fromLatin1(name), kind, height, std::move(controls)};
}

ReportDesign design(const char *name, const char *title, int width, Band header, Band detail, Band footer)
{
    ReportDesign d;
    d.name = QString::fromLatin1(name);
    d.title = QString::fromLatin1(title);
    d.width = width;
    d.reportFont = FontSpec{QStringLiteral("Arial"), 8.25, false, false};
    d.bands = {std::move(header), band("Section2", BandKind::PageHeader, 0), std::move(detail),
               band("Section3", BandKind::PageFooter, 360), std::move(footer)};
    return d;
}

} // namespace

ReportDesign detailDesign()
{
    Band header = band("Section4", BandKind::ReportHeader, 3765, QList<Control>{
        label("Label2", 720, 2160, 1005, 300, QStringLiteral("Pay Period")),
        label("Label3", 2160, 2160, 585, 300, QStringLiteral("From :")),
        label("Label4", 4320, 2160, 435, 300, QStringLiteral("To:")),
        label("Label5", 2736, 2160, 1290, 300),
        label("Label6", 4752, 2160, 1290, 300),
        label("Label8", 9504, 0, 1440, 285, QStringLiteral("Date")),
        label("Label14", 2592, 2880, 870, 300, QStringLiteral("Date")),
        label("Label11", 7344, 2880, 870, 285, QStringLiteral("Regular")),
        label("Label10", 6048, 2880, 1005, 285, QStringLiteral("Time Out")),
        label("Label9", 4608, 2880, 1140, 285, QStringLiteral("Time In")),
        label("Label12", 720, 2880, 1740, 285, QStringLiteral("Name")),
        label("Label13", 8208, 2880, 855, 285, QStringLiteral("Overtime")),
        label("Label15", 9216, 2880, 1155, 285, QStringLiteral("Work Hours")),
        line("Line1", 720, 2880, 9740),
        line("Line2", 720, 3168, 9740),
        growing(label("Label16", 720, 3312, 3165, 300, QStringLiteral("Label16"))),
    } + companyHeader(720, "Line3", 1296, 3165, QStringLiteral(" Detailed Timesheet Report")));
    const QString day = QStringLiteral("dd-MMM-yyyy");
    Band detail = band("Section1", BandKind::Detail, 285, {
        textBox("rsDate", "rsdate", 2592, 0, 1725, 285, Qt::AlignLeft, day),
        textBox("Text1", "in1", 4608, 0, 1155, 285, Qt::AlignLeft),
        textBox("Text2", "out1", 6048, 0, 1005, 285, Qt::AlignLeft),
        textBox("Text3", "regular", 7488, 0, 870, 285, Qt::AlignLeft),
        textBox("Text4", "rsot", 8352, 0, 855, 285, Qt::AlignLeft),
        textBox("Text5", "work_hours", 9360, 0, 1008, 285, Qt::AlignLeft),
    });
    Band footer = band("Section5", BandKind::ReportFooter, 2382, {
        label("Label17", 7488, 576, 585, 210, QStringLiteral("Label15")),
        line("Line4", 2304, 432, 8200),
        label("Label18", 8352, 576, 720, 210, QStringLiteral("Label16")),
        label("Label19", 9360, 576, 870, 210, QStringLiteral("Label17")),
        label("Label20", 5328, 576, 1440, 225, QStringLiteral("Work week totals")),
        label("Label21", 5328, 1008, 1440, 225, QStringLiteral("Pay Period Hours")),
        label("Label22", 5328, 1296, 1440, 210, QStringLiteral("Wages Per Hour")),
        line("Line5", 4896, 1728, 5540),
        label("Label23", 7488, 1008, 585, 225, QStringLiteral("Label22")),
        label("Label24", 8352, 1008, 720, 225, QStringLiteral("Label23")),
        label("Label25", 9360, 1008, 855, 225, QStringLiteral("Label24")),
        label("Label26", 7488, 1296, 585, 210, QStringLiteral("Label25")),
        label("Label27", 8352, 1296, 720, 210, QStringLiteral("Label26")),
        shape("Shape2", ControlKind::RoundedRectangle, 9216, 1872, 1005, 285, kLightRed, kLightRed),
        withFont(label("Label28", 5328, 1872, 1440, 225, QStringLiteral("Total Earnings")), "Arial", 9),
        label("Label29", 7488, 1872, 570, 225, QStringLiteral("Label28")),
        label("Label30", 8352, 1872, 720, 225, QStringLiteral("Label29")),
        label("Label31", 9360, 1872, 855, 225, QStringLiteral("Label30")),
    });
    return design("Detail", "Full Detail Report", 11106, std::move(header), std::move(detail),
                  std::move(footer));
}

ReportDesign summaryDesign()
{
    Band header = band("Section4", BandKind::ReportHeader, 3030, QList<Control>{
        label("Label2", 864, 2016, 1005, 285, QStringLiteral("Pay Period")),
        label("Label3", 2160, 2016, 570, 285, QStringLiteral("From :")),
        label("Label4", 4176, 2016, 432, 285, QStringLiteral("To :")),
        label("Label5", 2880, 2016, 1155, 285, QStringLiteral("Label5")),
        label("Label6", 4608, 2016, 1290, 285, QStringLiteral("Label6")),
        label("Label8", 9936, 0, 1155, 285, QStringLiteral("Label8")),
        label("Label11", 5472, 2592, 870, 285, QStringLiteral("Regular")),
        label("Label9", 864, 2592, 2160, 285, QStringLiteral("Name")),
        label("Label12", 6768, 2592, 855, 285, QStringLiteral("Overtime")),
        label("Label13", 8064, 2592, 1155, 285, QStringLiteral("Work Hours")),
        line("Line1", 864, 2880, 8640),
        line("Line2", 864, 2592, 8640),
    } + companyHeader(864, "Line5", 1440, 3300, QStringLiteral(" Timesheet Report Summary")));
    Band detail = band("Section1", BandKind::Detail, 2355, {
        withFont(growing(textBox("Text1", "emp_name", 864, 144, 3600, 285, Qt::AlignLeft)), "Arial", 9.75, true),
        shape("Shape2", ControlKind::RoundedRectangle, 7920, 1728, 1290, 285, kLightRed, kLightRed),
        label("Label10", 3456, 576, 1440, 225, QStringLiteral("Work week totals")),
        textBox("Text2", "work_hours", 8064, 576, 1005, 225),
        label("Label14", 3456, 1008, 1440, 225, QStringLiteral("Pay Period Hours")),
        label("Label15", 3456, 1296, 1440, 210, QStringLiteral("Wages Per Hour")),
        withFont(label("Label16", 3456, 1728, 1440, 225, QStringLiteral("Total Earnings")), "Arial", 9),
        line("Line3", 3312, 1584, 6195),
        textBox("Text3", "wage", 5328, 1296, 855, 225),
        textBox("Text4", "ot_wage", 6624, 1296, 870, 225),
        textBox("Text5", "regular", 5328, 576, 855, 225),
        textBox("Text6", "ot", 6624, 576, 870, 225),
        textBox("Text7", "regular", 5328, 1008, 855, 225),
        textBox("Text8", "ot", 6624, 1008, 870, 225),
        line("Line4", 1872, 2304, 7500, Qt::black, Qt::DotLine),
        textBox("Text9", "reg_earnings", 5328, 1728, 870, 225),
        textBox("Text10", "ot_earnings", 6624, 1728, 870, 225),
        textBox("Text11", "tot_earnings", 8064, 1728, 1005, 225),
    });
    Band footer = band("Section5", BandKind::ReportFooter, 1065);
    return design("Summary", "Timesheet Report Summary", 11250, std::move(header), std::move(detail),
                  std::move(footer));
}

} // namespace zarvo::report

namespace zarvo::report {
namespace {

// Which control shows which figure: the one place that ties the payroll's figures to the
// designs' control names. In the order the run sets them: picture, company, dates.
const std::pair<const char *, QString CompanyFacts::*> kCompanyControls[] = {
    {"lblCompany", &CompanyFacts::title}, {"lblAddress", &CompanyFacts::address}, {"lblContact", &CompanyFacts::phone}};

const std::pair<const char *, QString ReportHeaderCaptions::*> kHeaderControls[] = {
    {"Label5", &ReportHeaderCaptions::periodStart}, {"Label6", &ReportHeaderCaptions::periodEnd},
    {"Label8", &ReportHeaderCaptions::today}};

struct DetailControl {
    const char *band;
    const char *control;
    std::optional<QString> DetailCaptions::*figure;
};
const DetailControl kDetailControls[] = {
    {"Section4", "Label16", &DetailCaptions::employeeName},
    // "Work week totals" and "Pay Period Hours" both print the period's totals.
    {"Section5", "Label17", &DetailCaptions::regularHours},
    {"Section5", "Label18", &DetailCaptions::overtimeHours},
    {"Section5", "Label19", &DetailCaptions::workHours},
    {"Section5", "Label23", &DetailCaptions::regularHours},
    {"Section5", "Label24", &DetailCaptions::overtimeHours},
    {"Section5", "Label25", &DetailCaptions::workHours},
    {"Section5", "Label31", &DetailCaptions::totalEarnings},
    {"Section5", "Label26", &DetailCaptions::regularWage},
    {"Section5", "Label27", &DetailCaptions::overtimeWage},
    {"Section5", "Label29", &DetailCaptions::regularEarnings},
    {"Section5", "Label30", &DetailCaptions::overtimeEarnings},
};

const QString kHeader = QStringLiteral("Section4");

} // namespace

void applyHeader(ReportDesign &d, const ReportHeaderCaptions &h)
{
    if (h.company.found) {
        d.setPicture(kHeader, QStringLiteral("Image1"), h.company.logoPath);
        for (const auto &[control, text] : kCompanyControls)
            d.setCaption(kHeader, QString::fromLatin1(control), h.company.*text);
    }
    for (const auto &[control, text] : kHeaderControls)
        d.setCaption(kHeader, QString::fromLatin1(control), h.*text);
}

void applyCaptions(ReportDesign &d, const DetailCaptions &c)
{
    applyHeader(d, c.header);
    for (const DetailControl &place : kDetailControls)
        if (const std::optional<QString> &text = c.*place.figure)
            d.setCaption(QString::fromLatin1(place.band), QString::fromLatin1(place.control), *text);
}

} // namespace zarvo::report
