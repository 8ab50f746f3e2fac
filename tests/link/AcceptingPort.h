#pragma once
// A port that takes every setting and every byte written and has nothing to
// read; tests derive from it and give the line its bytes where they need any.
#include "link/SerialPort.h"

class AcceptingPort : public ISerialPort {
public:
    bool SaveState(QByteArray&) override { return true; }
    bool RestoreState(const QByteArray&) override { return true; }
    bool SetTimeouts(const SerialTimeouts&) override { return true; }
    bool SetLineParameters(int) override { return true; }
    bool RaiseModemLines() override { return true; }
    bool Purge() override { return true; }
    void ClearError() override {}
    bool Write(const BYTE*, int count, int& written, PortFault&) override
    {
        written = count;
        return true;
    }
    int Read(BYTE*, int, PortFault&) override { return 0; }
    int BytesWaiting() override { return 0; }
    void Close() override {}
};
