#include "app/setting_dialog.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include "app/form_style.h"
#include "app/logger_thread.h"
#include "launch/path_text.h"
#include "settings/channel_upload.h"

namespace varnelo {

namespace {

const QString PROFILE_KEY = QStringLiteral("setting/file");

QListWidget* NewList(QWidget* parent, const QRect& rect) {
    auto* list = new QListWidget(parent);
    list->setGeometry(rect);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setUniformItemSizes(true);
    return list;
}

QPushButton* NewButton(QWidget* parent, const QString& text, const QRect& rect) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CSettingDlg::CSettingDlg(const DeviceInfoBlock& deviceInfo, const ParameterBlock& parameters, LoggerThread* logger,
                         bool deviceInfoRead, QWidget* parent)
    : QDialog(parent),
      m_deviceInfo(deviceInfo),
      m_parameters(parameters),
      m_logger(logger),
      m_deviceInfoRead(deviceInfoRead),
      m_settingsFilePath(QSettings().value(PROFILE_KEY).toString()) {
    buildControls();
    if (m_logger != nullptr) connect(m_logger, &LoggerThread::uploaded, this, &CSettingDlg::showUploaded);
    if (!m_settingsFilePath.isEmpty()) loadSettingsFile();
    showPage();
}

CSettingDlg::~CSettingDlg() { QSettings().setValue(PROFILE_KEY, m_settingsFilePath); }

void CSettingDlg::buildControls() {
    setFont(FormFont());
    setFixedSize(DialogRect(0, 0, 363, 248).size());

    m_close = NewButton(this, QString(), DialogRect(330, 227, 26, 14));
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    m_sensorList = NewList(this, DialogRect(7, 24, 98, 200));
    m_sensorList->setObjectName(QStringLiteral("sensorList"));
    m_browse = NewButton(this, QString(), DialogRect(75, 7, 27, 15));
    m_browse->setObjectName(QStringLiteral("browse"));
    connect(m_browse, &QPushButton::clicked, this, &CSettingDlg::onBrowse);
    for (int channel = 0; channel < 2; ++channel) {
        const QString name = QStringLiteral("ch.%1").arg(channel + 1);
        auto* button = NewButton(this, name, DialogRect(7 + 62 * channel, 227, 34, 14));
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, channel] { onChannel(channel); });
    }

    // Between "ch.2" and "終了": what the last upload came to.
    m_footLine = new QLabel(this);
    m_footLine->setObjectName(QStringLiteral("footLine"));
    m_footLine->setGeometry(DialogRect(110, 227, 216, 14));

    m_pageList = NewList(this, DialogRect(112, 24, 244, 200));
    m_pageList->setObjectName(QStringLiteral("pageList"));
    struct Radio {
        int x, width;
    };
    const std::array<Radio, SETTING_PAGE_COUNT> radios = {{{122, 64}, {197, 56}, {255, 40}, {297, 56}}};
    for (int i = 0; i < SETTING_PAGE_COUNT; ++i) {
        auto* radio = new QRadioButton(this);
        radio->setGeometry(DialogRect(radios[i].x, 7, radios[i].width, 10));
        radio->setObjectName(QStringLiteral("page%1").arg(i));
        // Each radio is a group of its own; showPage sets all four marks.
        radio->setAutoExclusive(false);
        const auto page = static_cast<SettingPage>(i);
        connect(radio, &QRadioButton::clicked, this, [this, page] { selectPage(page); });
        m_pageRadios[static_cast<std::size_t>(i)] = radio;
    }
    retranslateUi();
}

void CSettingDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QDialog::changeEvent(event);
}

void CSettingDlg::retranslateUi() {
    //: Title of the hardware settings dialog (the logger's sensor heads and parameters).
    setWindowTitle(tr("setting"));
    m_close->setText(tr("終了"));
    m_browse->setText(tr("参照"));
    const std::array<QString, SETTING_PAGE_COUNT> pages = {tr("ハードウェア"), tr("パラメータ"), tr("データ"),
                                                           tr("チャネル差")};
    for (std::size_t i = 0; i < pages.size(); ++i) m_pageRadios[i]->setText(pages[i]);
    m_footLine->setText(m_footWording ? m_footWording() : QString());
}

void CSettingDlg::selectPage(SettingPage page) {
    m_currentPage = page;
    showPage();
}

void CSettingDlg::showPage() {
    for (int i = 0; i < SETTING_PAGE_COUNT; ++i) {
        m_pageRadios[static_cast<std::size_t>(i)]->setChecked(static_cast<SettingPage>(i) == m_currentPage);
    }
    QStringList lines;
    for (const std::string& line : SettingPageLines(m_currentPage, m_deviceInfo, m_parameters)) {
        lines.append(QString::fromLocal8Bit(line));
    }
    m_pageList->clear();
    m_pageList->addItems(lines);
}

void CSettingDlg::loadSettingsFile() {
    std::string error;
    auto table = LoadSettingsFile(ToPath(m_settingsFilePath), error);
    if (!table) return;  // an unreadable file leaves the list as it was
    m_sensorTable = std::move(*table);
    m_sensorList->clear();
    for (const SensorHead& head : m_sensorTable.heads) m_sensorList->addItem(QString::fromLocal8Bit(head.name));
}

void CSettingDlg::onBrowse() {
    // Opens in the remembered file's folder, else where the last file dialog was.
    const QString folder = m_settingsFilePath.isEmpty() ? QString() : QFileInfo(m_settingsFilePath).absolutePath();
    QFileDialog chooser(this, QString(), folder, QStringLiteral("csv file(*.csv)"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setDefaultSuffix(QStringLiteral("csv"));
    chooser.selectFile(QStringLiteral("*.csv"));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    m_settingsFilePath = QFileInfo(chooser.selectedFiles().front()).absoluteFilePath();
    loadSettingsFile();
}

void CSettingDlg::onChannel(int channel) {
    const QList<QListWidgetItem*> selected = m_sensorList->selectedItems();
    const int index = selected.isEmpty() ? -1 : m_sensorList->row(selected.front());
    // Without a head nothing is sent, and an earlier outcome must not read as this one's.
    setFootLine(nullptr);
    if (AssignSensorToChannel(m_deviceInfo, m_sensorTable, index, channel)) upload(channel + 1);
    showPage();
}

void CSettingDlg::setFootLine(std::function<QString()> wording) {
    m_footWording = std::move(wording);
    m_footLine->setText(m_footWording ? m_footWording() : QString());
}

void CSettingDlg::upload(int number) {
    if (m_logger == nullptr) return setFootLine([number] { return tr("ch.%1 未送信: ロガー未接続").arg(number); });
    if (!m_deviceInfoRead)
        return setFootLine([number] { return tr("ch.%1 未送信: ロガーの装置情報を読み出せていません").arg(number); });
    m_sending = number;
    setFootLine([number] { return tr("ch.%1 に送信しています…").arg(number); });
    m_logger->upload(m_deviceInfo);
}

void CSettingDlg::showUploaded(const Status& sent) {
    const int number = m_sending;
    if (number == 0) return;
    m_sending = 0;
    if (sent) return setFootLine([number] { return tr("ch.%1 に書き込みました").arg(number); });
    if (sent.kind == Status::Kind::PortGone)
        return setFootLine([number] { return tr("ch.%1 書き込み失敗: ポートが失われました").arg(number); });
    if (sent.kind == Status::Kind::ReplyShort)
        return setFootLine([number] { return tr("ch.%1 書き込み失敗: 応答がありません").arg(number); });
    setFootLine([number] { return tr("ch.%1 書き込み失敗: 送信できません").arg(number); });
}

}  // namespace varnelo
