// The instrument information: what is gathered from the identification and
// the notebook, and what the user sees when the instrument cannot be
// identified.
#include "model/Iden.h"
#include "platform/ui/MessageBox.h"
#include "shell/PristrojInfoDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

namespace {

CPristrojInfoSource Answering(WORD model, bool identified = true)
{
    CPristrojInfoSource source;
    source.identify = [model, identified](CIden& iden, QString& error) {
        if (!identified) {
            error = QStringLiteral("Port COM7 nelze otevřít.");
            return false;
        }
        iden.family = CIden::kFamilyAnalyser;
        iden.model = model;
        iden.number = 1234;
        iden.version = 0x0021;
        return true;
    };
    source.readNoteBook = [](QString& object, QString& record) {
        object = QStringLiteral("Hala 3");
        record = QStringLiteral("Zkouška");
    };
    return source;
}

TEST(PristrojInfoTest, IdentificationAndNotebookFillTheFiveFields)
{
    CPristrojInfo info;
    QString error;
    ASSERT_TRUE(GatherPristrojInfo(Answering(0x0101), info, error));
    CIden iden;
    iden.family = CIden::kFamilyAnalyser;
    iden.model = 0x0101;
    iden.number = 1234;
    iden.version = 0x0021;
    EXPECT_EQ(info.description, iden.GetDescription());
    EXPECT_EQ(info.serialNumber, iden.GetSerialNumberText());
    EXPECT_EQ(info.firmware, iden.GetVersionText());
    EXPECT_EQ(info.objectName, QStringLiteral("Hala 3"));
    EXPECT_EQ(info.recordName, QStringLiteral("Zkouška"));

    CPristrojInfoDlg dialog(info);
    EXPECT_EQ(dialog.FieldText(3), QStringLiteral("Zkouška")); // "Název záznamu:"
    EXPECT_EQ(dialog.FieldText(4), QStringLiteral("Hala 3"));  // "Název objektu:"
}

TEST(PristrojInfoTest, AFailedIdentificationShowsTheLinkErrorAndNoDialog)
{
    ui::ScriptedMessageBoxes boxes;
    CPristrojInfoDlg::Run(nullptr, Answering(0, false));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Port COM7 nelze otevřít."));
}

} // namespace
