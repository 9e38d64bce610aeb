#pragma once
// Internal: the one checker every client-library call goes through.
#include "Error.h"

#include <ibase.h>

namespace fb::detail {

// Builds the engine's message, SQLCODE, GDS code and a category from a status
// vector and throws it when the vector holds an error.
void check(const ISC_STATUS* status, const char* context);
Error makeError(const ISC_STATUS* status, const char* context);

}  // namespace fb::detail
