#include "app/result_settings_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "analysis/panel_calibration.h"
#include "launch/path_text.h"

namespace varnelo {

namespace {

// A screen reader names a field by its label, mnemonic left out.
void NameAfter(QLineEdit* edit, const QLabel* label) {
    edit->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
}

}  // namespace

ResultSettingsDialog::ResultSettingsDialog(ResultSettings& settings, const QListWidget* records, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_records(records) {
    auto* layout = new QVBoxLayout(this);
    m_offsetTitle = new QLabel(this);
    layout->addWidget(m_offsetTitle);
    m_noOffset = new QRadioButton(this);
    m_autoOffset = new QRadioButton(this);
    m_givenOffset = new QRadioButton(this);
    m_offset = new QLineEdit(this);
    m_offset->setPlaceholderText(QStringLiteral("+09:00"));
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {m_noOffset, m_autoOffset, m_givenOffset}) group->addButton(b);
    layout->addWidget(m_noOffset);
    layout->addWidget(m_autoOffset);
    auto* given = new QHBoxLayout;
    given->addWidget(m_givenOffset);
    given->addWidget(m_offset, 1);
    layout->addLayout(given);
    connect(m_givenOffset, &QRadioButton::toggled, m_offset, &QLineEdit::setEnabled);

    auto* form = new QFormLayout;
    const auto row = [&](QLabel*& label, QLineEdit*& edit, QWidget* beside) {
        label = new QLabel(this);
        edit = new QLineEdit(this);
        label->setBuddy(edit);
        if (beside == nullptr) {
            form->addRow(label, edit);
            return;
        }
        auto* line = new QHBoxLayout;
        line->addWidget(edit, 1);
        line->addWidget(beside);
        form->addRow(label, line);
    };
    m_addPanel = new QPushButton(this);
    m_browse = new QPushButton(this);
    row(m_panelLabel, m_panel, nullptr);
    form->addRow(QString(), m_addPanel);
    row(m_reflectanceLabel, m_reflectance, m_browse);
    row(m_zenithLabel, m_zenith, nullptr);
    row(m_saturationLabel, m_saturation, nullptr);
    m_panel->setPlaceholderText(QStringLiteral("0,20-21,39"));
    layout->addLayout(form);
    connect(m_addPanel, &QPushButton::clicked, this, &ResultSettingsDialog::addSelectedPanel);
    connect(m_browse, &QPushButton::clicked, this, &ResultSettingsDialog::browseReflectance);
    const auto follow = [this] { m_addPanel->setEnabled(m_records->currentRow() >= 0); };
    connect(m_records, &QListWidget::currentRowChanged, this, follow);
    follow();

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ResultSettingsDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
    fill(settings.choices());
    retranslateUi();
}

void ResultSettingsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QDialog::changeEvent(event);
}

void ResultSettingsDialog::retranslateUi() {
    //: Title of the dialog holding the settings every result export uses (UTC offset, white panel, sun, saturation).
    setWindowTitle(tr("結果の設定"));
    //: Result settings: heading of the choice of the logger clock's offset from UTC.
    m_offsetTitle->setText(tr("ロガーの時計の UTC からの時差:"));
    //: Result settings: no offset; times stay the logger clock's own and the sun is not placed.
    m_noOffset->setText(tr("なし (ロガーの時計のまま)(&N)"));
    //: Result settings: find the offset from the GPS time of the records.
    m_autoOffset->setText(tr("GPS の時刻から求める(&G)"));
    //: Result settings: the offset is the one typed beside, ±HH:MM.
    m_givenOffset->setText(tr("指定する (±HH:MM)(&S):"));
    m_offset->setAccessibleName(tr("UTC からの時差"));
    //: Result settings: the record numbers (from 0) taken over the white reference panel, "0,20-21,39".
    m_panelLabel->setText(tr("白色板のレコード(&P):"));
    //: Result settings: adds the record selected in the record list to the white panel records.
    m_addPanel->setText(tr("選択したレコードをパネルにする"));
    //: Result settings: the panel's certified reflectance, a factor or a CSV table (wavelength nm, reflectance).
    m_reflectanceLabel->setText(tr("白色板の反射率 (係数または CSV)(&R):"));
    //: Result settings: button choosing the CSV table of the panel's reflectance.
    m_browse->setText(tr("参照(&B)..."));
    m_browse->setAccessibleName(tr("白色板の反射率の CSV ファイルを選ぶ"));
    //: Result settings: a record whose sun zenith angle is larger is flagged lowsun (degrees).
    m_zenithLabel->setText(tr("最大天頂角 (度)(&Z):"));
    //: Result settings: a raw reading at or above this count is flagged saturated.
    m_saturationLabel->setText(tr("飽和レベル (カウント)(&L):"));
    const std::pair<QLineEdit*, QLabel*> named[] = {
        {m_panel, m_panelLabel}, {m_reflectance, m_reflectanceLabel}, {m_zenith, m_zenithLabel},
        {m_saturation, m_saturationLabel}};
    for (const auto& [edit, label] : named) NameAfter(edit, label);
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
}

