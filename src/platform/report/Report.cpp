#include "Report.h"

#include <functional>
#include <utility>

namespace report {

namespace {

template <class C, class F>
void forEach(C& components, const F& visit) {
    for (auto& c : components) {
        visit(c);
        forEach(c.children, visit);
    }
}

template <class C>
auto* findIn(C& components, const QString& name) {
    decltype(&components.front()) found = nullptr;
    forEach(components, [&](auto& c) {
        if (!found && c.name.compare(name, Qt::CaseInsensitive) == 0) found = &c;
    });
    return found;
}

bool eraseFrom(std::vector<Component>& components, const QString& name) {
    for (auto it = components.begin(); it != components.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            components.erase(it);
            return true;
        }
        if (eraseFrom(it->children, name)) return true;
    }
    return false;
}

QStringList namesOf(const std::vector<Component>& components, std::initializer_list<Kind> kinds) {
    QStringList names;
    forEach(components, [&](const Component& c) {
        for (Kind k : kinds)
            if (c.kind == k) names << c.name;
    });
    return names;
}

}  // namespace

Report::Report(QString name, PageSpec page, std::vector<Component> components)
    : name_(std::move(name)), page_(page), components_(std::move(components)) {}

const Component* Report::find(const QString& component) const {
    if (component.isEmpty()) return nullptr;
    return findIn(components_, component);
}

Component* Report::findMutable(const QString& component) {
    if (component.isEmpty()) return nullptr;
    return findIn(components_, component);
}

bool Report::setText(const QString& component, const QString& text) {
    Component* c = findMutable(component);
    if (!c) return false;
    c->text = text;
    if (c->kind == Kind::DataText || c->kind == Kind::DataMemo || c->kind == Kind::Barcode) c->fixedText = true;
    return true;
}

bool Report::remove(const QString& component) {
    return !component.isEmpty() && eraseFrom(components_, component);
}

bool Report::setTop(const QString& component, double inches) {
    Component* c = findMutable(component);
    if (!c) return false;
    c->top = inches;
    return true;
}

bool Report::setFont(const QString& component, const QString& family, double pointSize) {
    Component* c = findMutable(component);
    if (!c) return false;
    if (!family.isEmpty()) c->font.family = family;
    if (pointSize > 0) c->font.size = pointSize;
    return true;
}

bool Report::setFontSize(const QString& component, double pointSize) {
    return setFont(component, {}, pointSize);
}

bool Report::setVisible(const QString& component, bool visible) {
    Component* c = findMutable(component);
    if (!c) return false;
    c->visible = visible;
    return true;
}

QStringList Report::textComponents() const {
    return namesOf(components_, {Kind::Text, Kind::DataText});
}

QStringList Report::memoComponents() const {
    return namesOf(components_, {Kind::Memo, Kind::DataMemo});
}

QStringList Report::dataConnections() const {
    QStringList names;
    forEach(components_, [&](const Component& c) {
        if (c.kind == Kind::DataBand && !c.connection.isEmpty() && !names.contains(c.connection)) names << c.connection;
    });
    return names;
}

void Report::bindData(const QString& connection, DataSet rows) {
    data_.insert(connection.toUpper(), std::move(rows));
}

const DataSet* Report::data(const QString& connection) const {
    auto it = data_.constFind(connection.toUpper());
    return it == data_.constEnd() ? nullptr : &*it;
}

}  // namespace report
