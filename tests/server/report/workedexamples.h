#pragma once
// The two worked examples of the payroll reports, filled the way the runs fill them: one
// employee with 08:00-12:00 and 13:00-18:30 (detail: 80 / 22.5 / 102.5) and two employees, one
// with 08:00-17:00 and one without punches (summary: 40 / 75 / 115).

#include "datatable.h"
#include "payrolldesigns.h" // the designs, and reportDate through the runs' figures
#include <QDate>
#include <QImage>
#include <QPainter>
#include <QTime>

namespace worked {

using namespace zarvo;
using namespace zarvo::report;

inline QString logoFile(const QString &folder)
{
    // A wide logo: fitted into its box it keeps its 2:1 shape.
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(QColor(0, 90, 160));
    QPainter p(&logo);
    p.fillRect(20, 20, 60, 60, QColor(250, 200, 0));
    p.end();
    const QString path = folder + "/logo.bmp";
    logo.save(path);
    return path;
}

inline void header(ReportDesign &d, const QString &logo)
{
    d.setPicture("Section4", "Image1", logo);
    d.setCaption("Section4", "lblCompany", "Harbor Bakery Ltd.");
    d.setCaption("Section4", "lblAddress", QString("12 Quay Street, Portsmouth") + QChar(13) + "Hampshire, United Kingdom PO1 2AB");
    d.setCaption("Section4", "lblContact", "023 9200 1234");
    d.setCaption("Section4", "Label5", reportDate(QDate(2024, 1, 1)));
    d.setCaption("Section4", "Label6", reportDate(QDate(2024, 1, 7)));
    d.setCaption("Section4", "Label8", reportDate(QDate(2024, 1, 8)));
}

inline DataTable detailRows()
{
    DataTable t;
    t.fields = {"emp_id", "rsdate", "in1", "out1", "work_hours", "regular", "rsot"};
    t.rows = {{"E100", QDate(2024, 1, 5), QTime(8, 0), QTime(12, 0), 4.0, 4.0, 0.0},
              {"E100", QDate(2024, 1, 5), QTime(13, 0), QTime(18, 30), 5.5, 4.0, 1.5}};
    return t;
}

inline ReportDesign detail(const QString &logo)
{
    ReportDesign d = detailDesign();
    header(d, logo);
    d.setCaption("Section4", "Label16", "Ann Lee");
    for (auto [name, text] : {std::pair{"Label17", "8"}, {"Label18", "1.5"}, {"Label19", "9.5"},
                              {"Label23", "8"}, {"Label24", "1.5"}, {"Label25", "9.5"},
                              {"Label26", "10"}, {"Label27", "15"}, {"Label29", "80"},
                              {"Label30", "22.5"}, {"Label31", "102.5"}})
        d.setCaption("Section5", name, text);
    return d;
}

inline DataTable summaryRows()
{
    DataTable t;
    t.fields = {"emp_id", "emp_name", "work_hours", "regular", "ot", "wage", "ot_wage",
                "reg_earnings", "ot_earnings", "tot_earnings"};
    t.rows = {{"E100", "Ann Lee", 9.0, 4.0, 5.0, 10.0, 15.0, 40.0, 75.0, 115.0},
              {"E200", "Bo Park", 0.0, 0.0, 0.0, 12.0, 18.0, 0.0, 0.0, 0.0}};
    return t;
}

inline ReportDesign summary(const QString &logo)
{
    ReportDesign d = summaryDesign();
    header(d, logo);
    return d;
}

} // namespace worked
