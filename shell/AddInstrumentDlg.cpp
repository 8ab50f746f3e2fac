#include "shell/AddInstrumentDlg.h"

#include "platform/ui/HtmlHelp.h"
#include "shell/FamilyDescriptor.h"

#include "archive/store/ArchivSettingsCheck.h"
#include "link/PortList.h"
#include "link/Pristroj.h"
#include "model/Iden.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "shell/DlgControls.h"
#include "shell/WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using dlg::Named;
using dlg::Text;

constexpr int kRoleName = Qt::UserRole;
constexpr int kRoleKind = Qt::UserRole + 1;
// A kind the port list never makes; kept out of the list for a Qorin.
constexpr int kPortKindBus = 1;

const char* const kOverwriteTexts[] = {"1 den", "2 dny", "7 dnu", "14 dnů", "1 měsíc"};

// The dialog's geometry in dialog units: 184 wide, its margins 7; the
// advanced check, OK and "Konec" in a row 14 high, at the left edges and
// widths below, 7 above the bottom edge: at 234 while the advanced part is
// hidden, at 334 while it shows.
constexpr int kWidthDlu = 184;
constexpr int kMarginDlu = 7;
constexpr int kButtonHeightDlu = 14;
constexpr int kButtonsTopDlu = 234;
constexpr int kButtonsTopAdvancedDlu = 334;
constexpr int kButtonGapDlu = 4;
struct ButtonPlace {
    int id;
    int left;
    int width;
};
constexpr ButtonPlace kButtonPlaces[] = {
    {CAddInstrumentDlg::IdAdvanced, 7, 85}, {1, 96, 39}, {2, 138, 39}};
const int kMeasuringIntervals[] = {2, 5, 10, 15, 30, 60};

} // namespace

CAddInstrumentDlg::CAddInstrumentDlg(const CFamilyList& families, CPortList& ports, const QString& dataFolder,
                                     bool subFolders, QWidget* parent)
    : QDialog(parent), m_families(families), m_ports(ports), m_dataFolder(dataFolder), m_subFolders(subFolders)
{
    ui::SetHelpId(this, 130);
    setWindowTitle(Text("Přidat přístroj"));
    BuildControls();
}

