#pragma once
// What the rest of the program uses of the counterparties: the directory
// (opened from the main screen's menus) and the partner picker.
#include "uPartners.h"

class QWidget;

namespace fb {
class Connection;
struct ConnectionParams;
}  // namespace fb

namespace catalogue {

// Which rows the directory shows when a menu opens it.
enum class SuppliersPreset { All, Suppliers, Buyers };
// The menu's filter preset: the chosen kinds ticked, full names, working
// only, both text filters empty.
SuppliersFilter presetFilter(SuppliersPreset preset);

// Opens the directory modally; lists over its own connection to `params`,
// writes through `db`.
void openSuppliers(const fb::ConnectionParams& params, fb::Connection& db, QWidget* parent, SuppliersPreset preset);

// Opens the picker modally; nullopt when nothing was chosen.
std::optional<PickedPartner> pickPartner(const fb::ConnectionParams& params, PartnerMode mode, QWidget* parent);

}  // namespace catalogue
