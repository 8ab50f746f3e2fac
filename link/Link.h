#pragma once

#include "link/LinkClock.h"
#include "link/LinkTexts.h"
#include "link/PortList.h"
#include "link/SerialPort.h"
#include "link/SharedPort.h"
#include "model/PrevodTyp.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <span>
#include <vector>

class CIden;
class CProfileStatus;
class IModemPort;

// What a link needs from its surroundings; the link manager owns it.
struct LinkServices {
    IPortList* ports = nullptr;
    ILinkClock* clock = nullptr;
    SerialPortOpener opener;
};

// The link to one instrument: the port it talks through (shared with the
// other instruments on the same line), the instrument's bus address and the
// text of its last failure. A link is used under its port's lock (see
// CLinkManager); only the last error may be read from anywhere.
class CLink {
public:
    // The line of the links without an open port (see CLinkManager).
    static constexpr int kFreePortIndex = 0;

    CLink(const LinkServices& services, DWORD id);
    CLink(const CLink&) = delete;
    CLink& operator=(const CLink&) = delete;
    virtual ~CLink();

    // Opens the serial port `portName` for the instrument at `address`.
    BOOL Open(const QString& portName, WORD address);
    // Puts the port's own settings back and closes it.
    void Close();
    // First step of every request: checks the line, opens a port whose
    // device went away again when its pause is over (see CSharedPort) and
    // fails when there is no port.
    BOOL Prepare();

    // Writes a whole frame; `written` tells how many bytes went out.
    BOOL Write(const BYTE* data, int count, int& written);
    // Reply readers: `count` bytes into `buf` (room for `count`), waiting
    // and resynchronising on the frame head when the link has retries.
    // They return the number of bytes kept, -1 when the read failed (a port
    // error or more bytes than the frame).
    int ReadReplyA(BYTE* buf, int count);
    int ReadReplyB(BYTE* buf, int count);
    // Reads `count` further bytes, no waiting before, no resynchronising.
    int ReadPlain(BYTE* buf, int count);

    // One failed request more; the fourth in a row pauses and purges the line.
    void CountError();
    void ResetErrorCount() { m_errorCount = 0; }

    // Exchanges in the two frame formats (the caller has prepared the link).
    // The reply data go to `out` (room for replyLen - 4, resp. - 6 bytes);
    // failures leave the error text and return 0.
    BOOL ExchangeA(BYTE command, const BYTE* data, int dataLen, int replyLen, int sumTextId, BYTE* out);
    // A write acknowledged by [address][3][0][sum].
    BOOL ExchangeAckA(BYTE command, const BYTE* data, int dataLen, int sumTextId);
    // `refusalTested`: a set bit 7 of the echoed command is the instrument's
    // refusal (a few data reads).
    BOOL ExchangeB(BYTE command, const BYTE* data, int dataLen, int replyLen, int sumTextId, BYTE* out,
                   bool refusalTested = false);
    // A request answered by the 7-byte short reply; its result byte to `result`.
    BOOL ExchangeShortB(BYTE command, const BYTE* data, int dataLen, int sumTextId, BYTE* result = nullptr);

    // Identification (command 0x01). The analyser's own USB port speaks
    // format B; elsewhere the format-A request may be answered in either
    // format.
    BOOL ReadIdentification(CIden& iden);
    // Asks whoever answers on the line for its identification and takes its
    // address as the link's. The learnt address, or -1 on failure.
    int ReadIdentificationProbe(CIden& iden);

    // The building blocks of the instruments' commands (link/Commands*.h).
    // Requests in the two frame formats, and their replies read and checked:
    // a format-A reply of `replyLen` bytes (or one of the `shorter` lengths),
    // its data to `out`, its length to `got`; a format-B data reply, the
    // bytes that arrived to `kept`. `inStream`: further replies may already
    // wait on the line behind this one.
    BOOL SendRequestA(BYTE command, const BYTE* data, int dataLen);
    BOOL SendRequestB(BYTE command, const BYTE* data, int dataLen);
    BOOL ReceiveA(int replyLen, std::span<const int> shorter, int sumTextId, BYTE* out, int& got,
                  bool inStream = false);
    BOOL ReceiveB(BYTE command, int replyLen, int sumTextId, BYTE* out, bool refusalTested, int& kept,
                  bool inStream = false);

