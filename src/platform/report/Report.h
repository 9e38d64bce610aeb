#pragma once
#include "DataSet.h"

#include <QMap>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace report {

// What a component of a layout is. Sections group components that move
// together; a region holds bands stacked from its top: header bands (column
// titles, repeated on every page when asked), data bands (once per row of
// their data connection) and summary bands (after the last row).
enum class Kind {
    Text,      // one line of fixed text
    DataText,  // one line taken from a field of the current row
    Memo,      // fixed text wrapped into its width
    DataMemo,  // a field wrapped into its width
    Barcode,   // EAN-8 / EAN-13 bars of a field or a fixed text
    Line,
    Rect,
    Section,
    Region,
    HeaderBand,
    DataBand,
    SummaryBand,
};

enum class Align { Left, Center, Right };

struct FontSpec {
    QString family;
    double size = 10;  // points
    bool bold = false;
    bool italic = false;
};

// Positions and sizes are in inches (the report's page units), relative to
// the component's container: the page, a section or a band.
struct Component {
    QString name;
    Kind kind = Kind::Text;
    double left = 0;
    double top = 0;
    double width = 0;        // 0: a text takes its natural width
    double height = 0;       // 0: a region reaches the page's bottom margin
    QString text;            // fixed text; may hold {page}, {pages}, {date}, {line}, {count}
    bool fixedText = false;  // a caller gave a data component its own text
    QString field;
    QString connection;  // data bands
    FontSpec font;
    Align align = Align::Left;
    bool visible = true;
    bool frame = false;       // a border round the component (table cells)
    bool autoHeight = false;  // a memo that grows its band to show all lines
    bool stretch = false;     // takes the full height of its band (table cells)
    bool repeat = false;      // a header band printed again on every page
    bool everyPage = false;   // a page component printed on every page
    bool laterPages = false;  // a page component printed on every page but the first
    int columns = 1;          // data band: rows placed side by side (price tags)
    double columnWidth = 0;   // data band: 0 means the band's width
    double lineWidth = 0.75;  // points, for lines and frames
    std::vector<Component> children;
};

struct PageSpec {
    double width = 8.27;  // A4 portrait
    double height = 11.69;
    double marginTop = 0.4;
    double marginBottom = 0.4;
};

// One report of the project, as a working copy the caller fills: texts,
// removed and moved components, fonts, data. Changes never reach the project
// file; selecting the report again starts from the file's layout.
class Report {
public:
    Report() = default;
    Report(QString name, PageSpec page, std::vector<Component> components);

    const QString& name() const { return name_; }
    const PageSpec& page() const { return page_; }
    const std::vector<Component>& components() const { return components_; }

    bool contains(const QString& component) const { return find(component) != nullptr; }
    const Component* find(const QString& component) const;

    // Each returns false when the report has no component of that name, so
    // that a caller may treat optional components as optional.
    bool setText(const QString& component, const QString& text);
    bool remove(const QString& component);
    bool setTop(const QString& component, double inches);
    bool setFont(const QString& component, const QString& family, double pointSize = 0);
    bool setFontSize(const QString& component, double pointSize);
    bool setVisible(const QString& component, bool visible);

    // Text and data-text components of the page, in layout order.
    QStringList textComponents() const;
    // Memo and data-memo components.
    QStringList memoComponents() const;
    // Data connections the layout's data bands are bound to.
    QStringList dataConnections() const;

    // Binds a data connection to rows; an unbound connection has no rows.
    void bindData(const QString& connection, DataSet rows);
    const DataSet* data(const QString& connection) const;

    int copies() const { return copies_; }
    void setCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }

private:
    Component* findMutable(const QString& component);

    QString name_;
    PageSpec page_;
    std::vector<Component> components_;
    QMap<QString, DataSet> data_;
    int copies_ = 1;
};

}  // namespace report
