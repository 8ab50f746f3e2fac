#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class CIden;
class CPristroj;
class QLabel;

// Who the connected instrument is: model, serial number, firmware and the
// two names kept in the instrument's notebook. Serves every family.
struct CPristrojInfo {
    QString description;
    QString serialNumber;
    QString firmware;
    QString recordName;
    QString objectName;
};

// How the facts are asked for: identification through a link of its own
// (false with the link's error text) and the notebook's (object, record)
// names.
struct CPristrojInfoSource {
    std::function<bool(CIden& iden, QString& errorText)> identify;
    std::function<void(QString& objectName, QString& recordName)> readNoteBook;

    static CPristrojInfoSource Of(CPristroj& entry);
};

// Fills `info`; false with `errorText` when the instrument could not be
// identified.
bool GatherPristrojInfo(const CPristrojInfoSource& source, CPristrojInfo& info, QString& errorText);

class CPristrojInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPristrojInfoDlg(const CPristrojInfo& info, QWidget* parent = nullptr);

    // The whole command: asks the instrument (behind the wait dialog), shows
    // the link's error or the dialog.
    static void Run(QWidget* parent, const CPristrojInfoSource& source);

    QString FieldText(int row) const;

private:
    QLabel* m_fields[5] = {};
};
