#pragma once

namespace ui {

// Qt's own texts in Czech (the standard buttons, the file and print
// dialogs, the edit fields' menus): the Qt translations beside the program
// ("translations"), else those of the Qt installation. Once per process;
// false when none was found.
bool InstallStandardTranslations();

} // namespace ui
