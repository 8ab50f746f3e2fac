#pragma once

#include <QByteArray>
#include <QString>

// Code page 1250 is what the instruments, the settings files and the archive
// files carry; inside the program every text is a QString. Convert only at
// those boundaries.
namespace platform {

// Every byte decodes; the five bytes the code page leaves unassigned decode to
// the C1 control of the same value so that such bytes survive a round trip.
QString FromCp1250(const char* data, qsizetype size);
QString FromCp1250(const QByteArray& bytes);

// Characters the code page cannot carry become '?'.
QByteArray ToCp1250(const QString& text);

// One character; returns '?' for characters the code page cannot carry.
char ToCp1250Char(char16_t c);
char16_t FromCp1250Char(unsigned char b);

} // namespace platform
