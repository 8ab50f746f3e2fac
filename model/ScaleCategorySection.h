#pragma once

#include "model/ScaleCategories.h"

namespace platform {
class Settings;
class SettingsSection;
}

// An instrument's own scale categories in its section under "pristroje":
// "pocetKat" (float count), "ketegorie" (the floats) and "auto". With no
// count only the automatic flag is read; FALSE, and nothing changed, when
// the floats do not match the count. Saving writes the floats only when
// there are any.
BOOL LoadScaleCategories(CScaleCategories& categories, const platform::Settings& settings,
                         const platform::SettingsSection& section);
void SaveScaleCategories(const CScaleCategories& categories, platform::Settings& settings,
                         const platform::SettingsSection& section);
