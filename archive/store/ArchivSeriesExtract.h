#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "model/PrevodTyp.h"

// Archive records into graph points. A walk numbers the points of `channel`
// from `startIndex`: every measurement record (2, 3) and error record (4)
// takes one index, until the list ends or the index reaches `endIndex`; it
// returns the index after the last point. The channel must have room for
// them (CArchivSeriesRegistry::SizeSeriesChannel). A missing value is a gap,
// never a zero, and an error record is a gap in every series; a changed-
// fields record repeats what it does not carry. Nothing is kept between
// walks: a changed-fields record before any full record draws its absent
// fields as gaps.
namespace archive {

// Qorin, "Cos" to "THD"; `ctWord` is the ratio word in force before the list.
int ExtractQorinSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                       int endIndex, int startIndex, WORD ctWord);

// Duskar, "Cos" to "T"; the ratio words in force before the list.
int ExtractDuskarSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                        int endIndex, int startIndex, WORD ctWord, BYTE vtCode);

// The scales a VK list is drawn with until its first settings record.
struct CVKSeriesScales {
    double voltageRatio = 1.0;
    double currentRatio = 1.0;
    bool connectionMode2 = false; // Aron: phase 2 carries no powers
    bool temperature = true;      // the instrument variant measures temperature
    double temperatureSlope = 0.0;
    double temperatureOffset = 0.0;
};

// VK, "U1" to "3S"; every settings record met replaces the ratios, the
// connection and the temperature line.
void FollowVKSettings(const CArchivRecord& settings, CVKSeriesScales& scales);
int ExtractVKSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                    int endIndex, int startIndex, CVKSeriesScales scales);

// VKR, "U1" to "THDU3,1"; `connectionType` (of the VKR settings) until a
// settings record replaces it decides which phases exist.
void FollowVKRSettings(const CArchivRecord& settings, int& connectionType);
int ExtractVKRSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                     int endIndex, int startIndex, int connectionType);

// The ratios a VKT list is drawn with until its first settings record.
struct CVKTSeriesScales {
    double voltageRatio = 1.0;
    double voltageRatio4 = 1.0; // the fourth input
    double currentRatio = 1.0;
    double currentRatio4 = 1.0;
    int connectionType = 2; // star
};

// VKT, "U1" to "THDI4"; measurements of the program's form (2, 3) and of the
// instrument's own archive (12, described by the status record before it).
void FollowVKTSettings(const CArchivRecord& settings, CVKTSeriesScales& scales);
int ExtractVKTSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                     int endIndex, int startIndex, CVKTSeriesScales scales);

// What every family's walk starts from: the scales the archive-data object
// holds before the list.
struct CSeriesScales {
    WORD controllerCtWord = 0;
    BYTE controllerVtCode = 0;
    CVKSeriesScales vk;
    int vkrConnection = 2;
    CVKTSeriesScales vkt;
};

// The walk of the family `kind` (0 Qorin, 1 VK, 2 VKR, 3 VKT, 4 Duskar); an
// unknown kind draws nothing and returns `startIndex`.
// What a settings record passed by the walk of family `kind` changes in the
// scales the next walk starts from (Qorin and Duskar records carry their
// ratios with the values).
void FollowFamilySettings(int kind, const CArchivRecord& settings, CSeriesScales& scales);
int ExtractFamilySeries(int kind, const CArchivSeriesRegistry& registry, const CArchivRecordList& records,
                        int channel, int endIndex, int startIndex, const CSeriesScales& scales);

} // namespace archive
