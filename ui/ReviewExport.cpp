#include "ui/ReviewExport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace tolvane {

namespace {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields) {
        quoted << csvField(field);
    }
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

// Tabs and line breaks inside a cell would break the clipboard's rows and columns.
QString flat(QString text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

ReviewExport::ReviewExport(QStringList headers, std::vector<QStringList> rows)
    : headers_(std::move(headers)), rows_(std::move(rows)) {}

QString ReviewExport::csv() const {
    QString out = csvLine(headers_);
    for (const QStringList& row : rows_) {
        out += csvLine(row);
    }
    return out;
}

QString ReviewExport::json() const {
    QJsonArray rows;
    for (const QStringList& row : rows_) {
        QJsonObject object;
        for (int column = 0; column < headers_.size() && column < row.size(); ++column) {
            object.insert(headers_[column], row[column]);
        }
        rows.append(object);
    }
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Indented));
}

QString ReviewExport::html(const QString& title) const {
    QString out =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<title>%1</title>\n<style>body{font-family:sans-serif;margin:1.5em;"
                       "color:#1d2445;background:#fff}table{border-collapse:collapse;width:100%}"
                       "th,td{border:1px solid #d5dcee;padding:4px 8px;text-align:left;"
                       "vertical-align:top;word-break:break-all}th{background:#e8eefb}"
                       "tr:nth-child(even) td{background:#f6f8fe}"
                       "@media (prefers-color-scheme: dark){body{color:#e6e9f5;"
                       "background:#161c3a}th{background:#242f63}"
                       "tr:nth-child(even) td{background:#1c2448}td,th{border-color:#3a4578}}"
                       "</style></head>\n<body><h1>%1</h1>\n<p>%2 entries</p>\n<table>\n<tr>")
            .arg(title.toHtmlEscaped())
            .arg(rows_.size());
    for (const QString& header : headers_) {
        out += QStringLiteral("<th>%1</th>").arg(header.toHtmlEscaped());
    }
    out += QStringLiteral("</tr>\n");
    for (const QStringList& row : rows_) {
        out += QStringLiteral("<tr>");
        for (const QString& cell : row) {
            out += QStringLiteral("<td>%1</td>").arg(cell.toHtmlEscaped());
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + QStringLiteral("</table>\n</body></html>\n");
}

QString ReviewExport::tabSeparated() const {
    QStringList lines;
    QStringList header;
    for (const QString& cell : headers_) {
        header << flat(cell);
    }
    lines << header.join(QLatin1Char('\t'));
    for (const QStringList& row : rows_) {
        QStringList cells;
        for (const QString& cell : row) {
            cells << flat(cell);
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

ReviewExport::Format ReviewExport::formatOf(const QString& file) {
    const QString lower = file.toLower();
    if (lower.endsWith(QStringLiteral(".json"))) {
        return Format::json;
    }
    if (lower.endsWith(QStringLiteral(".html")) || lower.endsWith(QStringLiteral(".htm"))) {
        return Format::html;
    }
    return Format::csv;
}

QString ReviewExport::write(const QString& file, Format format, const QString& title) const {
    const QString text = format == Format::json   ? json()
                         : format == Format::html ? html(title)
                                                  : csv();
    // Written beside the target and renamed: a failed export leaves an older file whole.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        return out.errorString();
    }
    out.write(text.toUtf8());
    if (!out.commit()) {
        return out.errorString();
    }
    return {};
}

} // namespace tolvane
