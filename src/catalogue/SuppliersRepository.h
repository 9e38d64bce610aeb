#pragma once
// Writes of the counterparty directory. Each call is one user action and one
// transaction: it commits whole or throws with nothing changed.
#include "PartnersLogic.h"

namespace fb {
class Connection;
}

namespace catalogue {

class SuppliersRepository {
public:
    explicit SuppliersRepository(fb::Connection& db) : db_(db) {}

    // Adds the counterparty with its kind flags; returns its new key.
    int insert(const SupplierCard& card);
    // Rewrites an existing row; false when no row has that key any more.
    bool update(const SupplierCard& card);
    void remove(int id);

private:
    fb::Connection& db_;
};

}  // namespace catalogue
