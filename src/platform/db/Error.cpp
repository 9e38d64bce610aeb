#include "Error.h"

namespace fb {

Error::Error(const QString& message, long sqlcode, long gdscode, ErrorCategory category)
    : std::runtime_error(message.toStdString()),
      message_(message),
      sqlcode_(sqlcode),
      gdscode_(gdscode),
      category_(category) {}

void throwUsage(const QString& message) { throw Error(message, 0, 0, ErrorCategory::Usage); }

}  // namespace fb