void ResultSettingsDialog::fill(const ResultChoices& choices) {
    m_noOffset->setChecked(choices.offset == ResultChoices::Offset::None);
    m_autoOffset->setChecked(choices.offset == ResultChoices::Offset::Auto);
    m_givenOffset->setChecked(choices.offset == ResultChoices::Offset::Given);
    m_offset->setEnabled(choices.offset == ResultChoices::Offset::Given);
    m_offset->setText(QString::fromStdString(choices.givenOffset));
    m_panel->setText(QString::fromStdString(choices.panelRecords));
    m_reflectance->setText(TextOfPathBytes(choices.panelReflectance));
    m_zenith->setText(QString::fromStdString(choices.maxZenith));
    m_saturation->setText(QString::fromStdString(choices.saturation));
}

ResultChoices ResultSettingsDialog::typed() const {
    ResultChoices choices;
    choices.offset = m_autoOffset->isChecked()    ? ResultChoices::Offset::Auto
                     : m_givenOffset->isChecked() ? ResultChoices::Offset::Given
                                                  : ResultChoices::Offset::None;
    if (choices.offset == ResultChoices::Offset::Given) choices.givenOffset = m_offset->text().trimmed().toStdString();
    choices.panelRecords = m_panel->text().remove(QLatin1Char(' ')).toStdString();
    choices.panelReflectance = PathBytesOfText(m_reflectance->text().trimmed()).toStdString();
    choices.maxZenith = m_zenith->text().trimmed().toStdString();
    choices.saturation = m_saturation->text().trimmed().toStdString();
    return choices;
}

void ResultSettingsDialog::addSelectedPanel() {
    const int record = m_records->currentRow();
    if (record < 0) return;
    // The list reads the record in, in order and once; a list that does
    // not read is started afresh rather than kept wrong.
    const std::string typed = m_panel->text().remove(QLatin1Char(' ')).toStdString();
    std::string error;
    const std::optional<std::vector<int>> records =
        ParsePanelList((typed.empty() ? typed : typed + ',') + std::to_string(record), error);
    m_panel->setText(QString::fromStdString(records ? PanelListText(*records) : std::to_string(record)));
}

void ResultSettingsDialog::browseReflectance() {
    //: Title of the file dialog choosing the white panel's reflectance table.
    const QString file = QFileDialog::getOpenFileName(this, tr("白色板の反射率"), m_reflectance->text(),
                                                      QStringLiteral("CSV (*.csv);;* (*)"));
    if (!file.isEmpty()) m_reflectance->setText(file);
}

QLineEdit* ResultSettingsDialog::field(ChoiceProblem::Field field) const {
    switch (field) {
    case ChoiceProblem::Field::Offset: return m_offset;
    case ChoiceProblem::Field::PanelRecords: return m_panel;
    case ChoiceProblem::Field::PanelReflectance: return m_reflectance;
    case ChoiceProblem::Field::MaxZenith: return m_zenith;
    case ChoiceProblem::Field::Saturation: return m_saturation;
    }
    return m_panel;
}

void ResultSettingsDialog::accept() {
    const ResultChoices choices = typed();
    if (const std::optional<ChoiceProblem> problem = CheckChoices(choices)) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), ResultSettings::problemText(problem->field),
                        QMessageBox::Ok, this);
        box.setInformativeText(QString::fromStdString(problem->detail));
        box.exec();
        field(problem->field)->setFocus();
        field(problem->field)->selectAll();
        return;
    }
    m_settings.setChoices(choices);
    QDialog::accept();
}

QAction* InstallResultSettingsMenu(QMenu* viewMenu, ResultSettings& settings, const QListWidget* records,
                                   QWidget* parent) {
    QAction* command = viewMenu->addAction(QString());
    auto dialog = std::make_shared<QPointer<ResultSettingsDialog>>();
    QObject::connect(command, &QAction::triggered, parent, [=, &settings] {
        if (!*dialog) {
            *dialog = new ResultSettingsDialog(settings, records, parent);
            (*dialog)->setAttribute(Qt::WA_DeleteOnClose);
        }
        (*dialog)->show();
        (*dialog)->raise();
        (*dialog)->activateWindow();
    });
    return command;
}

}  // namespace varnelo
