#pragma once

#include "charts_data/ProfileData.h"
#include "platform/ui/Document.h"

#include <functional>
#include <memory>

namespace ui {
class CDocManager;
}

// A downloaded current profile (".pro") opened as a document: the profile
// data of its family, read whole, a cursor minute and the title of the
// profile. A file that is not a profile or cannot be read whole opens
// nothing and the user is told why in Czech.
class CProfileDoc : public ui::CDocument {
    Q_OBJECT
public:
    // Update hints.
    static constexpr std::intptr_t kHintData = 1;
    static constexpr std::intptr_t kHintStyles = 2;
    static constexpr std::intptr_t kHintCursor = 4;
    static constexpr std::intptr_t kHintNewContent = 8;

    static QString DocString()
    {
        return QStringLiteral("Profil\nProfil\n\nProfil (*.pro)\n.pro\nProfile.Document\nProfile");
    }

    CProfileDoc();
    ~CProfileDoc() override;

    bool OnOpenDocument(const QString& path) override;
    void SetTitle(const QString& title) override;

    // 0 none yet, 2 VK, 4 VKT.
    int GetProfileType() const { return m_type; }
    CProfileData* GetProfile() const { return m_data.get(); }

    // Moves the cursor by step + 15 x pages minutes; beeps when it ends on
    // the first or the last minute of the day; the views get hint 4.
    void MoveCursor(int step, int pages);

    // Shows the read-only settings sheet of the profile's family over the
    // profile data (the sheets live above this library); false when the
    // stored settings cannot be read.
    using SettingsSheet = std::function<bool(QWidget* parent, CProfileData& data)>;
    static void SetSettingsSheet(SettingsSheet sheet);
    void OnShowSettings(QWidget* parent);
    // "Nastavení přístroje..." in the window's menu, shown over the
    // document's view.
    void AppendCommands(std::vector<ui::CommandItem>& items) override;
    bool OnCommand(int id) override;

    // The beep at either end of the day (tests count it).
    static void SetBeep(std::function<void()> beep);

private:
    int m_type = 0;
    std::unique_ptr<CProfileData> m_data;
};

// Adds the profile template (".pro" files) to the program's list.
void AddProfileTemplates(ui::CDocManager& manager);
