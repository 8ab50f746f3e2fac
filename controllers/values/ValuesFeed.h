#pragma once

class CPristroj;

namespace controllers {

class CValuesDlgBase;

// Shows the newest measurement of the entry's store and the entry's time,
// record and file texts on a values display of the entry's family (the
// Qorin values dialog, the Duskar values panel). False when the display or
// the store is of another family.
bool FeedValues(CValuesDlgBase* pane, CPristroj& entry);

} // namespace controllers
