#include "Isc.h"

#include "Codec.h"

#include <QString>

namespace fb::detail {

namespace {
ErrorCategory categorize(long gds) {
    switch (gds) {
    case isc_lock_conflict:
    case isc_deadlock:
    case isc_update_conflict:
    case isc_lock_timeout:
        return ErrorCategory::LockConflict;
    case isc_unique_key_violation:
    case isc_no_dup:
    case isc_foreign_key:
    case isc_not_valid:
    case isc_check_constraint:
    case isc_primary_key_ref:
        return ErrorCategory::ConstraintViolation;
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_conn_lost:
    case isc_shutdown:
    case isc_att_shutdown:
    case isc_lost_db_connection:
        return ErrorCategory::ConnectionLost;
    case isc_io_error:
    case isc_dsql_relation_err:
    case isc_dsql_procedure_err:
    case isc_dsql_field_err:
        return ErrorCategory::NotFound;
    default:
        return ErrorCategory::Other;
    }
}
}  // namespace

Error makeError(const ISC_STATUS* status, const char* context) {
    QString text;
    const ISC_STATUS* p = status;
    char buf[1024];
    while (fb_interpret(buf, sizeof buf, &p) > 0) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        // Engine messages are ASCII; names and exception texts come in the
        // connection's code page, file paths in the system's UTF-8.
        const QString utf8 = QString::fromUtf8(buf);
        text += utf8.contains(QChar::ReplacementCharacter) ? fromWin1251(QByteArray(buf)) : utf8;
    }
    if (text.isEmpty()) text = QString::fromLatin1(context);
    const long sqlcode = isc_sqlcode(status);
    // The most specific code is the last gds code of the vector that is not a
    // generic wrapper; the first one is kept when nothing better is found.
    long gds = status[1];
    ErrorCategory cat = categorize(gds);
    for (const ISC_STATUS* s = status; *s != isc_arg_end;) {
        const ISC_STATUS kind = *s++;
        const ISC_STATUS val = *s++;
        if (kind == isc_arg_gds) {
            const ErrorCategory c = categorize(val);
            if (c != ErrorCategory::Other && cat == ErrorCategory::Other) {
                cat = c;
                gds = val;
            }
        }
        if (kind == isc_arg_cstring) ++s;
    }
    return Error(text, sqlcode, gds, cat);
}

void check(const ISC_STATUS* status, const char* context) {
    if (status[0] == 1 && status[1] != 0) throw makeError(status, context);
}

}  // namespace fb::detail