    // Ready the link and read `dataLen` data bytes, or write and wait for
    // the acknowledgement (format A) or the short reply (format B).
    BOOL ReadA(BYTE command, int dataLen, int sumTextId, BYTE* out);
    BOOL WriteA(BYTE command, const BYTE* data, int dataLen, int sumTextId = platform::IDS_ERR_ACK_CHECKSUM);
    BOOL ReadB(BYTE command, int dataLen, int sumTextId, BYTE* out, const BYTE* request = nullptr,
               int requestLen = 0, bool refusalTested = false);
    BOOL WriteB(BYTE command, const BYTE* data, int dataLen, int sumTextId = platform::IDS_ERR_ACK_CHECKSUM,
                BYTE* result = nullptr);

    // Reads of whole records and writes of them, by their image size.
    enum class Format { A, B };
    template <class Record>
    BOOL ReadRecord(Format format, BYTE command, int sumTextId, Record& record)
    {
        BYTE data[Record::kImageSize] = {};
        const BOOL read = format == Format::A ? ReadA(command, Record::kImageSize, sumTextId, data)
                                              : ReadB(command, Record::kImageSize, sumTextId, data);
        if (!read)
            return FALSE;
        record.FromRaw(data);
        return TRUE;
    }
    template <class Record>
    BOOL WriteRecord(Format format, BYTE command, const Record& record)
    {
        // Bytes an image leaves unused go out as zeros.
        BYTE data[Record::kImageSize] = {};
        record.ToRaw(data);
        if (format == Format::A)
            return WriteA(command, data, Record::kImageSize);
        return WriteB(command, data, Record::kImageSize);
    }

    // The link clock's time, and its seconds past the full hour in local time.
    CTime CurrentTime() const;
    WORD SecondsPastHour() const;
    // Drops what waits on the line, so that it does not meet the next request.
    void PurgeLine();
    // Links that wait for their reads (retries, modem lines) tolerate more
    // failed replies within a stream.
    bool WaitsForReads() const { return m_purgeBeforeWrite; }

    DWORD GetId() const { return m_id; }
    WORD GetAddress() const { return m_address; }
    const QString& GetPortName() const { return m_portName; }
    int GetKind() const { return m_kind; }
    int GetRetryCount() const { return m_retryCount; }
    int GetPortIndex() const { return m_portIndex; }
    bool IsModemLink() const { return m_modem != nullptr; }
    bool HasPort() const { return m_port && m_port->IsOpen(); }
    int GetErrorId() const { return m_error.load(); }
    QString GetErrorText() const { return link_text::ErrorText(m_error.load()); }
    void SetError(int id) { m_error.store(id); }

    // Gives the link the data port of a connected modem line.
    void AttachPort(std::shared_ptr<ISerialPort> port);

private:
    friend class CLinkManager;

    // A head test for the readers: the frame length the buffer's head
    // announces, 0 when the buffer does not start with an expected head.
    // `shorter`: further format-A lengths a reply may have besides `count`.
    enum class Head { A, B, BAnyAddress, Identification };
    int HeadFrameLength(Head head, const BYTE* buf, int kept, int count, std::span<const int> shorter) const;
    // `inStream`: further replies may already wait on the line behind this
    // one, which does not make this one too long.
    int ReadReply(BYTE* buf, int count, Head head, std::span<const int> shorter = {}, bool inStream = false);
    BOOL SendFrame(const BYTE* frame, int count);
    // The device of the port opened and set up for `entry`; null with the
    // error text set and `fault` telling why the open failed.
    std::shared_ptr<ISerialPort> OpenDevice(const CPortEntry& entry, QByteArray& saved, PortFault& fault);
    // One try to open the device of a port that is away: a request's once
    // the pause is over, an open's at once.
    void Reopen();
    BOOL CheckReplyA(const BYTE* reply, int kept, int replyLen, std::span<const int> shorter, int sumTextId,
                     BYTE* out, int& got);
    BYTE* ReplyBuffer(int count);
    // The exchange for the link-exchange log (off by default).
    void LogExchange(BYTE command, BOOL ok) const;
    void CountModemBytes(int count);

    const LinkServices& m_services;
    const DWORD m_id;
    int m_openFlag = 0;
    int m_retryCount = 0;
    std::shared_ptr<CSharedPort> m_port;
    WORD m_address = 0;
    QString m_portName;
    int m_portIndex = kFreePortIndex;
    int m_errorCount = 0;
    int m_reopenCount = 0; // modem lines: writes on an invalid handle in a row
    std::atomic<int> m_error{link_text::kUnknownError};
    QByteArray m_savedState; // the port's settings as found at open
    bool m_purgeBeforeWrite = false; // links with retries start each request on empty buffers
    IModemPort* m_modem = nullptr;
    int m_kind = kPortKindSerial;
    bool m_registered = true; // cleared under every port lock when the manager drops the link

    std::array<BYTE, 512> m_request{};
    std::vector<BYTE> m_reply;
};
