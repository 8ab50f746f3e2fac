#pragma once
// A VK archive whose transformer ratios change inside its twenty minutes,
// with the identification that says the instrument measures temperature:
// the window formats and the temperature column then depend on state that
// only a walked and scaled archive object holds.
#include "archive/store/VKArchivData.h"
#include "charts_stats/ArchiveFixture.h"
#include "model/Iden.h"

// In a fixture derived from statstest::ArchiveFixture: the helpers the
// writer below calls.
#define FORMATFIXTURE_HELPERS                                                                                   \
public:                                                                                                        \
    using statstest::ArchiveFixture::EndBlock;                                                                 \
    using statstest::ArchiveFixture::Path;                                                                     \
    using statstest::ArchiveFixture::SetTime;                                                                  \
    using statstest::ArchiveFixture::Use;                                                                      \
    using statstest::ArchiveFixture::WrittenSlots;

namespace formatfixture {

inline CVKConfig VKSettings(DWORD ctRatio)
{
    CVKConfig c;
    c.SetDirectVoltage(TRUE);
    c.SetVoltageWord(2300);
    c.SetCtRatioDword(ctRatio);
    c.SetNominalPower(10);
    c.SetTemperatureAt4mA(0);
    c.SetTemperatureAt20mA(100);
    return c;
}

inline CVKAktData VKValues(int i)
{
    CVKAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, WORD(2300 + i + k));
        v.SetI(k, std::int16_t(16000 + 100 * i));
        v.SetP(k, 2000 * 320000 + i);
        v.SetPF(k, 97);
    }
    v.SetTemperatureCode(BYTE(40 + i));
    return v;
}

// `f`: an ArchiveFixture that makes its helpers public (see
// FORMATFIXTURE_HELPERS). Writes the archive "hala.vk" in its folder and opens it in
// `document` with its window loaded over the twenty minutes.
template <class Fixture>
void WriteVKWithRatioChange(Fixture& f, CVKArchivData& document)
{
    const platform::CTime start = statstest::At(10, 0);
    const QString name = QStringLiteral("hala");
    {
        CVKArchivData writer;
        f.Use(writer);
        f.SetTime(start - platform::CTimeSpan(30));
        ASSERT_EQ(writer.Create(20 * 600, 10, 60, f.Path(name), QStringLiteral(".vk"), TRUE, TRUE,
                                QStringLiteral("Linka")),
                  1);
        CIden iden;
        iden.family = CIden::kFamilyAnalyser;
        iden.model = 0x1101;
        writer.AddIdenRecord(iden);
        writer.AddConfigRecord(VKSettings(1));
        for (int i = 0; i < 20; ++i) {
            if (i == 10) {
                f.SetTime(start + platform::CTimeSpan(i * 60 - 10));
                writer.AddConfigRecord(VKSettings(200));
            }
            f.SetTime(start + platform::CTimeSpan(i * 60));
            writer.AddMeasurementRecord(VKValues(i));
            if (i % 10 == 9) {
                f.SetTime(start + platform::CTimeSpan(i * 60 + 30));
                f.EndBlock(writer);
            }
        }
        ASSERT_TRUE(writer.WaitWriterIdle(10000));
        writer.Close();
    }
    f.Use(document);
    ASSERT_EQ(document.Open(f.Path(name + QStringLiteral(".vk"))), 1);
    ASSERT_EQ(document.ReadHeader(), 1);
    ASSERT_EQ(document.Window().Load(document, f.WrittenSlots(document, 22), start, 1200), 1);
}

} // namespace formatfixture
