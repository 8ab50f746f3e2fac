#include "analysers_vkt/VKTVlnyFile.h"

#include "platform/Archive.h"

#include <QFile>
#include <QSaveFile>

namespace analysers_vkt {

namespace {

void PanePart(platform::SerialArchive& ar, VKTVlnyPaneBlock& p)
{
    if (ar.IsLoading()) {
        for (std::size_t k = 0; k < 8; ++k)
            ar >> p.rms[k] >> p.scale[k];
        ar >> p.currentUnit >> p.voltageUnit >> p.voltageAxisInner >> p.currentRange >> p.voltageRange >> p.mask;
    } else {
        for (std::size_t k = 0; k < 8; ++k)
            ar << p.rms[k] << p.scale[k];
        ar << p.currentUnit << p.voltageUnit << p.voltageAxisInner << p.currentRange << p.voltageRange << p.mask;
    }
}

void ValuesPart(platform::SerialArchive& ar, VKTVlnyValuesBlock& v)
{
    std::array<QString*, 10> texts{&v.currents[0], &v.currents[1], &v.currents[2], &v.currents[3],
                                   &v.voltages[0], &v.voltages[1], &v.voltages[2], &v.voltages[3],
                                   &v.currentTitle, &v.voltageTitle};
    for (QString* t : texts) {
        if (ar.IsLoading())
            ar >> *t;
        else
            ar << *t;
    }
}

const char* UnitPrefix(int multiplier)
{
    return multiplier == 1000 ? "k" : multiplier == 1000000 ? "M" : "";
}

} // namespace

void VKTVlnyValuesBlock::SetTitles(int voltageMultiplier, int currentMultiplier, bool lineToLine)
{
    voltageTitle = QString::fromLatin1(lineToLine ? "U L-L[%1V]" : "U L-N[%1V]")
                       .arg(QLatin1String(UnitPrefix(voltageMultiplier)));
    currentTitle = QStringLiteral("I [%1A]").arg(QLatin1String(UnitPrefix(currentMultiplier)));
}

QByteArray VKTVlnyBytes(const VKTVlnyFileData& data)
{
    VKTVlnyFileData d(data);
    platform::SerialArchive ar;
    ar << std::uint8_t(0x01) << std::uint8_t(0xFE) << d.time << d.coloursTaken << d.connection;
    for (const auto& wave : d.waves) {
        ar << std::uint8_t(wave ? 1 : 0);
        if (wave)
            for (std::int16_t s : *wave)
                ar << s;
    }
    for (VKTVlnyPaneBlock& p : d.panes)
        PanePart(ar, p);
    ValuesPart(ar, d.values);
    return ar.buffer();
}

bool ParseVKTVlny(const QByteArray& bytes, VKTVlnyFileData& data, QString& error)
{
    VKTVlnyFileData d;
    try {
        platform::SerialArchive ar(bytes);
        std::uint8_t a = 0, b = 0;
        ar >> a >> b;
        if (a != 0x01 || b != 0xFE) {
            error = QStringLiteral("soubor není záznamem průběhů.");
            return false;
        }
        ar >> d.time >> d.coloursTaken >> d.connection;
        for (auto& wave : d.waves) {
            std::uint8_t present = 0;
            ar >> present;
            if (present > 1) {
                error = QStringLiteral("soubor je poškozen.");
                return false;
            }
            if (present) {
                wave.emplace();
                for (std::int16_t& s : *wave)
                    ar >> s;
            }
        }
        for (VKTVlnyPaneBlock& p : d.panes)
            PanePart(ar, p);
        ValuesPart(ar, d.values);
    } catch (const platform::ArchiveError& e) {
        error = e.cause() == platform::ArchiveError::EndOfFile ? QStringLiteral("soubor je zkrácen.") : e.Text();
        return false;
    }
    data = d;
    return true;
}

bool LoadVKTVlnyFile(const QString& path, VKTVlnyFileData& data, QString& error)
{
    QFile file(path);
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = QStringLiteral("soubor nelze otevřít.");
    else if (ParseVKTVlny(file.readAll(), data, why))
        return true;
    error = QStringLiteral("Soubor průběhů \"%1\" nelze načíst: %2").arg(path, why);
    return false;
}

bool SaveVKTVlnyFile(const QString& path, const VKTVlnyFileData& data, QString& error)
{
    const QByteArray bytes = VKTVlnyBytes(data);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Soubor průběhů \"%1\" nelze uložit: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace analysers_vkt
