#pragma once
// Profile files written with the program's own serialiser: a VK and a VKT
// day with a daily load shape, and damaged variants of them.
#include "charts_data/ProfileFile.h"
#include "model/PrevodTyp.h"
#include "model/UniTyp.h"
#include "model/VKTPackedTime.h"

#include <QFile>
#include <QString>

#include <cmath>

namespace profilefixture {

using platform::CTime;

inline const CTime kDay(2009, 3, 5, 0, 0, 0);

// The load of minute m: low at night, high around noon (0..1).
inline double Load(int m)
{
    return 0.5 - 0.45 * std::cos(2.0 * 3.14159265358979 * m / 1440.0);
}

inline charts::CVKProfileFile VKDay(const QString& name, DWORD kind = 1)
{
    charts::CVKProfileFile file;
    file.head = {name, charts::kProfileTypeVK, kind, kDay};
    file.config.SetCtRatioDword(1);
    for (int m = 0; m < charts::kProfileMinutes; ++m) {
        QByteArray r(charts::kVKProfileRecordSize, '\0');
        auto* p = reinterpret_cast<BYTE*>(r.data());
        const double load = Load(m);
        for (int k = 0; k < 3; ++k) {
            CPrevodTyp::PutWord(p + 2 * k, WORD(2300 - 40 * load + 10 * k));
            CPrevodTyp::PutWord(p + 6 + 2 * k, WORD(int(3200 * 3 * load * (1.0 + 0.1 * k))));
        }
        CPrevodTyp::PutWord(p + 12, WORD(int(3200 * 3 * load * 3.3)));
        for (int k = 0; k < 3; ++k)
            p[14 + k] = BYTE(std::int8_t(95 + k));
        file.records += r;
    }
    return file;
}

inline charts::CVKTProfileFile VKTDay(const QString& name, DWORD kind = 0)
{
    charts::CVKTProfileFile file;
    file.head = {name, charts::kProfileTypeVKT, kind, kDay};
    for (int m = 0; m < charts::kProfileMinutes; ++m) {
        QByteArray r(charts::kVKTProfileRecordSize, '\0');
        auto* p = reinterpret_cast<BYTE*>(r.data());
        PackRecordTime(kDay + CTimeSpan(60 * m), p);
        const double load = Load(m);
        for (int k = 0; k < 3; ++k) {
            CPrevodTyp::PutWord(p + 4 + 2 * k, WORD(9200 - 100 * load));
            CPrevodTyp::PutWord(p + 10 + 2 * k, WORD(int(35000 * load * (1.0 + 0.1 * k))));
            CPrevodTyp::PutFloat(p + 16 + 4 * k, float(2000 * load));
            CPrevodTyp::PutFloat(p + 28 + 4 * k, float(600 * load));
            CPrevodTyp::PutFloat(p + 40 + 4 * k, float(2100 * load));
        }
        p[52] = 0;
        p[53] = 59;
        file.records += r;
    }
    return file;
}

// A VK day whose blocks claim an item size of 18 bytes.
inline QByteArray VKWrongItemSize(const QString& name)
{
    const charts::CVKProfileFile file = VKDay(name);
    SerialArchive ar;
    ar << file.head.name << file.head.type << file.head.kind << file.head.date;
    auto iden = file.iden;
    iden.Serialize(ar);
    auto config = file.config;
    config.Serialize(ar);
    auto notebook = file.notebook;
    notebook.Serialize(ar);
    CUniTyp block;
    block.SetSize(17, 18);
    std::copy_n(file.Record(0), 17 * 18, block.GetData());
    block.Serialize(ar);
    CUniTyp end;
    end.Serialize(ar);
    return ar.buffer();
}

inline QString Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace profilefixture
