#pragma once
// The positions of the open receipt, each appended as one line beside the
// state file and put on the disk before the register answers. Rewriting the
// whole state for every position would cost more with every position; the
// state file is written whole at the other steps (payment, close, cancel),
// which empties the log.
//
// Every line names the state it extends (its generation) and the place the
// position takes in the receipt, so that a line left over from an older
// state, or read twice, is never applied. A line a kill cut short, and
// whatever follows it, is not applied either.
#include "platform/fiscal/RegisterState.h"

#include <QString>

namespace fiscal {

class RegisterLog {
public:
    explicit RegisterLog(QString path);
    ~RegisterLog();

    RegisterLog(const RegisterLog&) = delete;
    RegisterLog& operator=(const RegisterLog&) = delete;

    // Whether appending can be trusted: false after a failed append that
    // could not be taken back; the caller then writes the state whole.
    bool usable() const { return usable_; }

    // Appends `position` as the next one of `state`'s open receipt and puts
    // it on the disk. False (and `error` set) leaves the log as it was.
    bool append(const RegisterState& state, const ReceiptPosition& position, QString* error);

    // Adds to `state`'s open receipt what the log holds for it, in order;
    // returns how many positions were added.
    int replay(RegisterState& state);

    // Cuts off whatever follows the last line replay() applied or skipped as
    // whole (a line a kill cut short), so that new lines can follow.
    void dropTornTail();

    // The state file holds everything now: the log goes.
    void discard();

    bool exists() const;
    const QString& path() const { return path_; }

private:
    bool openForAppend(QString* error);
    void closeFile();

    QString path_;
    int fd_ = -1;
    qint64 size_ = 0;       // bytes of whole lines in the file
    qint64 wholeEnd_ = -1;  // end of the last whole line replay() read; -1 unknown
    bool usable_ = true;
};

}  // namespace fiscal