void CAddInstrumentDlg::BuildControls()
{
    // The controls above the button row keep to the dialog's margins and end
    // a little above the row; the row itself stands where its dialog units
    // put it (PlaceButtons).
    const QFont f = font();
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(ui::DluToPixelsX(kMarginDlu, f), ui::DluToPixelsY(kMarginDlu, f),
                            ui::DluToPixelsX(kMarginDlu, f),
                            ui::DluToPixelsY(kMarginDlu + kButtonHeightDlu + kButtonGapDlu, f));
    auto* form = new QFormLayout;
    top->addLayout(form);

    m_name = Named(new QLineEdit, IdName);
    form->addRow(Text("Název přístroje:"), m_name);
    m_address = Named(new QLineEdit, IdAddress);
    m_address->setValidator(new QIntValidator(0, 65535, m_address));
    form->addRow(Text("Adresa přístroje:"), m_address);
    m_port = Named(new QComboBox, IdPort);
    // A long port description must not widen the dialog past its size.
    m_port->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_port->setMinimumContentsLength(12);
    form->addRow(Text("Port:"), m_port);
    m_telephone = Named(new QLineEdit, IdTelephone);
    form->addRow(Text("Telefonní číslo:"), m_telephone);

    auto* typeRow = new QHBoxLayout;
    m_type = Named(new QComboBox, IdType);
    for (const CFamilyDescriptor& family : m_families.All())
        m_type->addItem(family.typeText, family.type);
    auto* identify = Named(new QPushButton(Text("auto")), IdIdentify);
    typeRow->addWidget(m_type, 1);
    typeRow->addWidget(identify);
    form->addRow(Text("Typ:"), typeRow);

    m_measure = Named(new QCheckBox(Text("Aktivní přístroj")), IdMeasure);
    m_show = Named(new QCheckBox(Text("Zobrazení aktuálních dat")), IdShow);
    m_panel = Named(new QCheckBox(Text("Plovoucí okno")), IdPanel);
    m_record = Named(new QCheckBox(Text("Záznam do souboru")), IdRecord);
    for (QCheckBox* box : {m_measure, m_show, m_panel, m_record})
        top->addWidget(box);

    auto* fileRow = new QHBoxLayout;
    m_file = Named(new QLineEdit, IdArchiveFile);
    auto* browse = Named(new QPushButton(Text("...")), IdBrowse);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto* fileForm = new QFormLayout;
    fileForm->addRow(Text("Archivní soubor:\n(bez přípony)"), fileRow);
    m_overwrite = Named(new QComboBox, IdOverwritePeriod);
    for (const char* text : kOverwriteTexts)
        m_overwrite->addItem(Text(text));
    fileForm->addRow(Text("Délka záznamu:"), m_overwrite);
    top->addLayout(fileForm);

    m_sync = Named(new QCheckBox(Text("Synchronizovat čas s PC")), IdSynchronise);
    top->addWidget(m_sync);

    m_advancedPart = Named(new QGroupBox, 1121);
    auto* advanced = new QVBoxLayout(m_advancedPart);
    // Its longest label and a combo of a few digits fit the dialog's width,
    // 3 units from the frame and from each other.
    advanced->setContentsMargins(ui::DluToPixelsX(3, f), ui::DluToPixelsY(3, f), ui::DluToPixelsX(3, f),
                                 ui::DluToPixelsY(3, f));
    auto* note = Named(new QLabel(Text("Nevhodná změna těchto údajů může negativně ovlivnit výkon aplikace !")),
                       IdAdvancedNote);
    note->setWordWrap(true);
    advanced->addWidget(note);
    auto* advancedForm = new QFormLayout;
    advancedForm->setHorizontalSpacing(ui::DluToPixelsX(3, f));
    m_measuring = Named(new QComboBox, IdMeasuringInterval);
    for (int seconds : kMeasuringIntervals)
        m_measuring->addItem(QString::number(seconds), seconds);
    advancedForm->addRow(Named(new QLabel(Text("Interval aktualizace (s):")), 1080), m_measuring);
    m_recording = Named(new QComboBox, IdRecordingInterval);
    advancedForm->addRow(Text("Minimalni zobrazovaný interval (min):"), m_recording);
    advanced->addLayout(advancedForm);
    m_cyclic = Named(new QCheckBox(Text("Cyklický záznam")), IdCyclic);
    advanced->addWidget(m_cyclic);
    top->addWidget(m_advancedPart);
    top->addStretch(1);

    m_advanced = Named(new QCheckBox(Text("   Pokročilé nastavení"), this), IdAdvanced);
    auto* ok = Named(new QPushButton(Text("OK"), this), 1);
    auto* cancel = Named(new QPushButton(Text("Konec"), this), 2);
    ok->setDefault(true);
    m_advancedPart->setVisible(false);
    FitToDialogUnits();

    connect(ok, &QPushButton::clicked, this, &CAddInstrumentDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAddInstrumentDlg::reject);
    connect(identify, &QPushButton::clicked, this, &CAddInstrumentDlg::OnIdentify);
    connect(browse, &QPushButton::clicked, this, &CAddInstrumentDlg::OnBrowse);
    connect(m_name, &QLineEdit::textEdited, this, &CAddInstrumentDlg::OnNameChanged);
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] { OnTypeChanged(); });
    connect(m_measuring, &QComboBox::currentIndexChanged, this, [this] { FillRecordingIntervals(); });
    for (QCheckBox* box : {m_measure, m_record, m_advanced})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(m_port, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
}

void CAddInstrumentDlg::SetEntry(CPristroj* entry, bool isNew, CPristroj* live)
{
    m_entry = entry;
    m_isNew = isNew;
    m_live = live ? live : entry;
    m_filled = false;
}

