#pragma once

#include <QDialog>

// "O aplikaci": the program's name, its version and copyright, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString NameText();
    static QString InfoText();
};
