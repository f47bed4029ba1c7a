#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tolvane {

// The review window's list written out for other programs and for people: CSV (RFC 4180
// quoting), JSON (an array of objects keyed by the column names) and a self-contained HTML
// report (no scripts, no outside files). Every text is escaped for its format.
class ReviewExport {
public:
    enum class Format { csv, json, html };

    ReviewExport(QStringList headers, std::vector<QStringList> rows);

    QString csv() const;
    QString json() const;
    // `title` heads the report.
    QString html(const QString& title) const;
    // Tab-separated with a header line, for the clipboard.
    QString tabSeparated() const;

    // Writes the list in `format` as UTF-8; an error text on failure, empty on success.
    QString write(const QString& file, Format format, const QString& title) const;
    // The format a file name asks for (.csv, .json, .html/.htm); CSV for anything else.
    static Format formatOf(const QString& file);

private:
    QStringList headers_;
    std::vector<QStringList> rows_;
};

} // namespace tolvane
