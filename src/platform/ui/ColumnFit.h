#pragma once

#include <QList>

class QTableView;

namespace ui {

// The view's columns take the width their title and their rows need, now
// and each time its model's rows change, so that a long name, a price or a
// title is not cut at the window's default size. The cashier may still
// drag a column narrower or wider; the next load fits them again.
//
// The `givingColumns` (a name, a country), in their order, give way when
// the others would be pushed out of sight: each narrows, never below its
// title, until the rest fits, and a text cut short in one of them shows
// whole in its tooltip. The room is measured again whenever the view
// changes size.
void fitColumnsToContents(QTableView* view, const QList<int>& givingColumns = {});

}  // namespace ui
