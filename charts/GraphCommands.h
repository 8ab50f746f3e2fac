#pragma once

#include "platform/ui/CommandTarget.h"

#include <vector>

class CGraphWnd;

// The zoom and grid commands every graph takes, from its context menu, the
// "Graf" menu and the graph tool bar alike.
namespace charts {

inline constexpr int kCmdVertZoomIn = 32191;
inline constexpr int kCmdVertZoomOut = 32192;
inline constexpr int kCmdTimeZoomIn = 32213;
inline constexpr int kCmdTimeZoomOut = 32214;
inline constexpr int kCmdZoomAll = 32180;
inline constexpr int kCmdZoomOff = 32196;
inline constexpr int kCmdZoomSelection = 32197;
inline constexpr int kCmdGrid = 32235;

// The step zooms, "Vypne lupy" and the zoom selection, in the "Graf" menu
// and on the graph tool bar.
void AppendGraphCommands(std::vector<ui::CommandItem>& items);
// True for a zoom command (absolute, step, off, selection mode).
bool IsGraphZoomCommand(int id);
// A time-axis zoom: only for a graph whose time axis zooms (its time cursor).
bool IsTimeZoomCommand(int id);
// Runs a zoom or grid command on the graph; false for any other id.
bool RunGraphCommand(CGraphWnd& graph, int id);
// Whether the command's item is enabled for the graph when the view allows
// zooming at all (its graph shown, with data).
bool IsGraphCommandEnabled(const CGraphWnd& graph, int id, bool zoomAllowed);
bool IsGraphCommandChecked(const CGraphWnd& graph, int id);

} // namespace charts
