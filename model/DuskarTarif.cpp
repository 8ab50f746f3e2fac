#include "model/DuskarTarif.h"

QORIN_IMPLEMENT_SERIAL(CDuskarTarif, nullptr, 1)
