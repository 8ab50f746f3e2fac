#pragma once

#include "model/PrevodTyp.h"

// Configuration of a VKR analyser (16-byte image): transformer primaries,
// default frequency, connection type, bus address, line speed and what the
// instrument's own display shows.
class CVKRConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKRConfig)
public:
    static constexpr int kImageSize = 16;
    static constexpr DWORD kUnset = 0xFFFFFFFF;
    static constexpr int kDisplayQuantities = 15;
    // Connection types (bits 4-6 of the mode byte).
    enum { OnePhase = 0, TwoPhases = 1, Star = 2, Delta = 3, Aron = 4 };

    CVKRConfig() = default;
    CVKRConfig(const CVKRConfig&) = default;
    CVKRConfig& operator=(const CVKRConfig&) = default;
    ~CVKRConfig() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // 1.0 without a voltage transformer; the primary is given for 100 V.
    double GetVtRatio() const;
    // 1.0 without a current transformer; bit 31 marks a 5 A secondary.
    double GetCtRatio() const;
    BOOL IsVtRatioUnset() const { return m_vtPrimary == kUnset; }
    BOOL IsCtRatioUnset() const { return m_ctPrimary == kUnset; }

    int GetConnection() const { return (m_mode >> 4) & 7; }
    // Keeps bits 0-3 and writes bit 7 as 0, as the settings editor stores it.
    void SetConnection(int type);

    // Line speed in Bd of the speed code, 0 for codes without a speed.
    int GetLineSpeed() const;
    // 0 cyclic every 3 s, 1 the last selected quantity, 2 back to the
    // default quantity after 10 s.
    int GetDisplayMode() const;
    void SetDisplayMode(int mode);
    // Number of the quantity shown by default (order of the display mask),
    // -1 when none is stored.
    int GetDefaultQuantity() const { return (m_display & 0x0F) - 1; }
    void SetDefaultQuantity(int q);
    BOOL IsShown(int q) const { return q >= 0 && q < kDisplayQuantities ? (m_displayMask >> q) & 1 : FALSE; }
    void SetShown(int q, BOOL shown);

    DWORD GetVtPrimary() const { return m_vtPrimary; }
    void SetVtPrimary(DWORD v) { m_vtPrimary = v; }
    DWORD GetCtPrimary() const { return m_ctPrimary; }
    void SetCtPrimary(DWORD v) { m_ctPrimary = v; }
    WORD GetDefaultFrequency() const { return m_frequency; }
    void SetDefaultFrequency(WORD v) { m_frequency = v; }
    BYTE GetMode() const { return m_mode; }
    void SetMode(BYTE v) { m_mode = v; }
    BYTE GetAddress() const { return m_address; }
    void SetAddress(BYTE v) { m_address = v; }
    BYTE GetSpeed() const { return m_speed; }
    void SetSpeed(BYTE v) { m_speed = v; }
    WORD GetDisplayMask() const { return m_displayMask; }
    void SetDisplayMask(WORD v) { m_displayMask = v; }
    BYTE GetDisplay() const { return m_display; }
    void SetDisplay(BYTE v) { m_display = v; }

private:
    DWORD m_vtPrimary = kUnset;
    DWORD m_ctPrimary = kUnset;
    WORD m_frequency = 50;
    BYTE m_mode = 0;
    BYTE m_address = 0;
    BYTE m_speed = 0;
    WORD m_displayMask = 0;
    BYTE m_display = 0;
};
