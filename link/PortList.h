#pragma once

#include "link/SerialPortInfo.h"

#include <QString>

#include <functional>
#include <mutex>
#include <vector>

class IModemPort;

// Kinds of a port-list entry.
inline constexpr int kPortKindSerial = 0;
inline constexpr int kPortKindModem = 2;
inline constexpr int kPortKindVkt = 3; // an enumerated "ZRT VKT 44" port

struct CPortEntry {
    QString name;
    int baud = 9600;
    int kind = kPortKindSerial;
    QString description;
    int retryCount = 0; // serial ports; a modem line's count is its modem's
    IModemPort* modem = nullptr; // modem lines only; owned by whoever listed the line
};

// The ports a link may open, as the application keeps them.
class IPortList {
public:
    virtual ~IPortList() = default;
    // Brings the list up to date with the machine's ports.
    virtual void Refresh() = 0;
    // A copy of the entry named `name`; false when there is none.
    virtual bool Find(const QString& name, CPortEntry& entry) = 0;
};

// The program's port list: the enumerated serial ports with their stored
// baud rate and retry count, and the modem lines added by the modem code.
// A port name that is a device path of its own (a pseudo-terminal, a
// /dev/serial/by-id link) joins the list when first asked for, with the
// values stored under its name. Safe to use from any thread.
class CPortList : public IPortList {
public:
    // Reads a value of the general settings by name ("COM1", "COM1_ks").
    using ValueReader = std::function<int(const QString& valueName, int defaultValue)>;
    using Enumerator = std::function<std::vector<CSerialPortInfo>()>;

    CPortList(Enumerator enumerate, ValueReader readValue);

    // Lists the machine's ports anew (modem lines stay).
    void Build();
    // Adds the ports that appeared since; entries already listed stay as
    // they are, the open ones among them (which a probe finds busy) too.
    void Refresh() override;
    bool Find(const QString& name, CPortEntry& entry) override;

    void AddModemLine(const CPortEntry& entry);
    // The line goes from the list; its modem record stays with its owner
    // (links may still hold it).
    void RemoveModemLine(const QString& name);
    // Whether an entry has that name (a device path joins nothing here).
    bool IsListed(const QString& name) const;
    std::vector<CPortEntry> Entries() const;

    // The stored values of a serial port, as the list takes them.
    CPortEntry MakeSerialEntry(const QString& name, const QString& description, bool vktPort) const;

private:
    void AddEnumerated(const std::vector<CSerialPortInfo>& ports);
    CPortEntry* FindLocked(const QString& name);

    Enumerator m_enumerate;
    ValueReader m_readValue;
    mutable std::mutex m_lock;
    std::vector<CPortEntry> m_entries;
};

// The enumeration the program uses: the machine's ports, probed.
CPortList::Enumerator SystemPortEnumerator();
// Reads the port values from section "Obecne nastaveni" of the settings.
CPortList::ValueReader GeneralSettingsReader();
