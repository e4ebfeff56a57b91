#include "tableexport.h"
#include "numbertext.h"
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTime>
#include <xlsxwriter.h>

namespace zarvo {

QString cellText(const QVariant &cell)
{
    if (!cell.isValid() || cell.isNull())
        return {};
    switch (cell.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: return generalNumber(cell.toDouble());
    case QMetaType::QDate: return cell.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: return cell.toTime().toString(QStringLiteral("HH:mm:ss"));
    default: return cell.toString();
    }
}

namespace {
QByteArray csvField(const QString &text)
{
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')) {
        f.replace('"', "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

QByteArray csvLine(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}
} // namespace

void writeCsv(QIODevice &out, const DataTable &table)
{
    out.write(csvLine(table.fields));
    for (const QVariantList &row : table.rows) {
        QStringList fields;
        for (const QVariant &cell : row)
            fields << cellText(cell);
        out.write(csvLine(fields));
    }
}

bool writeCsvFile(const QString &path, const DataTable &table, QString *error)
{
    // Written beside and renamed into place: a failed export never leaves half a file.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        writeCsv(file, table);
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

bool writeXlsxFile(const QString &path, const DataTable &table, const QString &sheetName, QString *error)
{
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook *book = workbook_new(file.constData());
    if (!book) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(path);
        return false;
    }
    lxw_worksheet *sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    for (qsizetype c = 0; c < table.fields.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), table.fields[c].toUtf8().constData(), bold);
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QVariantList &row = table.rows[r];
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QVariant &cell = row[c];
            const auto rr = lxw_row_t(r + 1);
            const auto cc = lxw_col_t(c);
            if (!cell.isValid() || cell.isNull())
                continue;
            if (cell.typeId() == QMetaType::Double || cell.typeId() == QMetaType::Float)
                worksheet_write_number(sheet, rr, cc, cell.toDouble(), nullptr);
            else
                worksheet_write_string(sheet, rr, cc, cellText(cell).toUtf8().constData(), nullptr);
        }
    }
    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR) {
        if (error)
            *error = QString::fromUtf8(lxw_strerror(rc));
        return false;
    }
    return true;
}

bool writeTableFile(const QString &path, const DataTable &table, const QString &sheetName, QString *error)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return writeXlsxFile(path, table, sheetName, error);
    return writeCsvFile(path, table, error);
}

} // namespace zarvo
