#include "model/Iden.h"

#include <algorithm>

QORIN_IMPLEMENT_SERIAL(CIden, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

// Text of a model that is neither a VK nor a VKT analyser.
QString NotAnalyserText()
{
    return QStringLiteral("Není typu PJW,PJX");
}

WORD GetWordLE(const BYTE* p)
{
    return WORD(p[0] | (p[1] << 8));
}

void PutWordLE(BYTE* p, WORD v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}

} // namespace

void CIden::Serialize(SerialArchive& ar)
{
    if (ar.IsLoading()) {
        // A damaged stream must not leave a half-read identification behind.
        CIden tmp;
        ar >> tmp.number >> tmp.model >> tmp.family >> tmp.version >> tmp.i1 >> tmp.i2;
        ar.ReadExact(tmp.i3.data(), qsizetype(tmp.i3.size()));
        *this = tmp;
    } else {
        ar << number << model << family << version << i1 << i2;
        ar.Write(i3.data(), qsizetype(i3.size()));
    }
}

void CIden::FromReply(const BYTE* p)
{
    number = GetWord(p);
    model = GetWord(p + 2);
    family = GetWord(p + 4);
    version = GetWord(p + 6);
    i1 = p[8];
    i2 = p[9];
    std::copy(p + 10, p + 14, i3.begin());
}

void CIden::FromRaw(const BYTE* p)
{
    number = GetWordLE(p);
    model = GetWordLE(p + 2);
    family = GetWordLE(p + 4);
    version = GetWordLE(p + 6);
    i1 = p[8];
    i2 = p[9];
    std::copy(p + 10, p + 14, i3.begin());
}

void CIden::ToRaw(BYTE* p) const
{
    PutWordLE(p, number);
    PutWordLE(p + 2, model);
    PutWordLE(p + 4, family);
    PutWordLE(p + 6, version);
    p[8] = i1;
    p[9] = i2;
    std::copy(i3.begin(), i3.end(), p + 10);
}

QString CIden::GetVersionText() const
{
    const int group = GetModelGroup();
    if (group >= 0x20 && group <= 0x25)
        return QString::asprintf("%d.%.2d", version >> 8, version & 0xFF);
    return QString::asprintf("%x.%x", (version >> 4) & 0x0F, version & 0x0F);
}

QString CIden::GetSerialNumberText() const
{
    return QString::number(number);
}

BOOL CIden::HasVariantBit0() const
{
    return (model & 0x1101) == 0x1101 || (model & 0x901) == 0x901;
}

BOOL CIden::HasVariantBit2() const
{
    return GetBit(BYTE(model), 2);
}

int CIden::GetVKTInterfaceText(QString& text) const
{
    switch (GetModelGroup()) {
    case 0x21:
        text = QStringLiteral("485");
        return 2;
    case 0x22:
        text = QStringLiteral("ProfiBUS");
        return 3;
    case 0x23:
        text = QStringLiteral("Ethernet");
        return 4;
    case 0x24:
        text = QStringLiteral("WiFi");
        return 5;
    case 0x25:
        text = QStringLiteral("Bluetooth");
        return 6;
    case 0x26:
        text = QStringLiteral("COM");
        return 1;
    default:
        text.clear();
        return 0;
    }
}

int CIden::GetVKInterfaceText(QString& text) const
{
    const bool bit9 = model & 0x200;
    const bool bit10 = model & 0x400;
    if (bit9 && bit10) {
        text = QStringLiteral("COM");
        return 1;
    }
    if (bit10) {
        text = QStringLiteral("485");
        return 2;
    }
    if (bit9) {
        text = QStringLiteral("CAN");
        return 3;
    }
    text = QStringLiteral("--");
    return 0;
}

QString CIden::GetModelText() const
{
    if (family != kFamilyAnalyser)
        return NotAnalyserText();
    if (model == 0x1001)
        return QStringLiteral("VKN");
    if (model == 0x1000)
        return QStringLiteral("VKR");

    QString text;
    const bool pjw = (model & 0x900) == 0x900;
    const bool pjx = !pjw && (model & 0x1100) == 0x1100;
    if (pjw || pjx) {
        static const char* const kSuffix[8] = {"", "T", "R", "RT", "E", "ET", "ER", "ERT"};
        QString suffix = QLatin1String(kSuffix[model & 7]);
        if (model & 0x08)
            suffix += QLatin1Char('A');
        text = (pjw ? QStringLiteral("PJW33") : QStringLiteral("PJX33")) + QLatin1Char(' ') + suffix;
    } else {
        text = QStringLiteral("PJX33");
    }

    QString iface;
    if (GetVKInterfaceText(iface) != 0)
        text += QLatin1Char('/') + iface;
    return text;
}

bool CIden::IsVKTModelWord() const
{
    return family == kFamilyAnalyser && model >= 0x2000 && model <= 0x2514;
}

QString CIden::GetVKTModelText() const
{
    if (!IsVKTModelWord())
        return NotAnalyserText();
    QString text = (model & 0x10) ? QStringLiteral("VKT33") : QStringLiteral("VKT44");
    static const char* const kInputs[4] = {"", "RR", "II", "RI"};
    text += QLatin1String(kInputs[model & 3]);
    static const char* const kInterface[8] = {"", " 485", " Profibus", " Ethernet", " Wifi", " Bluetooth", " COM", ""};
    text += QLatin1String(kInterface[(model >> 8) & 7]);
    return text;
}

QString CIden::GetControllerModelText(int code)
{
    static const char* const kLow[6] = {"QORIN-306", "QORIN-314", "QORIN-206",
                                        "QORIN-214", "QORIN-106", "QORIN-114"};
    static const char* const kHigh[6] = {"QORIN-1306", "QORIN-1312", "QORIN-1206",
                                         "QORIN-1214", "QORIN-1106", "QORIN-1114"};
    if (code >= 1 && code <= 6)
        return QLatin1String(kLow[code - 1]);
    if (code >= 17 && code <= 22)
        return QLatin1String(kHigh[code - 17]);
    return QString();
}

QString CIden::GetDescription() const
{
    if (family == kFamilyController) {
        const QString name = GetControllerModelText(model);
        return name.isEmpty() ? QStringLiteral("Qorin??") : name;
    }
    if (family == kFamilyAnalyser) {
        const int group = GetModelGroup();
        if (group >= 0x20 && group <= 0x26)
            return GetVKTModelText();
        switch (group) {
        case 0x09:
        case 0x0B:
        case 0x0D:
        case 0x0F:
        case 0x10:
        case 0x11:
        case 0x13:
        case 0x15:
        case 0x17:
            return GetModelText();
        default:
            break;
        }
    }
    // Unknown instrument: no model name to show.
    return QString();
}

int CIden::GetVKModelIndex() const
{
    if (family != kFamilyAnalyser)
        return kUnknownModelIndex;
    if (model == 0x1001)
        return 21;
    if (model == 0x1000)
        return 20;
    const int variant = model & 7;
    int index;
    if ((model & 0x900) == 0x900)
        index = variant < 3 ? 8 + variant : 11;
    else if ((model & 0x1100) == 0x1100)
        index = 12 + variant;
    else
        return kUnknownModelIndex;
    if (model & 0x08)
        index += 14;
    return index;
}

int CIden::GetControllerModelIndex() const
{
    if (family == kFamilyController && model >= 17 && model <= 22)
        return model + 23;
    return kUnknownModelIndex;
}

int CIden::GetVKTModelIndex() const
{
    if (!IsVKTModelWord())
        return kUnknownModelIndex;
    return ((model & 0x10) ? 38 : 34) + (model & 3);
}
