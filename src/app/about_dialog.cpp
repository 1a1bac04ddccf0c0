#include "app/about_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "app/app_icons.h"
#include "app/form_style.h"

namespace varnelo {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSize(9);
    setFont(font);
    setFixedSize(DialogRect(0, 0, 170, 62).size());

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setGeometry(QRect(DialogRect(14, 14, 0, 0).topLeft(), QSize(32, 32)));

    // Plain text: no mnemonic or markup processing of the name.
    auto* name = new QLabel(this);
    name->setTextFormat(Qt::PlainText);
    name->setText(QStringLiteral("Varnelo, Version 1.0"));
    name->setGeometry(DialogRect(42, 14, 114, 8));

    m_ok = new QPushButton(this);
    m_ok->setGeometry(DialogRect(113, 41, 50, 14));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    retranslateUi();
}

void CAboutDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QDialog::changeEvent(event);
}

void CAboutDlg::retranslateUi() {
    setWindowTitle(tr("バージョン情報 Varnelo"));
    m_ok->setText(tr("OK"));
}

}  // namespace varnelo
