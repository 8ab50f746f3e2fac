#include "shell/AboutDlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("O aplikaci qorin01"));
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* name = new QLabel(NameText(), this);
    name->setObjectName(QStringLiteral("name"));
    auto* info = new QLabel(InfoText(), this);
    info->setObjectName(QStringLiteral("info"));
    texts->addWidget(name);
    texts->addWidget(info);
    row->addLayout(texts, 1);
    top->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    top->addWidget(buttons);
}

QString CAboutDlg::NameText()
{
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("qorin01 verze ") + (version.isEmpty() ? QStringLiteral("1.0") : version);
}

QString CAboutDlg::InfoText()
{
    return QStringLiteral("Copyright (C) ZRT Systems");
}
