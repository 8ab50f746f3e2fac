#include "charts_data/ArchiveCsvExport.h"

// Every family's export is built here once, so a store change that breaks
// one shows at once.
template class charts::TArchiveCsvExport<CVKArchivData, charts::VKCsvColumns>;
template class charts::TArchiveCsvExport<CVKRArchivData, charts::VKRCsvColumns>;
template class charts::TArchiveCsvExport<CVKTArchivData, CVKTArchivData::Selection>;
template class charts::TArchiveCsvExport<CQorinArchivData, CQorinArchivData::Columns>;
template class charts::TArchiveCsvExport<CDuskarArchivData, CDuskarArchivData::Columns>;