void CAddInstrumentDlg::showEvent(QShowEvent* event)
{
    if (!m_filled) {
        m_filled = true;
        FillControls();
    }
    QDialog::showEvent(event);
}

void CAddInstrumentDlg::FillPorts(bool refresh)
{
    const QString previous = m_port->currentData(kRoleName).toString();
    if (refresh)
        m_ports.Refresh();
    m_port->blockSignals(true);
    m_port->clear();
    const bool busPorts = m_families.UsesBusPorts(SelectedType());
    for (const CPortEntry& port : m_ports.Entries()) {
        if (port.kind == kPortKindBus && !busPorts)
            continue;
        const QString text = port.description.isEmpty() ? port.name + QStringLiteral(" ")
                                                        : port.name + QStringLiteral(" ( ") + port.description +
                                                              QStringLiteral(" )");
        m_port->addItem(text);
        m_port->setItemData(m_port->count() - 1, port.name, kRoleName);
        m_port->setItemData(m_port->count() - 1, port.kind, kRoleKind);
    }
    const QString wanted = previous.isEmpty() && m_entry ? m_entry->m_com : previous;
    int index = m_port->findData(wanted, kRoleName);
    // An instrument keeps its port while the port is away (unplugged).
    if (index < 0 && m_entry && wanted == m_entry->m_com && !wanted.isEmpty()) {
        m_port->addItem(wanted + QStringLiteral(" "));
        index = m_port->count() - 1;
        m_port->setItemData(index, wanted, kRoleName);
        m_port->setItemData(index, kPortKindSerial, kRoleKind);
    }
    m_port->setCurrentIndex(index >= 0 ? index : 0);
    m_port->blockSignals(false);
}

void CAddInstrumentDlg::FillControls()
{
    if (!m_entry)
        return;
    const CPristroj& e = *m_entry;
    m_type->blockSignals(true);
    m_type->setCurrentIndex(std::max(0, m_type->findData(e.GetType())));
    m_type->blockSignals(false);
    m_shownType = SelectedType();
    FillPorts(true);
    m_name->setText(e.m_nazev);
    m_address->setText(QString::number(static_cast<unsigned short>(e.m_adresa)));
    m_telephone->setText(e.m_telCislo);
    m_file->setText(e.m_soubor);
    m_show->setChecked(e.m_zobrazovat != 0);
    m_record->setChecked(e.m_zaznamenavat != 0);
    m_measure->setChecked(e.m_merit != 0);
    m_panel->setChecked(e.m_onp != 0);
    m_rememberedSync = e.m_synchronizovat;
    m_sync->setChecked(TypeSynchronises(m_shownType) && e.m_synchronizovat != 0);

    int period = 4;
    for (int i = 0; i < 4; ++i)
        if (e.m_intervalPrepisovani == kOverwritePeriods[i])
            period = i;
    m_overwrite->setCurrentIndex(period);
    m_cyclic->setChecked(e.m_prepisovat != 0);

    SelectMeasuringInterval(e.m_intervalMereni);
    FillRecordingIntervals();
    int recording = 0;
    for (int i = 0; i < 4; ++i)
        if (e.m_intervalZapisovani == kRecordingIntervals[i])
            recording = i;
    m_recording->setCurrentIndex(recording);

    if (m_isNew) {
        m_name->selectAll();
        m_name->setFocus();
    } else {
        setWindowTitle(platform::LoadString(platform::IDS_TITLE_DEVICE_PROPERTIES));
    }
    UpdateControls();
}

void CAddInstrumentDlg::SelectMeasuringInterval(int seconds)
{
    int index = m_measuring->findData(seconds);
    if (index < 0) {
        index = 0;
        while (index < m_measuring->count() && m_measuring->itemData(index).toInt() < seconds)
            ++index;
        m_measuring->insertItem(index, QString::number(seconds), seconds);
    }
    m_measuring->setCurrentIndex(index);
}

