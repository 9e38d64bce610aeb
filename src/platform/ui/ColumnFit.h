#pragma once

class QTableView;

namespace ui {

// The view's columns take the width their title and their rows need, now
// and each time its model's rows change, so that a long name, a price or a
// title is not cut at the window's default size. The cashier may still
// drag a column narrower or wider; the next load fits them again.
void fitColumnsToContents(QTableView* view);

}  // namespace ui
