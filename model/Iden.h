#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <array>

// Identification of an instrument: family, model, firmware version and serial
// number, as the identification read answers them. Stored beside settings and
// in archive files; the model word drives display names, interface texts and
// the model indices of the program's tables.
class CIden : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CIden)
public:
    static constexpr int kImageSize = 14;
    static constexpr WORD kFamilyAnalyser = 48;
    static constexpr WORD kFamilyController = 64;
    // Model index of a model the tables do not know.
    static constexpr int kUnknownModelIndex = 7;

    CIden() = default;
    CIden(const CIden&) = default;
    CIden& operator=(const CIden&) = default;
    ~CIden() override = default;

    void Serialize(SerialArchive& ar) override;

    // Reply data of the identification read: words big-endian.
    void FromReply(const BYTE* p);
    // Stored image (archive files, downloads): words in host order, which is
    // little-endian in every file this program writes.
    void FromRaw(const BYTE* p);
    void ToRaw(BYTE* p) const;

    QString GetVersionText() const;
    QString GetSerialNumberText() const;
    BOOL HasVariantBit0() const;
    BOOL HasVariantBit2() const;
    int GetVKTInterfaceText(QString& text) const;
    int GetVKInterfaceText(QString& text) const;
    QString GetModelText() const;
    QString GetVKTModelText() const;
    QString GetDescription() const;
    // The product name of a controller model code (1-6, 17-22); empty for
    // any other code.
    static QString GetControllerModelText(int code);
    int GetVKModelIndex() const;
    int GetControllerModelIndex() const;
    int GetVKTModelIndex() const;

    // Model group: the high byte of the model word.
    int GetModelGroup() const { return model >> 8; }

    WORD number = 0; // serial number
    WORD model = 0; // bits 0-2 variant, bit 3 further variant, bits 8-15 group; controllers: model code
    WORD family = 0; // 48 analysers, 64 power-factor controllers
    WORD version = 0; // low byte firmware (nibbles major.minor); high byte VKT major
    BYTE i1 = 0;
    BYTE i2 = 0;
    std::array<BYTE, 4> i3{}; // kept as the instrument sends it

    friend bool operator==(const CIden& a, const CIden& b)
    {
        return a.number == b.number && a.model == b.model && a.family == b.family && a.version == b.version
            && a.i1 == b.i1 && a.i2 == b.i2 && a.i3 == b.i3;
    }

private:
    bool IsVKTModelWord() const;
};
