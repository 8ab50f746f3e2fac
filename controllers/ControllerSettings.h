#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class CArchivData;
class CPristroj;
class QWidget;

namespace controllers {

class IControllerIo;

// The settings sheet of a connected controller (Qorin or Duskar, by the
// entry's type): read from the instrument, edited, sent, saved, loaded,
// printed; "Přijmi" reads again and shows the sheet on the same page and
// place. Modal; the instrument requests run off the GUI thread.
// `sheet` points at the sheet while it is up (the shell closes it when the
// instrument goes away).
void OpenControllerSettings(QWidget* parent, CPristroj& entry);
void OpenControllerSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet);
// The same loop over any instrument (tests: a scripted one). `type` 1
// Qorin, 5 Duskar.
void RunSettingsLoop(QWidget* parent, IControllerIo& io, int type, QPointer<QDialog>* sheet = nullptr);

// The read-only settings of an open controller archive (the settings in
// force at its current record); false when the archive holds none.
bool OpenArchiveSettings(QWidget* parent, CArchivData* archive);

// Switching statistics of the controller's outputs, with their resets.
void OpenSwitchStatistics(QWidget* parent, CPristroj& entry);
// The special functions (lock, regulation, reinitialisation).
void OpenSpecialFunctions(QWidget* parent, CPristroj& entry);

// The sheet titles.
QString SettingsTitle(const QString& instrumentName);

} // namespace controllers
