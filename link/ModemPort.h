#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <mutex>

class CLink;

// A modem line as the links see it. Its dialling, hanging up and line state
// belong to the modem code; a link on a connected line talks through the
// modem's data port like through any serial port.
class IModemPort {
public:
    enum LineState { kIdle = 0, kConnected = 1, kDialling = 2, kFailed = 3 };

    virtual ~IModemPort() = default;

    // Held by the link manager while it opens or closes a link on the line;
    // taken before the manager lock.
    virtual std::mutex& LineLock() = 0;
    // Guards the fields below; taken after every port lock.
    virtual std::mutex& StateLock() = 0;

    // Under StateLock():
    virtual int GetLineState() const = 0;
    virtual QString GetNumber() const = 0; // the number last dialled
    virtual bool IsWanted() const = 0;
    virtual void SetWanted(bool wanted) = 0;
    virtual int GetRetryCount() const = 0;
    virtual void AddBytes(int count) = 0;
    // Ends the call after repeated writes on an invalid handle; the line
    // becomes kFailed.
    virtual void DropCall() = 0;

    // Dials the number for the link (no manager lock held, the line lock
    // held); on connection the link receives the data port through
    // CLink::AttachPort. Non-zero when connected or cancelled by the user.
    virtual int Dial(CLink& link, const QString& number) = 0;
    // Ends the call of the line; the link's port lock is held.
    virtual void HangUp(CLink& link) = 0;
};
