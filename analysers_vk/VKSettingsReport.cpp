#include "analysers_vk/VKSettingsReport.h"

#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"

#include <QTabBar>
#include <QTreeWidget>

namespace analysers_vk {

namespace {

const QString kYes = QStringLiteral("ANO");
const QString kNone = QStringLiteral("--");

QString YesNo(bool on)
{
    return on ? kYes : kNone;
}

} // namespace

void AddInstallationReport(const CVKDetailInstalace& p, controllers::CSettingsReport& r)
{
    r.Box(p.Caption());
    r.Empty();
    auto ratio = [&p](int primary, int secondary) {
        return p.ControlText(primary) + QStringLiteral(" / ") + p.ControlText(secondary);
    };
    r.Pair(0, QStringLiteral("Typ přístroje:"), p.ControlText(1251));
    r.Pair(0, QStringLiteral("Připojení napětí:"), p.ControlText(1242));
    r.Pair(0, QStringLiteral("Typ připojení:"), p.ControlText(1243));
    r.Pair(0, QStringLiteral("Nominální napětí:"), p.ControlText(1244) + QStringLiteral(" V"));
    if (p.IsEnabledCtl(1245))
        r.Pair(0, QStringLiteral("Převod MTN:"), ratio(1245, 1246));
    r.Pair(0, QStringLiteral("Převod MTP:"), ratio(1019, 1217));
    if (p.IsEnabledCtl(1020))
        r.Pair(0, QStringLiteral("Převod MTP4:"), ratio(1020, 1218));
    r.Pair(0, QStringLiteral("Nominální výkon:"), p.ControlText(1021) + QStringLiteral(" kVA"));
    if (p.IsEnabledCtl(1022))
        r.Pair(0, QStringLiteral("Teplota při 4 mA:"), p.ControlText(1022) + QStringLiteral(" C"));
    if (p.IsEnabledCtl(1023))
        r.Pair(0, QStringLiteral("Teplota při 20 mA:"), p.ControlText(1023) + QStringLiteral(" C"));
    r.Empty();
    const VKInstallFields& f = p.Fields();
    r.Pair(0, QStringLiteral("Dálková komunikace:"), p.ControlText(1247));
    if (f.IsSerial()) {
        r.Pair(0, QStringLiteral("Protokol Modbus RTU"), YesNo(p.IsChecked(1248)));
        if (p.IsChecked(1248))
            r.Pair(0, QStringLiteral("Parita:"), p.ControlText(1219));
    }
    if (f.interfaceKind != 0) {
        r.Pair(0, QStringLiteral("Komunikační rychlost:"), p.ControlText(1220));
        r.Pair(0, QStringLiteral("Adresa:"), p.ControlText(1024));
    }
    if (f.interfaceKind == 1) {
        r.Pair(0, QStringLiteral("Modem"), YesNo(p.IsChecked(1025)));
        if (p.IsChecked(1025))
            r.Pair(0, QStringLiteral("Inicializační string modemu:"), p.ControlText(1026));
    }
    r.Empty();
}

void AddOutputsReport(CVKDetailVystupy& p, controllers::CSettingsReport& r)
{
    r.Box(p.Caption());
    r.Empty();
    const VKOutputFields& f = p.Fields();
    if (f.p1 || f.p2) {
        r.Text(0, QStringLiteral("Impulsní výstupy :"));
        for (int k = 0; k < 2; ++k) {
            if (!(k == 0 ? f.p1 : f.p2))
                continue;
            const double pulses = k == 0 ? f.pulses1 : f.pulses2;
            r.Pair(2, k == 0 ? QStringLiteral("Výstup P1:") : QStringLiteral("Výstup P2:"),
                   QStringLiteral("Elektrická práce: %1  %2 imp/kWh")
                       .arg(p.ControlText(k == 0 ? 1213 : 1214), QString::number(pulses, 'g', 6)));
        }
    }
    const QStringList quantities = OutputQuantities();
    auto quantity = [&](const VKOutputState& o, int output) {
        const QStringList phases = PhaseItems(output, o.quantity);
        return quantities.value(o.quantity, kNone) + QLatin1Char(' ') + phases.value(o.phase);
    };
    r.Text(0, QStringLiteral("Výstupní relé:"));
    for (int i = 0; i < 2; ++i) {
        const VKOutputState& o = f.out[std::size_t(i)];
        if (!o.active)
            continue;
        r.Text(2, i == 0 ? QStringLiteral("Relé 1") : QStringLiteral("Relé 2"));
        r.Pair(4, QStringLiteral("Řídící veličina:"), quantity(o, i));
        r.Text(4, QStringLiteral("%1 mezí %2")
                      .arg(o.direction == 1 ? QStringLiteral("Nad") : QStringLiteral("Pod"),
                           o.action == 1 ? QStringLiteral("Zapnout") : QStringLiteral("Vypnout")));
        r.Pair(4, QStringLiteral("Přepínací mez:"), QString::asprintf("%0.1f", o.limit) + QStringLiteral("% nom. hodnoty"));
        r.Pair(4, QStringLiteral("Hystereze (+/-):"),
               QString::asprintf("%0.1f", o.hysteresis) + QStringLiteral("% nom. hodnoty"));
        r.Pair(4, QStringLiteral("Blokovací doba:"), QStringLiteral("%1 sec").arg(o.blocking));
    }
    if (f.outputCount == 4) {
        for (int i = 2; i < 4; ++i) {
            const VKOutputState& o = f.out[std::size_t(i)];
            if (!o.active)
                continue;
            r.Text(2, i == 2 ? QStringLiteral("Analog. výstup 1") : QStringLiteral("Analog. výstup 2"));
            r.Pair(4, QStringLiteral("Řídící veličina:"), quantity(o, i));
            r.Pair(4, QStringLiteral("Hodnota při ") + (o.start == 1 ? QStringLiteral("4 mA:") : QStringLiteral("0 mA:")),
                   QString::asprintf("%0.1f", o.low) + QStringLiteral("% nom. hodnoty"));
            r.Pair(4, QStringLiteral("Hodnota při 20 mA :"),
                   QString::asprintf("%0.1f", o.high) + QStringLiteral("% nom. hodnoty"));
        }
    }
    if (p.IsEnabledCtl(1022))
        r.Pair(0, QStringLiteral("Aktivovat vstup časové synchronizace"), YesNo(p.IsChecked(1022)));
    r.Empty();
}

void AddRecordingReport(const CVKDetailZaznam& p, controllers::CSettingsReport& r)
{
    r.Box(p.Caption());
    r.Empty();
    const VKRecordFields& f = p.Fields();
    r.Pair(0, QStringLiteral("Název záznamu:"), p.ControlText(1017));
    r.Pair(0, QStringLiteral("Perioda záznamu:"), p.ControlText(1230));
    QString start = kNone;
    if (!f.atOnce) {
        start = StartPickers(&p, 1098, 1099).Text();
    }
    r.Pair(0, QStringLiteral("Start. čas"), start);
    r.Pair(0, QStringLiteral("Cyklický záznam"), YesNo(f.cyclic));
    r.Pair(0, QStringLiteral("Vzorkovat dle:"), p.ControlText(1231));
    r.Empty();
    r.Text(0, QStringLiteral("Ukládá se:"));
    const struct {
        const char* label;
        int count, value;
        bool on;
    } stored[] = {{"Napětí:", 1232, 1233, f.uCount != 0},
                  {"Proud:", 1234, 1222, f.iCount != 0},
                  {"PF:", 1236, 1224, f.pfKind != 0},
                  {"Frek.:", 1235, 1223, f.freq != 0},
                  {"Teplota:", 1237, 1225, f.temp != 0}};
    for (const auto& s : stored) {
        if (s.on)
            r.Pair(2, QString::fromUtf8(s.label), p.ControlText(s.count) + QStringLiteral("  ") + p.ControlText(s.value));
    }
    r.Empty();
    if (f.powers != 0) {
        r.Pair(0, QStringLiteral("Typ výkonu:"), p.ControlText(1226));
        r.Pair(0, QStringLiteral("Počet prům. výkonů:"), p.ControlText(1227));
        if (p.IsEnabledCtl(1102))
            r.Pair(0, QStringLiteral("Zvlášť import/export"), YesNo(f.apart));
        r.Empty();
    }
    bool printed = false;
    std::vector<int> noted;
    for (int slot : f.Slots()) {
        if (!p.Notes()[std::size_t(slot)].isEmpty())
            noted.push_back(slot);
    }
    if (!noted.empty()) {
        r.Text(0, QStringLiteral("Poznámky:"));
        for (int slot : noted)
            r.Pair(2, f.Caption(slot), p.Notes()[std::size_t(slot)]);
        r.Empty();
        printed = true;
    }
    bool harmonicsRow = false;
    if (f.hU != 0) {
        r.Pair(0, QStringLiteral("THD + Harmonické U:"), p.ControlText(1228));
        harmonicsRow = true;
    }
    if (f.hI != 0) {
        r.Pair(0, QStringLiteral("THD + Harmonické I:"), p.ControlText(1221));
        harmonicsRow = true;
    }
    if (harmonicsRow) {
        QStringList orders;
        if (f.kind == 0) {
            for (std::size_t k = 0; k < f.harmonics.size(); ++k) {
                if (f.harmonics[k])
                    orders << QString::number(int(k) + 2);
            }
        } else {
            for (int order = 2; order <= 1 + f.harmonicsCount; ++order)
                orders << QString::number(order);
        }
        if (!orders.isEmpty())
            r.Pair(0, p.ControlText(1238), orders.join(QStringLiteral(", ")));
        printed = true;
    }
    if (!printed)
        r.Pair(0, QStringLiteral("-----------------"), kNone);
    r.Empty();
    r.Pair(0, QStringLiteral("Kapacita paměti:"), p.ControlText(1181));
}

} // namespace analysers_vk
