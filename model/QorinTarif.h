#pragma once

#include "model/PrevodTyp.h"

// The five setting bytes of one tariff. Both controller families use the same
// bytes, image and stream order; each family has a class of its own so that
// settings files name them apart.
class CTarifBase : public platform::SerialObject {
public:
    static constexpr int kImageSize = 5;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;
    void Serialize(SerialArchive& ar) override;

    BYTE t0 = 0; // required power factor (signed hundredths; Duskar also angle codes)
    BYTE t1 = 0; // regulation time on overcompensation: code in bits 0-6, bit 7 linear
    BYTE t2 = 0; // regulation time on undercompensation: code in bits 0-6, bit 7 linear
    BYTE t3 = 0;
    BYTE t4 = 0;

protected:
    CTarifBase() = default;
    CTarifBase(const CTarifBase&) = default;
    CTarifBase& operator=(const CTarifBase&) = default;
};

// One tariff of the Qorin controller.
class CTarif : public CTarifBase {
    QORIN_DECLARE_SERIAL(CTarif)
public:
    CTarif() = default;
    explicit CTarif(const BYTE* image) { FromRaw(image); }
    CTarif(const CTarif&) = default;
    CTarif& operator=(const CTarif&) = default;
};
