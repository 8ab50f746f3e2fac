#pragma once

#include "archive/store/QorinArchivData.h"
#include "charts/StatPanel.h"
#include "charts_stats/QorinStatistics.h"

// The statistics panel of a controller archive view: the segments of the
// window (split where the required power factor changes) in tabs, each with
// the quantity tabs "Proud", "Výkon" and "Cos" and the period with the
// required power factor. The Duskar view creates one too but never binds it.
//
// What the hosting archive view calls (it owns the panel as a child):
//   SetArchivData(data, navigator)  when its document is bound;
//   MoveTo(rect)                    in its layout step;
//   setVisible(on)                  on in the statistics mode only;
//   Refresh()                       on its update in the statistics mode
//                                   (computes behind the wait dialog);
//   FreeResults()                   on its update in any other mode;
//   PrintResults()                  from its print command in that mode;
//   SetReloadCheck(check)           the document's changed-file check.
// graphChanged() tells the view to redraw after the choice of a segment tab
// (from the second on) moved the archive to the segment's start.
class CQorinStatPanel : public TVKFamilyStatPanel<CQorinArchivData, CQorinStatResult, CQorinStatSettings, 1> {
public:
    explicit CQorinStatPanel(QWidget* parent = nullptr);

    // The settings a new panel starts with, before any run or edit.
    static CQorinStatSettings Defaults();
};