void CAddInstrumentDlg::FillRecordingIntervals()
{
    const int selection = m_recording->currentIndex();
    const int seconds = m_measuring->currentData().toInt();
    m_recording->clear();
    for (int factor = 1; factor <= 4; ++factor)
        m_recording->addItem(QString::number(seconds * factor));
    m_recording->setCurrentIndex(selection >= 0 && selection < 4 ? selection : 0);
}

void CAddInstrumentDlg::OnNameChanged(const QString& name)
{
    if (!m_isNew)
        return;
    QString file = m_dataFolder + QDir::separator() + name;
    if (m_subFolders)
        file += QDir::separator() + name;
    m_file->setText(file);
}

int CAddInstrumentDlg::SelectedType() const
{
    return m_type->currentData().toInt();
}

bool CAddInstrumentDlg::TypeSynchronises(int type) const
{
    return m_families.CanDownload(type);
}

void CAddInstrumentDlg::OnTypeChanged()
{
    const int type = SelectedType();
    const bool wasSync = TypeSynchronises(m_shownType);
    if (wasSync)
        m_rememberedSync = m_sync->isChecked() ? 1 : 0;
    m_sync->setChecked(TypeSynchronises(type) && m_rememberedSync != 0);
    const bool portsDiffer = m_families.UsesBusPorts(m_shownType) != m_families.UsesBusPorts(type);
    m_shownType = type;
    if (portsDiffer && m_filled)
        FillPorts(false);
    UpdateControls();
}

void CAddInstrumentDlg::UpdateControls()
{
    const bool measure = m_measure->isChecked();
    m_show->setEnabled(measure);
    m_panel->setEnabled(measure);
    m_record->setEnabled(measure);
    m_telephone->setEnabled(m_port->currentData(kRoleKind).toInt() == kPortKindModem);
    const bool record = m_record->isChecked();
    m_overwrite->setEnabled(record);
    m_cyclic->setEnabled(record);
    m_sync->setEnabled(TypeSynchronises(SelectedType()));
    if (m_advancedPart->isHidden() == m_advanced->isChecked()) {
        m_advancedPart->setVisible(m_advanced->isChecked());
        FitToDialogUnits();
    }
}

int CAddInstrumentDlg::ButtonsTopDlu() const
{
    return m_advanced->isChecked() ? kButtonsTopAdvancedDlu : kButtonsTopDlu;
}

void CAddInstrumentDlg::FitToDialogUnits()
{
    // The layout first takes in the part shown or hidden, so that the size
    // it needs is that of now; a font that needs more room gets it.
    layout()->activate();
    const QSize wanted = ui::DluToPixels(QSize(kWidthDlu, ButtonsTopDlu() + kButtonHeightDlu + kMarginDlu), font());
    resize(wanted.expandedTo(minimumSizeHint()));
    PlaceButtons();
}

void CAddInstrumentDlg::PlaceButtons()
{
    const QFont f = font();
    const int bottom = ButtonsTopDlu() + kButtonHeightDlu + kMarginDlu;
    // A dialog grown past its dialog units keeps the row as far above its
    // bottom edge.
    const int shift = height() - ui::DluToPixelsY(bottom, f);
    for (const ButtonPlace& place : kButtonPlaces) {
        QRect r = ui::DluToPixels(QRect(place.left, ButtonsTopDlu(), place.width, kButtonHeightDlu), f);
        r.translate(0, shift);
        if (QWidget* button = Control<QWidget>(place.id))
            button->setGeometry(r);
    }
}

void CAddInstrumentDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceButtons();
}

