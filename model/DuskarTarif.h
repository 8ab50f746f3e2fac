#pragma once

#include "model/QorinTarif.h"

// One tariff of the Duskar controller: t0 is a power factor in hundredths or,
// as 101-121, an angle of 111 - code degrees; t1/t2 codes 0-15; t3 the
// regulation band code 0-8.
class CDuskarTarif : public CTarifBase {
    QORIN_DECLARE_SERIAL(CDuskarTarif)
public:
    CDuskarTarif() = default;
    explicit CDuskarTarif(const BYTE* image) { FromRaw(image); }
    CDuskarTarif(const CDuskarTarif&) = default;
    CDuskarTarif& operator=(const CDuskarTarif&) = default;
};
