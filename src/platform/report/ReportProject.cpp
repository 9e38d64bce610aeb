#include "ReportProject.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <stdexcept>

namespace report {

namespace {

// A project that breaks a rule below is refused whole: printing half a
// layout would put wrong figures on paper.
struct ProjectError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString& text) {
    throw ProjectError(text.toStdString());
}

Kind kindOf(const QString& type, const QString& name) {
    static const QMap<QString, Kind> kinds{
        {"text", Kind::Text},         {"datatext", Kind::DataText}, {"memo", Kind::Memo},
        {"datamemo", Kind::DataMemo}, {"barcode", Kind::Barcode},   {"line", Kind::Line},
        {"rect", Kind::Rect},         {"section", Kind::Section},   {"region", Kind::Region},
        {"header", Kind::HeaderBand}, {"data", Kind::DataBand},     {"summary", Kind::SummaryBand},
    };
    auto it = kinds.constFind(type.toLower());
    if (it == kinds.constEnd()) fail(QStringLiteral("component %1: unknown type '%2'").arg(name, type));
    return *it;
}

bool isBand(Kind k) {
    return k == Kind::HeaderBand || k == Kind::DataBand || k == Kind::SummaryBand;
}
bool isContainer(Kind k) {
    return k == Kind::Section || k == Kind::Region || isBand(k);
}

FontSpec fontOf(const QJsonObject& o, FontSpec inherited) {
    if (o.contains("family")) inherited.family = o.value("family").toString();
    if (o.contains("size")) inherited.size = o.value("size").toDouble(inherited.size);
    if (o.contains("bold")) inherited.bold = o.value("bold").toBool();
    if (o.contains("italic")) inherited.italic = o.value("italic").toBool();
    return inherited;
}

Align alignOf(const QString& text) {
    if (text == "center") return Align::Center;
    if (text == "right") return Align::Right;
    return Align::Left;
}

Component componentOf(const QJsonObject& o, const FontSpec& inherited, Kind parent, QSet<QString>& names);

std::vector<Component> componentsOf(const QJsonValue& v, const FontSpec& font, Kind parent, QSet<QString>& names) {
    std::vector<Component> out;
    if (v.isUndefined()) return out;
    if (!v.isArray()) fail("components must be a list");
    for (const QJsonValue& item : v.toArray()) {
        if (!item.isObject()) fail("a component must be an object");
        out.push_back(componentOf(item.toObject(), font, parent, names));
    }
    return out;
}

Component componentOf(const QJsonObject& o, const FontSpec& inherited, Kind parent, QSet<QString>& names) {
    Component c;
    c.name = o.value("name").toString();
    if (c.name.isEmpty()) fail("a component has no name");
    if (names.contains(c.name.toUpper())) fail(QStringLiteral("component name '%1' is used twice").arg(c.name));
    names.insert(c.name.toUpper());
    c.kind = kindOf(o.value("type").toString(), c.name);
    if (isBand(c.kind) != (parent == Kind::Region))
        fail(QStringLiteral("component %1: bands belong in regions and regions hold only bands").arg(c.name));
    if (c.kind == Kind::Region && parent != Kind::Section && parent != Kind::Text)
        fail(QStringLiteral("region %1 must lie on the page").arg(c.name));
    c.left = o.value("left").toDouble();
    c.top = o.value("top").toDouble();
    c.width = o.value("width").toDouble();
    c.height = o.value("height").toDouble();
    c.text = o.value("text").toString();
    c.field = o.value("field").toString();
    c.connection = o.value("connection").toString();
    c.font = fontOf(o, inherited);
    c.align = alignOf(o.value("align").toString());
    c.visible = o.value("visible").toBool(true);
    c.frame = o.value("frame").toBool();
    c.autoHeight = o.value("autoHeight").toBool();
    c.stretch = o.value("stretch").toBool();
    c.repeat = o.value("repeat").toBool();
    c.everyPage = o.value("everyPage").toBool();
    c.laterPages = o.value("laterPages").toBool();
    c.columns = qMax(1, o.value("columns").toInt(1));
    c.columnWidth = o.value("columnWidth").toDouble();
    c.lineWidth = o.value("lineWidth").toDouble(0.75);
    if (c.kind == Kind::DataBand && c.connection.isEmpty())
        fail(QStringLiteral("data band %1 has no data connection").arg(c.name));
    if ((c.kind == Kind::DataText || c.kind == Kind::DataMemo) && c.field.isEmpty())
        fail(QStringLiteral("component %1 has no field").arg(c.name));
    if (c.width < 0 || c.height < 0) fail(QStringLiteral("component %1 has a negative size").arg(c.name));
    if (o.contains("components")) {
        if (!isContainer(c.kind)) fail(QStringLiteral("component %1 cannot hold components").arg(c.name));
        c.children = componentsOf(o.value("components"), c.font, c.kind, names);
    }
    return c;
}

Report reportOf(const QJsonObject& o) {
    const QString name = o.value("name").toString();
    if (name.isEmpty()) fail("a report has no name");
    PageSpec page;
    const QJsonObject p = o.value("page").toObject();
    page.width = p.value("width").toDouble(page.width);
    page.height = p.value("height").toDouble(page.height);
    page.marginTop = p.value("marginTop").toDouble(page.marginTop);
    page.marginBottom = p.value("marginBottom").toDouble(page.marginBottom);
    if (page.width <= 0 || page.height <= 0) fail(QStringLiteral("report %1 has no page size").arg(name));
    FontSpec font;
    font.family = QStringLiteral("Times New Roman");
    font = fontOf(o.value("font").toObject(), font);
    QSet<QString> names;
    // The page itself is the outermost container; Kind::Text stands for it.
    return Report(name, page, componentsOf(o.value("components"), font, Kind::Text, names));
}

}  // namespace

QString projectPath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("reports/reports.json"));
}

bool ReportProject::open(const QString& filePath) {
    close();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = file.errorString();
        return false;
    }
    open_ = parse(file.readAll());
    return open_;
}

bool ReportProject::parse(const QByteArray& text) {
    reports_.clear();
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &pe);
    if (doc.isNull()) {
        error_ = pe.errorString();
        return false;
    }
    try {
        std::vector<Report> reports;
        QSet<QString> names;
        for (const QJsonValue& v : doc.object().value("reports").toArray()) {
            Report r = reportOf(v.toObject());
            if (names.contains(r.name().toUpper())) fail(QStringLiteral("report %1 is there twice").arg(r.name()));
            names.insert(r.name().toUpper());
            reports.push_back(std::move(r));
        }
        if (reports.empty()) fail("the project holds no report");
        reports_ = std::move(reports);
        error_.clear();
        return true;
    } catch (const ProjectError& e) {
        error_ = QString::fromStdString(e.what());
        return false;
    }
}

void ReportProject::close() {
    open_ = false;
    selected_ = false;
    reports_.clear();
    current_ = Report();
}

QStringList ReportProject::reportNames() const {
    QStringList names;
    for (const Report& r : reports_) names << r.name();
    return names;
}

bool ReportProject::selectReport(const QString& name) {
    for (const Report& r : reports_) {
        if (r.name().compare(name, Qt::CaseInsensitive) == 0) {
            current_ = r;
            selected_ = true;
            return true;
        }
    }
    return false;
}

}  // namespace report