void CAddInstrumentDlg::OnIdentify()
{
    if (!CheckAddressField(m_name->text()))
        return;
    CWaitCursor wait;
    CIden iden;
    QString error;
    int probe = 0;
    const QString port = m_port->currentData(kRoleName).toString();
    const WORD address = static_cast<WORD>(AddressTyped());
    CLinkManager* manager = m_entry ? m_entry->LinkManager() : nullptr;
    if (!CPristroj::IdentifyInstrument(manager, iden, port, address, m_telephone->text(), error, probe)) {
        ui::ErrorBox(this, error, ui::MsgButtons::Ok, ui::MsgIcon::Error);
        return;
    }
    const int type = m_families.TypeOfIdentification(iden.family, iden.model);
    const int index = m_type->findData(type);
    if (type == 0 || index < 0) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_UNKNOWN_DEVICE_TYPE), ui::MsgButtons::Ok,
                     ui::MsgIcon::Error);
        return;
    }
    m_type->setCurrentIndex(index);
}

QString CAddInstrumentDlg::CheckInstrumentName(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Zadejte název přístroje.");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("Název přístroje je příliš dlouhý (nejvýše %1 znaků).").arg(kMaxNameLength);
    if (!archive::IsPlainFileName(name))
        return QStringLiteral("Název přístroje nesmí obsahovat znaky „/“, „\\“, „:“, „..“ ani řídicí znaky.");
    return QString();
}

int CAddInstrumentDlg::AddressTyped() const
{
    bool number = false;
    const int address = m_address->text().toInt(&number);
    return number ? address : 0;
}

bool CAddInstrumentDlg::CheckAddressField(const QString& name)
{
    const QString problem = CPristroj::CheckAddress(name, AddressTyped());
    if (problem.isEmpty())
        return true;
    ui::ErrorBox(this, problem, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    m_address->selectAll();
    m_address->setFocus();
    return false;
}

void CAddInstrumentDlg::OnBrowse()
{
    const CFamilyDescriptor* family = m_families.Find(SelectedType());
    if (!family)
        return;
    const QString extension = family->archiveEnding;
    const QString chosen = QFileDialog::getSaveFileName(this, QString(), m_file->text() + extension,
                                                        QStringLiteral("*") + extension);
    if (chosen.isEmpty())
        return;
    QString path = QDir::toNativeSeparators(chosen);
    if (path.endsWith(extension, Qt::CaseInsensitive))
        path.chop(extension.size());
    m_file->setText(path);
}

void CAddInstrumentDlg::accept()
{
    if (!m_entry) {
        QDialog::reject();
        return;
    }
    const int type = SelectedType();
    if (const QString problem = CheckInstrumentName(m_name->text()); !problem.isEmpty()) {
        ui::ErrorBox(this, problem, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
        m_name->selectAll();
        m_name->setFocus();
        return;
    }
    if (!CheckAddressField(m_name->text()))
        return;
    if (type == 0) {
        QDialog::reject();
        return;
    }
    if (m_record->isChecked() && !CheckDataDirectory(this, m_file->text(), type - 1, TRUE, &m_entry->Host())) {
        m_file->selectAll();
        m_file->setFocus();
        return;
    }
    CPristroj& e = *m_entry;
    e.m_adresa = static_cast<short>(AddressTyped());
    e.m_com = m_port->currentData(kRoleName).toString();
    e.m_telCislo = m_telephone->text();
    e.m_merit = m_measure->isChecked();
    e.m_nazev = m_name->text();
    e.m_soubor = m_file->text();
    e.m_zobrazovat = m_show->isChecked();
    e.m_intervalMereni = m_measuring->currentData().toInt();
    e.m_intervalZapisovani = kRecordingIntervals[std::max(0, m_recording->currentIndex())];
    e.m_intervalPrepisovani = kOverwritePeriods[std::max(0, m_overwrite->currentIndex())];
    e.m_prepisovat = m_cyclic->isChecked();
    e.m_zaznamenavat = m_record->isChecked();
    e.m_synchronizovat = TypeSynchronises(type) ? m_sync->isChecked() : m_rememberedSync;
    e.SetType(type, FALSE);
    e.m_onp = m_panel->isChecked();
    QDialog::accept();
}
