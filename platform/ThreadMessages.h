#pragma once

// Private message ids that carry work between threads and between windows.
// Each id has exactly one name; a few ids travel both as a thread message and
// as a window message (to different receivers), so the receiver decides the
// meaning, never the id alone.

namespace platform {

using MessageId = unsigned int;

// Sent by the data page of a controller settings sheet when a transformer value changed.
inline constexpr MessageId WM_DETAIL_RATIO_CHANGED = 0x4000;

// To a measurement thread.
inline constexpr MessageId WM_DEVICE_ACTIVATE = 0x4002;
inline constexpr MessageId WM_DEVICE_SETTINGS = 0x4003;
inline constexpr MessageId WM_THREAD_END = 0x4004;  // also ends the scheduled-download thread

// To the application thread.
inline constexpr MessageId WM_APP_OPEN_DEVICE_DOC = 0x4006;

// To a front-panel thread; as a window message to an instrument's live view.
inline constexpr MessageId WM_NEW_DATA = 0x4007;

// To the application thread.
inline constexpr MessageId WM_APP_UPDATE_DEVICE_VIEW = 0x4008;

// To a front-panel thread.
inline constexpr MessageId WM_PANEL_SHOW = 0x4009;
inline constexpr MessageId WM_PANEL_SET_DEVICE = 0x400A;

// Window message from a panel dialog to its panel frame (context menu).
inline constexpr MessageId WM_PANEL_MENU = 0x400B;

// To the application thread.
inline constexpr MessageId WM_APP_OPEN_DEVICE_DETAIL = 0x400C;
inline constexpr MessageId WM_LIVE_FRAMES = 0x400D;

// Window messages to the main frame.
inline constexpr MessageId WM_DATA_READY = 0x400E;
inline constexpr MessageId WM_ARCHIVE_DOC_CMD = 0x400F;

// Graph window to its parent view: the time cursor moved.
inline constexpr MessageId WM_GRAPH_CHANGED = 0x4010;

// To the application thread.
inline constexpr MessageId WM_APP_NEW_DATA = 0x4011;

// Window message to the main frame.
inline constexpr MessageId WM_ARCHIVE_SLIDER = 0x4012;

// To archive views: the archive window moved (or its shown traces changed).
inline constexpr MessageId WM_ARCHIVE_WINDOW_MOVED = 0x4013;

// To a measurement thread.
inline constexpr MessageId WM_DEVICE_ACTIVATE_RECORD = 0x4014;
inline constexpr MessageId WM_DEVICE_ACTIVATE_RECORD_SYNC = 0x4015;

// Check-box list control to its dialog (instrument list, task editor).
inline constexpr MessageId WM_DEVICE_LIST_CHECK = 0x4016;

// To a measurement thread.
inline constexpr MessageId WM_DEVICE_DEACTIVATED = 0x4017;

// Range bar of an archive view to the view.
inline constexpr MessageId WM_ARCHIVE_REDRAW = 0x4018;
inline constexpr MessageId WM_ARCHIVE_SET_WINDOW = 0x4019;
inline constexpr MessageId WM_ARCHIVE_REFILL = 0x401A;

// Graph window to its parent view: navigation key.
inline constexpr MessageId WM_GRAPH_SCROLL_KEY = 0x401B;

// Graph window to its parent view: right button, open the displayed quantities.
inline constexpr MessageId WM_QUANTITIES_CLOSED = 0x401C;

// Downloader child frame to the first view of its document (close request).
inline constexpr MessageId WM_VIEW_REFRESH = 0x401D;

// Window message to the main frame.
inline constexpr MessageId WM_QUARTER_HOUR = 0x401E;

// To a measurement thread.
inline constexpr MessageId WM_DEVICE_FILE_ERROR = 0x401F;

// Window message to the main frame.
inline constexpr MessageId WM_FIND_DEVICE = 0x4020;

// Range bar of an archive view (or a profile dialog) to the view: print.
inline constexpr MessageId WM_ARCHIVE_PRINT_GRAPH = 0x4021;

// To the application thread.
inline constexpr MessageId WM_APP_OPEN_FILE = 0x4022;
inline constexpr MessageId WM_APP_MAKE_TEMP_NAME = 0x4023;
inline constexpr MessageId WM_APP_DOWNLOADED_FILE = 0x4024;

// Window message to the main frame (and to frames of live views).
inline constexpr MessageId WM_UPDATE_FRAME_UI = 0x4025;

// Dialling thread to the modem dial dialog (all sent, not posted).
inline constexpr MessageId WM_DIAL_STATUS = 0x4026;
inline constexpr MessageId WM_DIAL_CAPTION = 0x4027;
inline constexpr MessageId WM_DIAL_QUERY_CANCEL = 0x4028;
inline constexpr MessageId WM_DIAL_DONE = 0x4029;

// To a measurement thread.
inline constexpr MessageId WM_DEVICE_RESYNC = 0x402A;

// Range bar of an archive view to the view: export the value list.
inline constexpr MessageId WM_ARCHIVE_PRINT_LIST = 0x402C;

}  // namespace platform
