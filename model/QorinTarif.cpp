#include "model/QorinTarif.h"

QORIN_IMPLEMENT_SERIAL(CTarif, nullptr, 1)

// The instrument keeps the two regulation times in the opposite order.
void CTarifBase::FromRaw(const BYTE* image)
{
    t0 = image[0];
    t2 = image[1];
    t1 = image[2];
    t3 = image[3];
    t4 = image[4];
}

void CTarifBase::ToRaw(BYTE* image) const
{
    image[0] = t0;
    image[1] = t2;
    image[2] = t1;
    image[3] = t3;
    image[4] = t4;
}

void CTarifBase::Serialize(SerialArchive& ar)
{
    if (ar.IsLoading())
        ar >> t2 >> t1 >> t4 >> t3 >> t0;
    else
        ar << t2 << t1 << t4 << t3 << t0;
}
